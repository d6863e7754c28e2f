// The statements the workbook engine runs, and the table names they use:
// a sheet name with "$" and an optional range ("Sheet$", "Sheet$A1:IV65536",
// "Sheet$B2:D10"), in brackets, back quotes or single quotes when needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelado {
namespace workbook {

struct Statement {
  enum Kind { Select, DropTable, CreateTable };
  Kind kind = Select;
  std::string table;                 // as written, quotes removed (UTF-8)
  std::vector<std::string> columns;  // SELECT: the names asked for (none for *); CREATE: the new columns
};

// Raises Syntax for anything else.
Statement ParseStatement(const std::wstring& text);

struct TableRef {
  std::string sheet;
  bool whole = true;  // no range given: the used cells
  uint32_t row0 = 0, col0 = 0, row1 = 0, col1 = 0;  // inclusive
};

// "Sheet$range"; Syntax for a malformed range or one outside the grid.
TableRef ParseTable(const std::string& table);
// The name a table is known by in rows and keys: "Sheet$A1:IV65536".
std::string TableName(const TableRef& ref);
// "A", "B", ... "IV" for a 0-based column, and back (-1 when not one).
std::string ColumnLetters(uint32_t col);
int ColumnOfLetters(const std::string& letters);

}  // namespace workbook
}  // namespace zelado
