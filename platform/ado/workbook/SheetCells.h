// The cells of one sheet as read from its records: a grid of rows, each
// holding its cells by column. Numbers, texts, booleans, error codes and
// formatted blanks keep their cell format; formula cells hold their cached
// result.
#pragma once

#include "platform/ado/workbook/Biff.h"

namespace zelado {
namespace workbook {

struct Cell {
  enum Kind : uint8_t { Empty, Blank, Number, Text, Bool, Error };
  Kind kind = Empty;
  bool shared = false;  // text: index into the shared strings, else into the sheet's own
  uint16_t xf = 0;
  uint32_t str = 0;
  double num = 0;
};

const uint32_t kMaxRows = 65536, kMaxCols = 256;

class SheetCells {
public:
  // The records of a sheet's part (sound, as PartEnd found them).
  void Parse(std::string_view part);

  const Cell* At(uint32_t row, uint32_t col) const {
    if (row >= m_rows.size() || col >= m_rows[row].size()) return nullptr;
    const Cell& c = m_rows[row][col];
    return c.kind == Cell::Empty ? nullptr : &c;
  }
  // A row's cells by column, `width` of them (none past the last row);
  // Empty ones are no cells.
  const Cell* RowCells(uint32_t row, uint32_t& width) const {
    width = row < m_rows.size() ? static_cast<uint32_t>(m_rows[row].size()) : 0;
    return width ? m_rows[row].data() : nullptr;
  }
  void Set(uint32_t row, uint32_t col, const Cell& cell);
  // One past the last row and column holding a cell (blanks count).
  uint32_t RowEnd() const { return static_cast<uint32_t>(m_rows.size()); }
  uint32_t ColEnd() const { return m_colEnd; }
  uint32_t FirstRow() const;
  uint32_t FirstCol() const;
  const std::string& Own(uint32_t i) const { return m_own[i]; }
  uint32_t AddOwn(std::string text);
  void Clear();

private:
  void Place(uint32_t row, uint32_t col, const Cell& cell);
  void PlaceAnywhere(uint32_t row, uint32_t col, const Cell& cell);
  void FitRow(uint32_t row);
  void Trim();
  std::vector<std::vector<Cell>> m_rows;
  std::vector<std::string> m_own;  // texts of LABEL cells and formula results
  uint32_t m_colEnd = 0;
  uint32_t m_filling = UINT32_MAX;  // the row Parse is filling
};

// The value of an RK number.
double RkValue(uint32_t rk);

}  // namespace workbook
}  // namespace zelado
