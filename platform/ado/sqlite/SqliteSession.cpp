#include "platform/ado/sqlite/SqliteSession.h"

#include "platform/ado/sqlite/SqliteRows.h"
#include "platform/ado/sqlite/SqliteSchema.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>

namespace zelado {
namespace sqlite {

namespace {

// Past white space and comments.
const char* SkipBlank(const char* p, const char* end) {
  for (;;) {
    while (p < end && std::isspace((unsigned char)*p)) ++p;
    if (end - p >= 2 && p[0] == '-' && p[1] == '-') {
      while (p < end && *p != '\n') ++p;
    } else if (end - p >= 2 && p[0] == '/' && p[1] == '*') {
      const char* close = std::strstr(p + 2, "*/");
      p = close && close < end ? close + 2 : end;
    } else {
      return p;
    }
  }
}

// When `p` starts with the keyword, answers the position after it.
const char* Keyword(const char* p, const char* end, const char* word) {
  size_t n = std::strlen(word);
  if (static_cast<size_t>(end - p) < n || strncasecmp(p, word, n) != 0) return nullptr;
  if (p + n < end && (std::isalnum((unsigned char)p[n]) || p[n] == '_')) return nullptr;
  return p + n;
}

// Past one token: a quoted name or text, a word, or one other character.
const char* TokenEnd(const char* p, const char* end) {
  char close = *p == '[' ? ']' : *p;
  if (close == '\'' || close == '"' || close == '`' || close == ']') {
    for (++p; p < end; ++p) {
      if (*p != close) continue;
      if (close != ']' && p + 1 < end && p[1] == close) {
        ++p;  // a doubled quote stands for itself
        continue;
      }
      return p + 1;
    }
    return end;
  }
  const char* q = p;
  while (q < end && (std::isalnum((unsigned char)*q) || *q == '_' || *q == '$' || (unsigned char)*q >= 0x80)) ++q;
  return q > p ? q : p + 1;
}

// "SELECT rowid FROM" and what follows the column list (from `p`, past
// SELECT) when what follows is one table with at most a filter: the rows
// of such a statement come in the same order when the columns are left
// out. Anything else (a join, grouping, ordering, a limit, a compound or a
// sub-select) answers false.
bool KeysOnlyText(const char* p, const char* end, std::string& out) {
  static const char* const kOther[] = {"SELECT", "GROUP", "HAVING", "WINDOW", "ORDER",  "LIMIT", "OFFSET",
                                       "UNION",  "INTERSECT", "EXCEPT", "VALUES", "JOIN", "OVER"};
  const char* from = nullptr;
  int depth = 0;
  while ((p = SkipBlank(p, end)) < end) {
    const char* token = p;
    p = TokenEnd(p, end);
    if (*token == '(') {
      if (!from) return false;  // an expression among the columns
      ++depth;
    } else if (*token == ')') {
      --depth;
    } else if (*token == ',' && from && depth == 0) {
      return false;
    } else if (!from) {
      if (Keyword(token, p, "FROM")) from = p;
    } else {
      for (const char* word : kOther)
        if (Keyword(token, p, word)) return false;
    }
  }
  if (!from) return false;
  out = "SELECT rowid FROM" + std::string(from, end);
  return true;
}

std::string ColumnList(const std::vector<Column>& columns) {
  std::string s;
  for (const Column& c : columns) s += ", " + QuoteName(c.baseColumn);
  return s;
}

}  // namespace

std::unique_ptr<Session> OpenSession(const std::wstring& path, bool mustExist, bool readOnly) {
  std::string file = Utf8(path);
  struct stat st;
  if (mustExist && stat(file.c_str(), &st) != 0)
    Raise(ErrorKind::Connection, L"the database file '" + path + L"' does not exist");
  sqlite3* raw = nullptr;
  // A connection is used by one thread at a time, so the engine's own
  // per-call locking has nothing to protect.
  int flags = SQLITE_OPEN_NOMUTEX |
              (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | (mustExist ? 0 : SQLITE_OPEN_CREATE));
  int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
  DbPtr db = std::make_shared<Db>(raw);
  if (rc != SQLITE_OK) {
    std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    RaiseMessage(rc, message + ": " + file);
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, kLockWaitMs);
  // Reading the schema is what tells a database from any other file.
  rc = sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master; PRAGMA foreign_keys=ON;", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = sqlite3_errmsg(raw);
    RaiseMessage(rc, message + ": " + file);
  }
  return std::unique_ptr<Session>(new SqliteSession(std::move(db)));
}

Capabilities SqliteSession::GetCapabilities() const {
  Capabilities c;
  c.storedProcedures = false;
  c.outputParameters = false;
  return c;
}

StmtPtr SqliteSession::Keyed(sqlite3_stmt* stmt, const char* text, std::wstring& table, std::string& keysOnly) {
  int n = sqlite3_column_count(stmt);
  if (n == 0) return nullptr;
  const char* first = sqlite3_column_table_name(stmt, 0);
  for (int i = 0; i < n; ++i) {
    const char* t = sqlite3_column_table_name(stmt, i);
    const char* d = sqlite3_column_database_name(stmt, i);
    if (!t || !first || std::strcmp(t, first) != 0 || !d || std::strcmp(d, "main") != 0) return nullptr;
  }
  const char* end = text + std::strlen(text);
  const char* p = Keyword(SkipBlank(text, end), end, "SELECT");
  if (!p) return nullptr;
  const char* q = SkipBlank(p, end);
  if (Keyword(q, end, "DISTINCT")) return nullptr;
  if (const char* all = Keyword(q, end, "ALL")) p = all;
  std::string keyed = std::string(text, p) + " rowid," + std::string(p);
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(m_db->handle, keyed.c_str(), -1, &raw, nullptr) != SQLITE_OK || !raw) {
    sqlite3_finalize(raw);
    return nullptr;
  }
  StmtPtr out(raw);
  const char* keyTable = sqlite3_column_table_name(raw, 0);
  if (sqlite3_column_count(raw) != n + 1 || !keyTable || std::strcmp(keyTable, first) != 0) return nullptr;
  table = Wide(first);
  if (sqlite3_bind_parameter_count(stmt) != 0 || !KeysOnlyText(p, end, keysOnly)) keysOnly.clear();
  return out;
}

