// Inserts 100,000 rows through CreateCommand, AppendParam and
// ExecuteBindingQuery in one transaction, beside plain prepared sqlite3
// inserts bound and stepped row by row.
#include <filesystem>

#include "AdoBench.h"

namespace {
const int kRows = 100000;
const char kTable[] = "CREATE TABLE t (id INTEGER, name TEXT, price REAL, qty INTEGER, note TEXT)";

void Ours(const std::string& path, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  adobench::MustConnect(ado, path);
  ado.ExecuteSQL(CString(kTable));
  adobench::InsertSide(ado, kRows, r);
}

void Peer(const std::string& path, adobench::Result& r) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  adobench::Exec(db, kTable);
  double start = adobench::Seconds();
  adobench::Exec(db, "BEGIN");
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?, ?, ?, ?, ?)", -1, &stmt, nullptr);
  char name[32], note[48];
  for (long i = 0; i < kRows; i++) {
    snprintf(name, sizeof name, "item %ld", i);
    snprintf(note, sizeof note, "note of row %ld", i);
    sqlite3_bind_int64(stmt, 1, i);
    sqlite3_bind_text(stmt, 2, name, -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(stmt, 3, i * 0.25);
    sqlite3_bind_int64(stmt, 4, i % 97);
    sqlite3_bind_text(stmt, 5, note, -1, SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) != SQLITE_DONE) std::exit(1);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  adobench::Exec(db, "COMMIT");
  r.value = kRows / (adobench::Seconds() - start);
  sqlite3_close(db);
  r.check = kRows;
}
}  // namespace

int main() {
  std::string dir = adobench::ScratchDir();
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(dir + "/ours.db", r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(dir + "/peer.db", r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: %.0f rows inserted, expected %.0f\n", ours.check, peer.check);
  adobench::Report("ado_insert", "rows/s", ours, peer);
  return 0;
}
