// Rows an engine builds itself (schema rowsets), handed out as a stream.
#pragma once

#include "platform/ado/Provider.h"

namespace zelado {

class MemoryRows : public RowStream {
public:
  explicit MemoryRows(std::vector<Column> columns) : m_columns(std::move(columns)) {}
  void Add(Row row) { m_rows.push_back(std::move(row)); }

  const std::vector<Column>& Columns() const override { return m_columns; }
  bool Next(Row* row, int64_t* key) override;
  const std::wstring& Table() const override { return m_table; }
  bool Keyed() const override { return false; }

  // A text column of a schema rowset.
  static Column TextColumn(const wchar_t* name);
  static Column IntColumn(const wchar_t* name);

private:
  std::vector<Column> m_columns;
  std::vector<Row> m_rows;
  size_t m_next = 0;
  std::wstring m_table;
};

}  // namespace zelado
