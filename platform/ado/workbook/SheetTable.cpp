#include "platform/ado/workbook/SheetTable.h"

#include "platform/oleaut/Bstr.h"

#include <cstdio>

namespace zelado {
namespace workbook {

namespace {

std::wstring Wide(const std::string& utf8) {
  std::u16string u = Utf16(utf8);
  return std::wstring(u.begin(), u.end());
}

// A header cell as a column name: its text, or a number as written.
std::string HeaderText(const Workbook& wb, const Sheet& s, const Cell* c) {
  if (!c) return std::string();
  if (c->kind == Cell::Text) return wb.TextOf(s, *c);
  if (c->kind == Cell::Number) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", c->num);
    return buf;
  }
  if (c->kind == Cell::Bool) return c->num ? "TRUE" : "FALSE";
  return std::string();
}

}  // namespace

SheetTable::SheetTable(Workbook& wb, const std::string& table) : m_wb(wb), m_ref(ParseTable(table)) {
  int index = wb.FindSheet(m_ref.sheet);
  if (index < 0) Raise(ErrorKind::UnknownTable, "the workbook has no sheet '" + m_ref.sheet + "'");
  m_sheet = static_cast<size_t>(index);
  Sheet& s = wb.SheetAt(m_sheet);
  const SheetCells& cells = s.cells;
  m_header = m_ref.whole ? cells.FirstRow() : m_ref.row0;
  m_col0 = m_ref.whole ? cells.FirstCol() : m_ref.col0;
  uint32_t colEnd = cells.ColEnd();
  if (!m_ref.whole) colEnd = std::min(colEnd, m_ref.col1 + 1);
  m_name = Wide(TableName(m_ref));
  // An empty range still has one column, so that it opens and rows can be added.
  if (colEnd <= m_col0) colEnd = m_col0 + 1;
  for (uint32_t c = m_col0; c < colEnd; ++c) {
    Column col;
    std::string name = HeaderText(wb, s, cells.At(m_header, c));
    col.name = name.empty() ? L"F" + std::to_wstring(c - m_col0 + 1) : Wide(name);
    col.type = adVariant;
    col.attributes = adFldUpdatable | adFldIsNullable | adFldMayBeNull;
    col.definedSize = 255;
    col.baseTable = m_name;
    col.baseColumn = Wide(ColumnLetters(c));
    m_columns.push_back(std::move(col));
  }
}

int SheetTable::SheetColumn(const std::wstring& base) const {
  std::string letters(base.begin(), base.end());
  int c = ColumnOfLetters(letters);
  if (c < static_cast<int>(m_col0) || c >= static_cast<int>(m_col0 + m_columns.size())) return -1;
  return c;
}

uint32_t SheetTable::RowEnd() const {
  uint32_t end = m_wb.SheetAt(m_sheet).cells.RowEnd();
  if (!m_ref.whole) end = std::min(end, m_ref.row1 + 1);
  return std::max(end, FirstRow());
}

// Run for every cell a keyset fetches: only the fields the new kind reads
// are written, and a text goes over the old one in its room.
inline void SheetTable::ValueInto(const Sheet& s, const Cell* c, Value& out) const {
  out.shown = Value::AsStored;
  switch (c ? c->kind : Cell::Empty) {  // an Empty cell is none, a blank or an error reads as null
    case Cell::Number:
      out.kind = Value::Real;
      out.r = c->num;
      if (m_wb.IsDate(*c)) {
        out.r = m_wb.DateOf(*c);
        out.shown = Value::AsDate;
      }
      break;
    case Cell::Text: {
      out.kind = Value::Text;
      out.bytes = m_wb.TextOf(s, *c);
      out.i = 0;
      out.r = 0;
      return;
    }
    case Cell::Bool:
      out.kind = Value::Integer;
      out.i = c->num != 0;
      out.r = 0;
      out.shown = Value::AsBoolean;
      out.bytes.clear();
      return;
    default:
      out.kind = Value::Null;
      out.r = 0;
      break;
  }
  out.i = 0;
  out.bytes.clear();
}

std::vector<int> SheetTable::SheetColumns(const std::vector<Column>& columns) const {
  std::vector<int> cols;
  cols.reserve(columns.size());
  for (const Column& c : columns) cols.push_back(SheetColumn(c.baseColumn));
  return cols;
}

void SheetTable::Read(uint32_t row, const std::vector<int>& sheetColumns, Row& out) const {
  const Sheet& s = m_wb.SheetAt(m_sheet);
  uint32_t width = 0;
  const Cell* cells = s.cells.RowCells(row, width);
  out.resize(sheetColumns.size());
  for (size_t i = 0; i < sheetColumns.size(); ++i) {
    int c = sheetColumns[i];
    if (c < 0)
      out[i] = Value();
    else
      ValueInto(s, static_cast<uint32_t>(c) < width ? &cells[c] : nullptr, out[i]);
  }
}

}  // namespace workbook
}  // namespace zelado