std::unique_ptr<Rows> SqliteSession::Start(StmtPtr stmt, const std::vector<Value>& params, size_t& used,
                                           const std::wstring& table, int64_t& changed) {
  int count = sqlite3_bind_parameter_count(stmt.get());
  // A statement without columns runs to its end in the first step below,
  // while the caller's values are still there: the engine reads them where
  // they lie instead of copying them. Rows read later need their own copy.
  bool copy = sqlite3_column_count(stmt.get()) != 0;
  for (int i = 1; i <= count; ++i, ++used) {
    if (used >= params.size())
      Raise(ErrorKind::InvalidArgument, L"the statement has more ? markers than values were given");
    Bind(m_db->handle, stmt.get(), i, params[used], copy);
  }
  bool writes = !sqlite3_stmt_readonly(stmt.get());
  std::unique_ptr<Rows> rows(new Rows(m_db, std::move(stmt), !table.empty(), table));
  if (writes) changed = (changed < 0 ? 0 : changed) + sqlite3_changes64(m_db->handle);
  return rows;
}

std::unique_ptr<RowStream> SqliteSession::Execute(const std::wstring& text, const std::vector<Value>& params,
                                                  bool keyed) {
  // A command run once per row gives the same text each time.
  if (text != m_lastText) {
    m_lastSql = StatementText(text);
    m_lastText = text;
  }
  const std::string& sql = m_lastSql;
  size_t used = 0, statements = 0;
  int64_t changed = -1;
  std::unique_ptr<Rows> last;
  StmtPool::Idle::node_type entry = keyed ? StmtPool::Idle::node_type() : m_pool->Take(sql);
  if (!entry.empty()) {
    // The pool entry itself goes with the stream and comes back with it.
    last = Start(std::move(entry.mapped()), params, used, L"", changed);
    if (used < params.size())
      Raise(ErrorKind::InvalidArgument, L"more values were given than the statement has ? markers");
    m_changes = changed;
    last->ReturnTo(m_pool, std::move(entry));
    return last;
  }
  const char* p = sql.c_str();
  const char* end = p + sql.size();
  while (p < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db->handle, p, static_cast<int>(end - p), &raw, &tail);
    if (rc != SQLITE_OK) RaiseFrom(m_db->handle, rc);
    const char* start = p;
    p = tail;
    if (!raw) continue;
    StmtPtr stmt(raw);
    if (last) last->Drain();  // an earlier statement of the text runs to its end
    std::wstring table;
    std::string keysOnly;
    if (keyed && SkipBlank(p, end) == end) {
      std::string one(start, p);
      if (StmtPtr k = Keyed(raw, one.c_str(), table, keysOnly)) stmt = std::move(k);
    }
    last = Start(std::move(stmt), params, used, table, changed);
    last->KeysBy(std::move(keysOnly));
    ++statements;
  }
  if (used < params.size()) Raise(ErrorKind::InvalidArgument, L"more values were given than the statement has ? markers");
  m_changes = changed;
  if (!last) return std::unique_ptr<RowStream>(new Rows(m_db, nullptr, false, L""));
  if (statements == 1 && !last->Keyed()) last->ReturnTo(m_pool, sql);
  return last;
}

