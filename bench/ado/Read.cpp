// Reads 1,000,000 rows of 5 columns with MoveNext and GetFieldValueByIndex,
// beside a plain sqlite3_step loop reading the same rows into the same
// kinds of values. Built twice: forward-only (ado_read) and keyset
// (ado_read_keyset). `bench_ado_read [rows]` takes another row count (a
// small one for instruction counts under callgrind).
#include <cstdlib>
#include <filesystem>

#include "AdoBench.h"

#ifdef ADO_BENCH_KEYSET
static const char* kName = "ado_read_keyset";
static const CursorTypeEnum kCursor = adOpenKeyset;
#else
static const char* kName = "ado_read";
static const CursorTypeEnum kCursor = adOpenForwardOnly;
#endif

namespace {

void Fill(const std::string& path, long rows) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  adobench::Exec(db, "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, price REAL, qty INTEGER, note TEXT)");
  std::string fill = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                     std::to_string(rows) +
                     ") INSERT INTO t SELECT i, 'item ' || i, i * 0.25, i % 97, 'note of row ' || i FROM n";
  adobench::Exec(db, fill.c_str());
  sqlite3_close(db);
}

void Ours(const std::string& path, adobench::Result& r) {
  CoInitialize(NULL);
  ZELAdo ado;
  adobench::MustConnect(ado, path);
  adobench::ReadSide(ado, kCursor, r);
}

void Peer(const std::string& path, adobench::Result& r) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  double start = adobench::Seconds();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, name, price, qty, note FROM t", -1, &stmt, nullptr);
  long rows = 0;
  double check = 0;
  std::string text;
  for (; sqlite3_step(stmt) == SQLITE_ROW; rows++) {
    check += sqlite3_column_int64(stmt, 0);
    text.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), sqlite3_column_bytes(stmt, 1));
    check += text.size();
    check += sqlite3_column_double(stmt, 2);
    check += sqlite3_column_int64(stmt, 3);
    text.assign(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4)), sqlite3_column_bytes(stmt, 4));
    check += text.size();
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  r.value = rows / (adobench::Seconds() - start);
  r.check = check;
}
}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (rows < 1) rows = 1000000;
  std::string dir = adobench::ScratchDir();
  std::string path = dir + "/read.db";
  Fill(path, rows);
  adobench::Result ours = adobench::InChild([&](adobench::Result& r) { Ours(path, r); });
  adobench::Result peer = adobench::InChild([&](adobench::Result& r) { Peer(path, r); });
  std::filesystem::remove_all(dir);
  if (ours.check != peer.check) std::printf("warning: the two sides read different values (%.0f, %.0f)\n", ours.check, peer.check);
  adobench::Report(kName, "rows/s", ours, peer);
  return 0;
}
