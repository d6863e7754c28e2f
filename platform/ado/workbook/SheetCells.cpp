#include "platform/ado/workbook/SheetCells.h"

#include "platform/ado/workbook/ByteIo.h"

namespace zelado {
namespace workbook {

double RkValue(uint32_t rk) {
  double v;
  if (rk & 2) {
    v = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    // The upper 30 bits of a double; its lower 34 are zero.
    uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&v, &bits, sizeof v);
  }
  return rk & 1 ? v / 100 : v;
}

void SheetCells::Set(uint32_t row, uint32_t col, const Cell& cell) {
  if (row >= kMaxRows || col >= kMaxCols) return;
  if (cell.kind != Cell::Empty) {
    if (row >= m_rows.size()) m_rows.resize(row + 1);
    // Rows are read cell by cell and most are as wide as the widest so far,
    // so a row grows straight towards that width (its cells past the last are
    // Empty, which is no cell); never past twice what it holds, so that narrow
    // rows under one wide row take no more room than growing cell by cell.
    std::vector<Cell>& r = m_rows[row];
    if (col >= r.size()) r.resize(std::min(std::max(col + 1, m_colEnd), 2 * (col + 1)));
    m_colEnd = std::max(m_colEnd, col + 1);
  } else if (row >= m_rows.size() || col >= m_rows[row].size()) {
    return;
  }
  m_rows[row][col] = cell;
  if (cell.kind == Cell::Empty) Trim();
}

// Drops empty rows at the end and finds the last column again.
void SheetCells::Trim() {
  while (!m_rows.empty()) {
    auto& r = m_rows.back();
    while (!r.empty() && r.back().kind == Cell::Empty) r.pop_back();
    if (!r.empty()) break;
    m_rows.pop_back();
  }
  m_colEnd = 0;
  for (const auto& r : m_rows) {
    size_t end = r.size();
    while (end > 0 && r[end - 1].kind == Cell::Empty) --end;
    m_colEnd = std::max(m_colEnd, static_cast<uint32_t>(end));
  }
}

uint32_t SheetCells::FirstRow() const {
  for (uint32_t r = 0; r < m_rows.size(); ++r)
    for (const Cell& c : m_rows[r])
      if (c.kind != Cell::Empty) return r;
  return 0;
}

uint32_t SheetCells::FirstCol() const {
  uint32_t first = m_colEnd;
  for (const auto& r : m_rows)
    for (uint32_t c = 0; c < r.size() && c < first; ++c)
      if (r[c].kind != Cell::Empty) first = c;
  return first == m_colEnd ? 0 : first;
}

uint32_t SheetCells::AddOwn(std::string text) {
  m_own.push_back(std::move(text));
  return static_cast<uint32_t>(m_own.size() - 1);
}

void SheetCells::Clear() {
  m_rows.clear();
  m_own.clear();
  m_colEnd = 0;
}

void SheetCells::Parse(const std::vector<Record>& records) {
  Clear();
  bool stringDue = false;  // a formula with a text result waits for its STRING
  uint32_t dueRow = 0, dueCol = 0;
  int depth = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& rec = records[i];
    const std::string& d = rec.data;
    if (rec.type == kBof) ++depth;
    if (rec.type == kEof) --depth;
    if (depth != 1) continue;  // an embedded chart's records are not cells
    if (rec.type == kString && stringDue) {
      ContinuedReader in(records, i);
      uint16_t count = in.U16();
      std::string text;
      in.Chars(count, in.U8() & 1, text);
      Cell c;
      c.kind = Cell::Text;
      c.str = AddOwn(std::move(text));
      if (const Cell* f = At(dueRow, dueCol)) c.xf = f->xf;
      Set(dueRow, dueCol, c);
      stringDue = false;
      continue;
    }
    bool single = rec.type == kNumber || rec.type == kRk || rec.type == kLabel || rec.type == kLabelSst ||
                  rec.type == kBoolErr || rec.type == kBlank || rec.type == kFormula || rec.type == kRString;
    if ((single && d.size() < 6) || ((rec.type == kMulRk || rec.type == kMulBlank) && d.size() < 6))
      Damaged("a cell record is too short");
    if (!single && rec.type != kMulRk && rec.type != kMulBlank) continue;
    uint32_t row = Get16(d, 0), col = Get16(d, 2);
    Cell c;
    c.xf = Get16(d, 4);
    auto need = [&](size_t n) {
      if (d.size() < n) Damaged("a cell record is too short");
    };
    switch (rec.type) {
      case kNumber: need(14); c.kind = Cell::Number; c.num = GetDouble(d, 6); break;
      case kRk: need(10); c.kind = Cell::Number; c.num = RkValue(Get32(d, 6)); break;
      case kLabelSst: need(10); c.kind = Cell::Text; c.shared = true; c.str = Get32(d, 6); break;
      case kLabel:
      case kRString: {
        size_t at = 6;
        c.kind = Cell::Text;
        c.str = AddOwn(ReadString(d, at, false));
        break;
      }
      case kBoolErr: need(8); c.kind = d[7] ? Cell::Error : Cell::Bool; c.num = static_cast<uint8_t>(d[6]); break;
      case kBlank: c.kind = Cell::Blank; break;
      case kFormula:
        need(20);
        stringDue = false;
        if (Get16(d, 12) != 0xFFFF) {
          c.kind = Cell::Number;
          c.num = GetDouble(d, 6);
        } else if (d[6] == 0) {
          c.kind = Cell::Text;  // until its STRING record comes
          c.str = AddOwn(std::string());
          stringDue = true;
          dueRow = row;
          dueCol = col;
        } else if (d[6] == 1 || d[6] == 2) {
          c.kind = d[6] == 1 ? Cell::Bool : Cell::Error;
          c.num = static_cast<uint8_t>(d[8]);
        } else {
          c.kind = Cell::Text;
          c.str = AddOwn(std::string());
        }
        break;
      case kMulRk:
      case kMulBlank: {
        // A run of cells: a format (and an RK number) each, the last column at the end.
        size_t step = rec.type == kMulRk ? 6 : 2;
        for (size_t at = 4; at + step + 2 <= d.size(); at += step, ++col) {
          Cell m;
          m.kind = step == 6 ? Cell::Number : Cell::Blank;
          m.xf = Get16(d, at);
          if (step == 6) m.num = RkValue(Get32(d, at + 2));
          Set(row, col, m);
        }
        continue;
      }
    }
    Set(row, col, c);
  }
}

}  // namespace workbook
}  // namespace zelado