sqlite3_stmt* SqliteSession::Cached(const std::string& sql) {
  auto it = m_cache.find(sql);
  if (it != m_cache.end()) return it->second.get();
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v3(m_db->handle, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
  if (rc != SQLITE_OK) RaiseFrom(m_db->handle, rc);
  m_cache[sql].reset(raw);
  return raw;
}

int64_t SqliteSession::RunWrite(sqlite3_stmt* stmt) {
  int rc = sqlite3_step(stmt);
  std::string message = sqlite3_errmsg(m_db->handle);
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) RaiseMessage(rc, message);
  return sqlite3_changes64(m_db->handle);
}

void SqliteSession::Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys,
                          size_t count, std::vector<Row>& rows) {
  if (count == 0) {
    rows.clear();
    return;
  }
  int64_t lo = keys[0], hi = keys[0];
  bool ascending = true;
  for (size_t i = 1; i < count; ++i) {
    ascending = ascending && keys[i] > keys[i - 1];
    lo = std::min(lo, keys[i]);
    hi = std::max(hi, keys[i]);
  }
  std::string select = "SELECT rowid" + ColumnList(columns) + " FROM " + QuoteName(table);
  // Keys of a block are mostly neighbours: one range scan reads them all;
  // scattered keys are looked up one by one.
  bool range = static_cast<uint64_t>(hi - lo) <= 4 * count + 64;
  if (range && ascending) {
    FetchOrdered(select + " WHERE rowid BETWEEN ?1 AND ?2 ORDER BY rowid", columns.size(), keys, count, rows);
    return;
  }
  rows.assign(count, Row());
  std::unordered_map<int64_t, size_t> where;
  for (size_t i = 0; i < count; ++i) where[keys[i]] = i;
  sqlite3_stmt* stmt = Cached(select + (range ? " WHERE rowid BETWEEN ?1 AND ?2" : " WHERE rowid = ?1"));
  auto readAll = [&]() {
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
      auto it = where.find(sqlite3_column_int64(stmt, 0));
      if (it == where.end()) continue;
      Row& r = rows[it->second];
      r.resize(columns.size());
      for (size_t c = 0; c < columns.size(); ++c) ReadInto(stmt, static_cast<int>(c) + 1, r[c]);
    }
    Finish(stmt, rc);
  };
  if (range) {
    sqlite3_bind_int64(stmt, 1, lo);
    sqlite3_bind_int64(stmt, 2, hi);
    readAll();
  } else {
    for (size_t i = 0; i < count; ++i) {
      sqlite3_bind_int64(stmt, 1, keys[i]);
      readAll();
    }
  }
}

