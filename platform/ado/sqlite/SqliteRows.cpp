#include "platform/ado/sqlite/SqliteRows.h"

#include "platform/ado/sqlite/SqliteTypes.h"

namespace zelado {
namespace sqlite {

std::vector<Column> DescribeColumns(sqlite3* db, sqlite3_stmt* stmt, int first) {
  std::vector<Column> out;
  int n = sqlite3_column_count(stmt);
  for (int i = first; i < n; ++i) {
    Column c;
    c.name = Wide(sqlite3_column_name(stmt, i));
    c.attributes = adFldIsNullable | adFldMayBeNull;
    const char* table = sqlite3_column_table_name(stmt, i);
    const char* origin = sqlite3_column_origin_name(stmt, i);
    const char* dbName = sqlite3_column_database_name(stmt, i);
    DescribeType(sqlite3_column_decltype(stmt, i), c);
    if (table && origin) {
      c.baseTable = Wide(table);
      c.baseColumn = Wide(origin);
      int notNull = 0, primary = 0, autoinc = 0;
      if (sqlite3_table_column_metadata(db, dbName, table, origin, nullptr, nullptr, &notNull, &primary, &autoinc) ==
          SQLITE_OK) {
        if (notNull) c.attributes &= ~(adFldIsNullable | adFldMayBeNull);
        if (primary) c.attributes |= adFldKeyColumn;
        if (primary && c.type == adInteger) c.attributes |= adFldRowID;
      }
    }
    out.push_back(std::move(c));
  }
  return out;
}

Rows::Rows(DbPtr db, StmtPtr stmt, bool keyed, std::wstring table)
    : m_db(std::move(db)), m_stmt(std::move(stmt)), m_keyed(keyed), m_table(std::move(table)) {
  if (!m_stmt) return;  // a text of blanks and comments: no rows, no columns
  // Stepped before the columns are read: a statement kept from an earlier
  // run is prepared again by its first step when the tables changed.
  Step();
  m_columns = DescribeColumns(m_db->handle, m_stmt.get(), keyed ? 1 : 0);
}

void Rows::Step() {
  int rc = sqlite3_step(m_stmt.get());
  if (rc == SQLITE_ROW) {
    m_hasRow = true;
    return;
  }
  m_hasRow = false;
  if (rc != SQLITE_DONE) {
    // the statement is spent; reset so its lock goes with it
    std::string message = sqlite3_errmsg(m_db->handle);
    sqlite3_reset(m_stmt.get());
    RaiseFromStep(m_stmt.get(), rc, message);
  }
  sqlite3_reset(m_stmt.get());
}

bool Rows::Next(Row* row, int64_t* key) {
  if (!m_hasRow) return false;
  m_started = true;
  int first = m_keyed ? 1 : 0;
  if (key) *key = m_keyed ? sqlite3_column_int64(m_stmt.get(), 0) : 0;
  if (row) {
    row->resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) ReadInto(m_stmt.get(), first + static_cast<int>(i), (*row)[i]);
  }
  Step();
  return true;
}

namespace {

// The one line of the engine's plan for a statement, empty when it has
// more or none.
std::string PlanOf(sqlite3* db, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  std::string explain = std::string("EXPLAIN QUERY PLAN ") + sql;
  if (sqlite3_prepare_v2(db, explain.c_str(), -1, &raw, nullptr) != SQLITE_OK || !raw) {
    sqlite3_finalize(raw);
    return std::string();
  }
  StmtPtr stmt(raw);
  std::string line;
  int lines = 0;
  while (sqlite3_step(raw) == SQLITE_ROW && ++lines == 1) {
    const unsigned char* detail = sqlite3_column_text(raw, 3);
    line = detail ? reinterpret_cast<const char*>(detail) : "";
  }
  return lines == 1 ? line : std::string();
}

// A walk over the table itself, in rowid order: a scan, or a search by rowid.
bool TableWalk(const std::string& plan) {
  if (plan.compare(0, 5, "SCAN ") != 0 && plan.compare(0, 7, "SEARCH ") != 0) return false;
  for (const char* other : {"INDEX", "TEMP", "VIRTUAL", "SUBQUERY", "CO-ROUTINE", "MATERIALIZE"})
    if (plan.find(other) != std::string::npos) return false;
  return true;
}

}  // namespace

void Rows::Keys(std::vector<int64_t>& keys) {
  if (!m_keyed || m_started || !m_hasRow || m_keysOnly.empty() || !KeysAlone(keys)) RowStream::Keys(keys);
}

// Stepping the keys alone costs a fraction of stepping every column. The
// statement holds its read open meanwhile, so the second one sees the same
// rows; it is used only when the engine walks the table the same way for
// both, and must start on the row the first one stands on.
bool Rows::KeysAlone(std::vector<int64_t>& keys) {
  sqlite3* db = m_db->handle;
  std::string plan = PlanOf(db, sqlite3_sql(m_stmt.get()));
  if (!TableWalk(plan) || PlanOf(db, m_keysOnly.c_str()) != plan) return false;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, m_keysOnly.c_str(), -1, &raw, nullptr) != SQLITE_OK || !raw) {
    sqlite3_finalize(raw);
    return false;
  }
  StmtPtr stmt(raw);
  if (sqlite3_step(raw) != SQLITE_ROW || sqlite3_column_int64(raw, 0) != sqlite3_column_int64(m_stmt.get(), 0))
    return false;
  int rc;
  do {
    keys.push_back(sqlite3_column_int64(raw, 0));
  } while ((rc = sqlite3_step(raw)) == SQLITE_ROW);
  m_started = true;
  m_hasRow = false;
  sqlite3_reset(m_stmt.get());
  if (rc != SQLITE_DONE) RaiseMessage(rc, sqlite3_errmsg(db));
  return true;
}

Rows::~Rows() {
  PoolPtr pool = m_pool.lock();
  if (!pool || !m_stmt || pool->Size() >= StmtPool::kMax) return;
  if (m_hasRow) sqlite3_reset(m_stmt.get());  // a spent statement was reset by its last step
  sqlite3_clear_bindings(m_stmt.get());
  if (m_entry.empty()) {
    // The first run of a text makes the entry it will travel in.
    StmtPool::Idle one;
    one.emplace(std::move(m_text), std::move(m_stmt));
    m_entry = one.extract(one.begin());
  } else {
    m_entry.mapped() = std::move(m_stmt);
  }
  pool->Give(std::move(m_entry));
}

void Rows::ReturnTo(const PoolPtr& pool, std::string text) {
  m_pool = pool;
  m_text = std::move(text);
}

void Rows::ReturnTo(const PoolPtr& pool, StmtPool::Idle::node_type entry) {
  m_pool = pool;
  m_entry = std::move(entry);
}

void Rows::Drain() {
  while (m_hasRow) Step();
}

}  // namespace sqlite
}  // namespace zelado

