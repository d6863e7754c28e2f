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
    RaiseMessage(rc, message);
  }
  sqlite3_reset(m_stmt.get());
}

bool Rows::Next(Row* row, int64_t* key) {
  if (!m_hasRow) return false;
  int first = m_keyed ? 1 : 0;
  if (key) *key = m_keyed ? sqlite3_column_int64(m_stmt.get(), 0) : 0;
  if (row) {
    row->resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) ReadInto(m_stmt.get(), first + static_cast<int>(i), (*row)[i]);
  }
  Step();
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

