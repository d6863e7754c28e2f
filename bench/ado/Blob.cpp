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

void Ours(const std::string& dir, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  adobench::MustConnect(ado, dir + "/ours.db");
  adobench::BlobSide(ado, L"CREATE TABLE b (id INTEGER PRIMARY KEY, data BLOB)", dir, kMB, r);
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
  adobench::MakeSource(dir + "/source.bin", kBytes);
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(dir, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(dir, r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f bytes came back, expected %.0f\n", ours.check, peer.check);
  adobench::Report("ado_blob", "MB/s", ours, peer);
  return 0;
}