// Keys in rising order, read by one scan in rowid order that walks beside
// them: no lookup per row, and the rows (their values' room too) of the
// last block are filled again rather than made anew.
void SqliteSession::FetchOrdered(const std::string& sql, size_t columns, const int64_t* keys, size_t count,
                                 std::vector<Row>& rows) {
  sqlite3_stmt* stmt = Cached(sql);
  sqlite3_bind_int64(stmt, 1, keys[0]);
  sqlite3_bind_int64(stmt, 2, keys[count - 1]);
  rows.resize(count);
  size_t next = 0;
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    int64_t key = sqlite3_column_int64(stmt, 0);
    while (next < count && keys[next] < key) rows[next++].clear();  // no longer there
    if (next == count || keys[next] != key) continue;              // a row the keyset never had
    Row& r = rows[next++];
    r.resize(columns);
    for (size_t c = 0; c < columns; ++c) ReadInto(stmt, static_cast<int>(c) + 1, r[c]);
  }
  while (next < count) rows[next++].clear();
  Finish(stmt, rc);
}

// Ends a read of a cached statement, raising the engine's failure if it stopped on one.
void SqliteSession::Finish(sqlite3_stmt* stmt, int rc) {
  std::string message = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(m_db->handle);
  sqlite3_reset(stmt);
  if (rc != SQLITE_DONE) RaiseMessage(rc, message);
}

int64_t SqliteSession::InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns,
                                 const Row& values) {
  std::string sql = "INSERT INTO " + QuoteName(table);
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i ? ", " : "") + QuoteName(columns[i]);
      marks += i ? ", ?" : "?";
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  sqlite3_stmt* stmt = Cached(sql);
  for (size_t i = 0; i < values.size(); ++i) Bind(m_db->handle, stmt, static_cast<int>(i) + 1, values[i], false);
  m_changes = RunWrite(stmt);
  return sqlite3_last_insert_rowid(m_db->handle);
}

void SqliteSession::UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                              const Row& values) {
  if (columns.empty()) return;
  std::string sql = "UPDATE " + QuoteName(table) + " SET ";
  for (size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + QuoteName(columns[i]) + " = ?";
  sql += " WHERE rowid = ?";
  sqlite3_stmt* stmt = Cached(sql);
  for (size_t i = 0; i < values.size(); ++i) Bind(m_db->handle, stmt, static_cast<int>(i) + 1, values[i], false);
  sqlite3_bind_int64(stmt, static_cast<int>(values.size()) + 1, key);
  m_changes = RunWrite(stmt);
  if (m_changes == 0) Raise(ErrorKind::NoCurrentRecord, L"the row to update is no longer in the table");
}

void SqliteSession::DeleteRow(const std::wstring& table, int64_t key) {
  sqlite3_stmt* stmt = Cached("DELETE FROM " + QuoteName(table) + " WHERE rowid = ?");
  sqlite3_bind_int64(stmt, 1, key);
  m_changes = RunWrite(stmt);
  if (m_changes == 0) Raise(ErrorKind::NoCurrentRecord, L"the row to delete is no longer in the table");
}

void SqliteSession::Exec(const std::string& sql) {
  int rc = sqlite3_exec(m_db->handle, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) RaiseFrom(m_db->handle, rc);
}

// Nested levels are savepoints inside the one transaction of the engine.
void SqliteSession::BeginTransaction() {
  Exec(m_level == 0 ? "BEGIN" : "SAVEPOINT zel_level_" + std::to_string(m_level));
  ++m_level;
}

void SqliteSession::CommitTransaction() {
  if (m_level == 0) Raise(ErrorKind::IllegalOperation, L"no transaction is active");
  Exec(m_level == 1 ? "COMMIT" : "RELEASE zel_level_" + std::to_string(m_level - 1));
  --m_level;
}

void SqliteSession::RollbackTransaction() {
  if (m_level == 0) Raise(ErrorKind::IllegalOperation, L"no transaction is active");
  std::string name = "zel_level_" + std::to_string(m_level - 1);
  // The engine may already have ended the transaction itself after an error.
  if (m_level == 1 || sqlite3_get_autocommit(m_db->handle))
    Exec(sqlite3_get_autocommit(m_db->handle) ? "SELECT 1" : "ROLLBACK");
  else
    Exec("ROLLBACK TO " + name + "; RELEASE " + name);
  m_level = sqlite3_get_autocommit(m_db->handle) ? 0 : m_level - 1;
}

std::unique_ptr<RowStream> SqliteSession::Schema(SchemaEnum schema, const std::vector<Value>& restrictions) {
  return SchemaRows(m_db->handle, schema, restrictions);
}

}  // namespace sqlite
}  // namespace zelado
