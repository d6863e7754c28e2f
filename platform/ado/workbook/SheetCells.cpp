#include "platform/ado/workbook/SheetCells.h"

#include "platform/ado/workbook/ByteIo.h"

#include <algorithm>

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

namespace {

bool IsSingleCell(uint16_t type) {
  return type == kNumber || type == kRk || type == kLabel || type == kLabelSst || type == kBoolErr ||
         type == kBlank || type == kFormula || type == kRString;
}

// Calls f(type, data, position) for each record of the sheet itself (an
// embedded chart's records are not cells).
template <class F>
void ForEachOwnRecord(std::string_view part, F&& f) {
  int depth = 0;
  for (size_t at = 0, next; at + 4 <= part.size(); at = next) {
    uint16_t type = Get16(part, at);
    next = at + 4 + Get16(part, at + 2);
    if (next > part.size()) Damaged("a record runs past the end of the workbook stream");
    if (type == kBof) ++depth;
    if (type == kEof) --depth;
    if (depth == 1) f(type, part.substr(at + 4, next - at - 4), at);
  }
}

// A cell record's row and the columns it covers, [first, end); none for
// other records. Raises for a cell record too short to say.
inline bool CellSpan(uint16_t type, std::string_view d, uint32_t& row, uint32_t& first, uint32_t& end) {
  bool run = type == kMulRk || type == kMulBlank;
  if (!run && !IsSingleCell(type)) return false;
  if (d.size() < 6) Damaged("a cell record is too short");
  row = Get16(d, 0);
  first = Get16(d, 2);
  end = run ? first + static_cast<uint32_t>((d.size() - 6) / (type == kMulRk ? 6 : 2)) : first + 1;
  end = std::min(end, kMaxCols);  // past the grid's last column a cell is dropped
  return true;
}

}  // namespace

// While a sheet is read, the row its cells go to is given at once the room
// of the widest row so far (most rows are that wide), and gives back what
// it did not use when cells start on another row: one allocation for most
// rows, while narrow rows under a wide one keep no more room than their
// cells need. Rows are sized for the cells of the grid only.
// Most cells come next on the row being filled, into room it has.
inline void SheetCells::Place(uint32_t row, uint32_t col, const Cell& cell) {
  if (row == m_filling) {
    // By index, not by a pointer kept across calls: the list of rows may
    // move under it (a late DIMENSIONS record, a STRING's cell).
    std::vector<Cell>& r = m_rows[row];
    if (col == r.size() && col < r.capacity()) {
      r.push_back(cell);
      m_colEnd = std::max(m_colEnd, col + 1);
      return;
    }
  }
  PlaceAnywhere(row, col, cell);
}

void SheetCells::PlaceAnywhere(uint32_t row, uint32_t col, const Cell& cell) {
  if (row != m_filling) {
    FitRow(m_filling);
    m_filling = row;
    if (row >= m_rows.size()) m_rows.resize(row + 1);
    m_rows[row].reserve(std::max(m_colEnd, col + 1));
  }
  std::vector<Cell>& r = m_rows[row];
  if (col >= r.size()) r.resize(col + 1);
  r[col] = cell;
  m_colEnd = std::max(m_colEnd, col + 1);
}

void SheetCells::FitRow(uint32_t row) {
  if (row >= m_rows.size()) return;
  std::vector<Cell>& r = m_rows[row];
  if (r.capacity() > 2 * r.size()) std::vector<Cell>(r).swap(r);
}

void SheetCells::Parse(std::string_view part) {
  Clear();
  m_filling = UINT32_MAX;
  bool stringDue = false;  // a formula with a text result waits for its STRING
  uint32_t dueRow = 0, dueCol = 0;
  ForEachOwnRecord(part, [&](uint16_t type, std::string_view d, size_t at) {
    if (type == kString && stringDue) {
      size_t end = at + 4 + d.size();
      while (end + 4 <= part.size() && Get16(part, end) == kContinue) end += 4 + Get16(part, end + 2);
      std::vector<Record> run = SplitRecords(part.substr(at, std::min(end, part.size()) - at));
      ContinuedReader in(run, 0);
      uint16_t count = in.U16();
      std::string text;
      in.Chars(count, in.U8() & 1, text);
      Cell c;
      c.kind = Cell::Text;
      c.str = AddOwn(std::move(text));
      if (const Cell* f = At(dueRow, dueCol)) c.xf = f->xf;
      Set(dueRow, dueCol, c);
      stringDue = false;
      return;
    }
    if (type == kDimensions && d.size() >= 8) {
      // Room for the rows the sheet says it uses, at most as many as it
      // has bytes for (a cell record takes ten), so that the list of rows
      // is not copied as it grows.
      m_rows.reserve(std::min<size_t>({Get32(d, 4), kMaxRows, part.size() / 10}));
      return;
    }
    uint32_t row, col, end;
    if (!CellSpan(type, d, row, col, end)) return;
    auto place = [&](uint32_t c, const Cell& cell) {
      if (c < end) Place(row, c, cell);
    };
    Cell c;
    c.xf = Get16(d, 4);
    auto need = [&](size_t n) {
      if (d.size() < n) Damaged("a cell record is too short");
    };
    switch (type) {
      case kNumber: need(14); c.kind = Cell::Number; c.num = GetDouble(d, 6); break;
      case kRk: need(10); c.kind = Cell::Number; c.num = RkValue(Get32(d, 6)); break;
      case kLabelSst: need(10); c.kind = Cell::Text; c.shared = true; c.str = Get32(d, 6); break;
      case kLabel:
      case kRString: {
        size_t from = 6;
        c.kind = Cell::Text;
        c.str = AddOwn(ReadString(d, from, false));
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
        size_t step = type == kMulRk ? 6 : 2;
        for (size_t from = 4; from + step + 2 <= d.size(); from += step, ++col) {
          Cell m;
          m.kind = step == 6 ? Cell::Number : Cell::Blank;
          m.xf = Get16(d, from);
          if (step == 6) m.num = RkValue(Get32(d, from + 2));
          place(col, m);
        }
        return;
      }
    }
    place(col, c);
  });
  FitRow(m_filling);
}

}  // namespace workbook
}  // namespace zelado
