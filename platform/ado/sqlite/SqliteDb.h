// The embedded engine's handles and the sorting of its errors.
#pragma once

#include "platform/ado/Provider.h"

#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>

namespace zelado {
namespace sqlite {

// How long a statement waits for another connection's lock before it fails
// with ErrorKind::Locked.
constexpr int kLockWaitMs = 3000;

// The database handle, shared by a session and the streams it handed out,
// so a recordset outliving its connection never reads a closed handle.
struct Db {
  explicit Db(sqlite3* h) : handle(h) {}
  ~Db() { sqlite3_close_v2(handle); }
  Db(const Db&) = delete;
  Db& operator=(const Db&) = delete;
  sqlite3* handle;
};
using DbPtr = std::shared_ptr<Db>;

struct StmtDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

// Prepared statements of texts run before, kept to run again without
// preparing them anew (a command run once per row of an insert).
struct StmtPool {
  static constexpr size_t kMax = 32;
  using Idle = std::map<std::string, StmtPtr>;
  Idle idle;
  // The entry given back last, kept out of the map: a command run once per
  // row finds its statement again without a search or a rebalanced tree.
  Idle::node_type last;

  // The idle statement of `text` with its entry, taken out; empty when none.
  Idle::node_type Take(const std::string& text);
  // An entry back from a run (one whose text is idle already goes).
  void Give(Idle::node_type entry);
  size_t Size() const { return idle.size() + (last.empty() ? 0 : 1); }
};
using PoolPtr = std::shared_ptr<StmtPool>;

// Raises the error the engine reported for `rc` on `db`, sorted into its kind.
[[noreturn]] void RaiseFrom(sqlite3* db, int rc);
[[noreturn]] void RaiseMessage(int rc, std::string message);
// The same for a failed step of stmt.
[[noreturn]] void RaiseFromStep(sqlite3_stmt* stmt, int rc, std::string message);
ErrorKind KindOf(int rc, const char* message);

// Statement text as UTF-8; a NUL or a code point that is not Unicode
// (a lone surrogate, beyond U+10FFFF) raises Syntax instead of being cut or
// replaced, so what runs is exactly what was written.
std::string StatementText(const std::wstring& text);
std::string Utf8(const std::wstring& text);
std::wstring Wide(const char* utf8);
// "name" with inner quotes doubled: any table or column name is safe in a statement.
std::string QuoteName(const std::wstring& name);

// With `copy` false the engine reads text and blobs where they lie, so the
// value must outlive the statement's run (and its bindings be cleared after).
void Bind(sqlite3* db, sqlite3_stmt* stmt, int index, const Value& value, bool copy = true);
Value Read(sqlite3_stmt* stmt, int column);
// The same into an existing value, reusing its buffer.
void ReadInto(sqlite3_stmt* stmt, int column, Value& out);

}  // namespace sqlite
}  // namespace zelado
