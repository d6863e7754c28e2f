// Moves a 100 MB file into a bytea field (FileToBlob, Update) and back out
// (BlobToFile), beside libpq doing the same round trip with one binary
// parameter and one binary result. `bench_pg_blob [MB]` takes another size.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "PgBench.h"

namespace {

size_t kBytes = 100u * 1024 * 1024;
double kMB = 100.0;

void MakeSource(const std::string& path) {
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); i++) block[i] = static_cast<char>(i * 31 + (i >> 11));
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < kBytes; done += block.size()) out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

void Ours(const zeltest::PgCluster& pg, const std::string& dir, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  pgbench::MustConnect(ado, pg);
  ado.ExecuteSQL(L"CREATE TABLE ours (id integer PRIMARY KEY, data bytea)");
  ado.ExecuteSQL(L"INSERT INTO ours (id) VALUES (1)");
  std::wstring in = CString((dir + "/source.bin").c_str()).str(), out = CString((dir + "/ours.out").c_str()).str();
  double start = adobench::Seconds();
  if (!ado.OpenRecordset(L"SELECT id, data FROM ours", adOpenKeyset, adLockOptimistic)) std::exit(1);
  if (!ado.FileToBlob(L"data", in.c_str()) || !ado.Update()) std::exit(1);
  if (!ado.OpenRecordset(L"SELECT id, data FROM ours", adOpenForwardOnly, adLockReadOnly)) std::exit(1);
  if (!ado.BlobToFile(L"data", out.c_str())) std::exit(1);
  r.value = 2 * kMB / (adobench::Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(dir + "/ours.out"));
}

void Peer(const zeltest::PgCluster& pg, const std::string& dir, adobench::Result& r) {
  PGconn* c = pgbench::PeerConnect(pg);
  pgbench::PeerExec(c, "CREATE TABLE peer (id integer PRIMARY KEY, data bytea)");
  double start = adobench::Seconds();
  std::ifstream in(dir + "/source.bin", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const char* values[] = {bytes.data()};
  int lengths[] = {static_cast<int>(bytes.size())}, formats[] = {1};
  Oid types[] = {17};
  PGresult* res = PQexecParams(c, "INSERT INTO peer VALUES (1, $1)", 1, types, values, lengths, formats, 0);
  if (PQresultStatus(res) != PGRES_COMMAND_OK) std::exit(1);
  PQclear(res);
  bytes.clear();
  bytes.shrink_to_fit();
  res = PQexecParams(c, "SELECT data FROM peer WHERE id = 1", 0, nullptr, nullptr, nullptr, nullptr, 1);
  std::ofstream out(dir + "/peer.out", std::ios::binary);
  out.write(PQgetvalue(res, 0, 0), PQgetlength(res, 0, 0));
  out.close();
  PQclear(res);
  r.value = 2 * kMB / (adobench::Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(dir + "/peer.out"));
  PQfinish(c);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::atoi(argv[1]) > 0) {
    kMB = std::atoi(argv[1]);
    kBytes = static_cast<size_t>(kMB) * 1024 * 1024;
  }
  zeltest::PgCluster pg;
  std::string dir = adobench::ScratchDir();
  MakeSource(dir + "/source.bin");
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(pg, dir, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(pg, dir, r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f bytes came back, expected %.0f\n", ours.check, peer.check);
  adobench::Report("pg_blob", "MB/s", ours, peer, pgbench::kPeer);
  return 0;
}
