// Streams a 100 MB blob from a file into a field (FileToBlob, Update) and
// back out (BlobToFile), beside plain sqlite3 incremental blob I/O doing
// the same round trip in 1 MB pieces. `bench_ado_blob [MB]` takes another
// size.
#include <filesystem>
#include <fstream>
#include <vector>

#include "AdoBench.h"

namespace {
size_t kBytes = 100u * 1024 * 1024;
double kMB = 100.0;

void MakeSource(const std::string& path) {
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); i++) block[i] = static_cast<char>(i * 31 + (i >> 11));
  std::ofstream out(path, std::ios::binary);
  for (size_t done = 0; done < kBytes; done += block.size()) out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

void Ours(const std::string& dir, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  adobench::MustConnect(ado, dir + "/ours.db");
  ado.ExecuteSQL(L"CREATE TABLE b (id INTEGER PRIMARY KEY, data BLOB)");
  ado.ExecuteSQL(L"INSERT INTO b (id) VALUES (1)");
  double start = adobench::Seconds();
  std::wstring in = CString((dir + "/source.bin").c_str()).str(), out = CString((dir + "/ours.out").c_str()).str();
  if (!ado.OpenRecordset(L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic)) std::exit(1);
  if (!ado.FileToBlob(L"data", in.c_str()) || !ado.Update()) std::exit(1);
  if (!ado.OpenRecordset(L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic)) std::exit(1);
  if (!ado.BlobToFile(L"data", out.c_str())) std::exit(1);
  r.value = 2 * kMB / (adobench::Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(dir + "/ours.out"));
}

void Peer(const std::string& dir, adobench::Result& r) {
  sqlite3* db = nullptr;
  sqlite3_open((dir + "/peer.db").c_str(), &db);
  adobench::Exec(db, "CREATE TABLE b (id INTEGER PRIMARY KEY, data BLOB)");
  double start = adobench::Seconds();
  std::vector<char> piece(1 << 20);
  std::ifstream in(dir + "/source.bin", std::ios::binary);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO b VALUES (1, zeroblob(?))", -1, &stmt, nullptr);
  sqlite3_bind_int64(stmt, 1, static_cast<sqlite3_int64>(kBytes));
  sqlite3_step(stmt);
  sqlite3_finalize(stmt);
  sqlite3_blob* blob = nullptr;
  sqlite3_blob_open(db, "main", "b", "data", 1, 1, &blob);
  for (size_t done = 0; done < kBytes; done += piece.size()) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    sqlite3_blob_write(blob, piece.data(), static_cast<int>(piece.size()), static_cast<int>(done));
  }
  sqlite3_blob_close(blob);
  std::ofstream out(dir + "/peer.out", std::ios::binary);
  sqlite3_blob_open(db, "main", "b", "data", 1, 0, &blob);
  for (size_t done = 0; done < kBytes; done += piece.size()) {
    sqlite3_blob_read(blob, piece.data(), static_cast<int>(piece.size()), static_cast<int>(done));
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  }
  out.close();
  sqlite3_blob_close(blob);
  sqlite3_close(db);
  r.value = 2 * kMB / (adobench::Seconds() - start);
  r.check = static_cast<double>(std::filesystem::file_size(dir + "/peer.out"));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::atoi(argv[1]) > 0) {
    kMB = std::atoi(argv[1]);
    kBytes = static_cast<size_t>(kMB) * 1024 * 1024;
  }
  std::string dir = adobench::ScratchDir();
  MakeSource(dir + "/source.bin");
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(dir, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(dir, r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f bytes came back, expected %.0f\n", ours.check, peer.check);
  adobench::Report("ado_blob", "MB/s", ours, peer);
  return 0;
}
