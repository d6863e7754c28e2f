// A range of a sheet seen as a table: its first row names the columns
// (F1, F2, ... by position where a name cell is empty), the columns run to
// the last used column of the range and the rows to its last used row.
// A row's key is its 0-based row number in the sheet.
#pragma once

#include "platform/ado/Provider.h"
#include "platform/ado/workbook/Workbook.h"
#include "platform/ado/workbook/WorkbookSql.h"

namespace zelado {
namespace workbook {

class SheetTable {
public:
  // Raises UnknownTable when the workbook has no such worksheet.
  SheetTable(Workbook& wb, const std::string& table);

  size_t SheetIndex() const { return m_sheet; }
  const std::wstring& Name() const { return m_name; }
  const std::vector<Column>& Columns() const { return m_columns; }
  // The sheet column a column of the table reads (its base name is the
  // column's letters); -1 for a name not of this table.
  int SheetColumn(const std::wstring& baseColumn) const;
  uint32_t FirstRow() const { return m_header + 1; }
  // One past the last data row now.
  uint32_t RowEnd() const;
  uint32_t FirstCol() const { return m_col0; }
  uint32_t LastRowAllowed() const { return m_ref.whole ? kMaxRows - 1 : m_ref.row1; }
  // The sheet columns of the given columns (SheetColumn of each), worked
  // out once for a run of Read calls.
  std::vector<int> SheetColumns(const std::vector<Column>& columns) const;
  void Read(uint32_t row, const std::vector<int>& sheetColumns, Row& out) const;
  // The cell's value (none: null) as a reader sees it, written over a
  // value already there so that its text keeps its room.
  void ValueInto(const Sheet& s, const Cell* c, Value& out) const;

private:
  Workbook& m_wb;
  TableRef m_ref;
  size_t m_sheet = 0;
  uint32_t m_header = 0, m_col0 = 0;
  std::wstring m_name;
  std::vector<Column> m_columns;
};

}  // namespace workbook
}  // namespace zelado
