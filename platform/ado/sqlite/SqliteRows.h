// The rows of one prepared statement, stepped as they are read. The first
// step runs when the stream is made, so a statement's errors (a lock, a
// constraint) come from Execute and not from the first read.
#pragma once

#include "platform/ado/sqlite/SqliteDb.h"

namespace zelado {
namespace sqlite {

class Rows : public RowStream {
public:
  // keyed: column 0 of the statement is the rowid of `table` and is not a
  // column of the stream.
  Rows(DbPtr db, StmtPtr stmt, bool keyed, std::wstring table);

  const std::vector<Column>& Columns() const override { return m_columns; }
  bool Next(Row* row, int64_t* key) override;
  // From the first row, by the keys-only statement when the engine plans it
  // as the same walk over the table; otherwise row by row.
  void Keys(std::vector<int64_t>& keys) override;
  // A statement reading the keys alone, in the same order (see Keyed).
  void KeysBy(std::string keysOnly) { m_keysOnly = std::move(keysOnly); }
  const std::wstring& Table() const override { return m_table; }
  bool Keyed() const override { return m_keyed; }

  ~Rows() override;

  // Runs the statement to its end (for statements before the last of a text).
  void Drain();
  // When the stream ends, its statement goes back to the pool under `text`,
  // or in the pool entry it was taken out of.
  void ReturnTo(const PoolPtr& pool, std::string text);
  void ReturnTo(const PoolPtr& pool, StmtPool::Idle::node_type entry);

private:
  void Step();
  bool KeysAlone(std::vector<int64_t>& keys);

  DbPtr m_db;
  StmtPtr m_stmt;
  bool m_keyed;
  std::wstring m_table;
  std::vector<Column> m_columns;
  bool m_hasRow = false;
  bool m_started = false;  // a row has been read
  std::string m_keysOnly;
  std::weak_ptr<StmtPool> m_pool;
  std::string m_text;
  StmtPool::Idle::node_type m_entry;
};

// Column descriptions of a prepared statement, from `first` on.
std::vector<Column> DescribeColumns(sqlite3* db, sqlite3_stmt* stmt, int first);

}  // namespace sqlite
}  // namespace zelado
