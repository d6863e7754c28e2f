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

void Ours(const zeltest::PgCluster& pg, const std::string& dir, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  pgbench::MustConnect(ado, pg);
  adobench::BlobSide(ado, L"CREATE TABLE b (id integer PRIMARY KEY, data bytea)", dir, kMB, r);
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
  adobench::MakeSource(dir + "/source.bin", kBytes);
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(pg, dir, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(pg, dir, r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f bytes came back, expected %.0f\n", ours.check, peer.check);
  adobench::Report("pg_blob", "MB/s", ours, peer, pgbench::kPeer);
  return 0;
}
