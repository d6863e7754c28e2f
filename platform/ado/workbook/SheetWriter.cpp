#include "platform/ado/workbook/SheetWriter.h"

#include "platform/ado/workbook/ByteIo.h"

#include <algorithm>

namespace zelado {
namespace workbook {

namespace {

bool InCellArea(uint16_t t) {
  switch (t) {
    case kRow: case kNumber: case kRk: case kMulRk: case kLabel: case kLabelSst: case kRString: case kBoolErr:
    case kBlank: case kMulBlank: case kFormula: case kString: case kShrFmla: case kArray: case kTable: case kDbCell:
      return true;
    default:
      return false;
  }
}

// One cell record, or a run of them in a MULRK or MULBLANK, with the
// records that follow a formula.
struct Unit {
  uint32_t row, first, last;
  std::vector<Record> records;
};

Record CellRecord(uint16_t type, uint32_t row, uint32_t col, uint16_t xf) {
  Record r{type, std::string()};
  Add16(r.data, static_cast<uint16_t>(row));
  Add16(r.data, static_cast<uint16_t>(col));
  Add16(r.data, xf);
  return r;
}

// The records of a changed cell; none for an emptied one.
std::vector<Record> Made(uint32_t row, uint32_t col, const Cell& c) {
  std::vector<Record> out;
  switch (c.kind) {
    case Cell::Empty: break;
    case Cell::Blank: out.push_back(CellRecord(kBlank, row, col, c.xf)); break;
    case Cell::Number:
      out.push_back(CellRecord(kNumber, row, col, c.xf));
      AddDouble(out.back().data, c.num);
      break;
    case Cell::Text:
      out.push_back(CellRecord(kLabelSst, row, col, c.xf));
      Add32(out.back().data, c.str);
      break;
    case Cell::Bool:
    case Cell::Error:
      out.push_back(CellRecord(kBoolErr, row, col, c.xf));
      out.back().data += static_cast<char>(c.num);
      out.back().data += static_cast<char>(c.kind == Cell::Error);
      break;
  }
  return out;
}

// A MULRK or MULBLANK as one record per cell, so that single cells of it
// can be replaced.
std::vector<Unit> Explode(const Unit& u) {
  std::vector<Unit> out;
  const Record& r = u.records[0];
  size_t step = r.type == kMulRk ? 6 : 2;
  uint32_t col = u.first;
  for (size_t at = 4; at + step + 2 <= r.data.size(); at += step, ++col) {
    Record one = CellRecord(r.type == kMulRk ? kRk : kBlank, u.row, col, Get16(r.data, at));
    if (step == 6) one.data += r.data.substr(at + 2, 4);
    out.push_back(Unit{u.row, col, col, {one}});
  }
  return out;
}

// DIMENSIONS for the cells now: first row, one past the last, first
// column, one past the last.
std::string Dimensions(const SheetCells& c) {
  std::string d(14, '\0');
  if (c.RowEnd() == 0) return d;
  Put32(d, 0, c.FirstRow());
  Put32(d, 4, c.RowEnd());
  Put16(d, 8, static_cast<uint16_t>(c.FirstCol()));
  Put16(d, 10, static_cast<uint16_t>(c.ColEnd()));
  return d;
}

// The row of a cell record; attached and index records have none.
bool CellRow(const Record& r, uint32_t& row) {
  if (r.type == kRow || r.type == kDbCell || r.type == kString || r.type == kShrFmla || r.type == kArray ||
      r.type == kTable || r.data.size() < 6)
    return false;
  row = Get16(r.data, 0);
  return true;
}

// The cells of one changed row: its old records (a run of cells split into
// single cells) with the changed cells put in, in column order.
void RewriteRow(std::vector<Record>& old, uint32_t row, CellEdits::const_iterator from, CellEdits::const_iterator to,
                std::vector<Record>& out) {
  std::vector<Unit> units;
  for (Record& r : old) {
    uint32_t ignored = 0;
    if (!CellRow(r, ignored)) {
      if (!units.empty()) units.back().records.push_back(std::move(r));  // follows its formula
      continue;
    }
    Unit u{row, Get16(r.data, 2), Get16(r.data, 2), {}};
    bool run = r.type == kMulRk || r.type == kMulBlank;
    u.records.push_back(std::move(r));
    if (!run) {
      units.push_back(std::move(u));
      continue;
    }
    for (Unit& p : Explode(u)) units.push_back(std::move(p));
  }
  std::vector<Unit> made;
  for (Unit& u : units) {
    bool replaced = false;
    for (auto e = from; e != to && !replaced; ++e) replaced = e->first.second == u.first;
    if (!replaced) made.push_back(std::move(u));
  }
  for (auto e = from; e != to; ++e) made.push_back(Unit{row, e->first.second, e->first.second, Made(row, e->first.second, e->second)});
  std::stable_sort(made.begin(), made.end(), [](const Unit& a, const Unit& b) { return a.first < b.first; });
  for (Unit& u : made)
    for (Record& r : u.records) out.push_back(std::move(r));
}

}  // namespace

std::vector<Record> RewriteSheet(Sheet& sheet) {
  std::vector<Record>& in = sheet.records;
  size_t first = in.size(), last = 0;
  int depth = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i].type == kBof) ++depth;
    if (depth == 1 && InCellArea(in[i].type)) {
      first = std::min(first, i);
      last = i + 1;
    }
    if (in[i].type == kEof) --depth;
  }
  if (first == in.size()) {  // no cells yet: they go after DIMENSIONS, or before the window
    for (size_t i = 0; i < in.size() && first == in.size(); ++i)
      if (in[i].type == kDimensions) first = i + 1;
    for (size_t i = 0; i < in.size() && first == in.size(); ++i)
      if (in[i].type == kWindow2 || in[i].type == kEof) first = i;
    last = first;
  }
  const CellEdits& edits = sheet.edits;
  std::vector<Record> out;
  out.reserve(in.size() + edits.size());
  for (size_t i = 0; i < first; ++i) {
    if (in[i].type == kIndex) continue;
    out.push_back(std::move(in[i]));
    if (out.back().type == kDimensions) out.back().data = Dimensions(sheet.cells);
  }
  // Unchanged rows are copied as they stand. A changed row's records are
  // gathered and written again where the row stood; changed rows that had
  // no cells go before the first cell of a later row.
  auto next = edits.begin();
  auto newRowsBefore = [&](uint32_t row) {
    while (next != edits.end() && next->first.first < row) {
      auto end = edits.lower_bound({next->first.first + 1, 0});
      std::vector<Record> none;
      RewriteRow(none, next->first.first, next, end, out);
      next = end;
    }
  };
  for (size_t i = first; i < last;) {
    uint32_t row = 0;
    if (!CellRow(in[i], row)) {
      if (in[i].type != kDbCell) out.push_back(std::move(in[i]));
      ++i;
      continue;
    }
    newRowsBefore(row);
    if (next == edits.end() || next->first.first != row) {
      out.push_back(std::move(in[i++]));
      continue;
    }
    std::vector<Record> old;
    uint32_t other = 0;
    while (i < last && in[i].type != kRow && in[i].type != kDbCell && (!CellRow(in[i], other) || other == row))
      old.push_back(std::move(in[i++]));
    auto end = edits.lower_bound({row + 1, 0});
    RewriteRow(old, row, next, end, out);
    next = end;
  }
  newRowsBefore(UINT32_MAX);
  for (size_t i = last; i < in.size(); ++i) out.push_back(std::move(in[i]));
  return out;
}

std::vector<Record> NewSheetRecords() {
  std::vector<Record> out;
  Record bof{kBof, std::string()};
  for (uint16_t w : {0x0600, 0x0010, 0x0DBB, 0x07CC}) Add16(bof.data, w);
  Add32(bof.data, 0);
  Add32(bof.data, 6);
  out.push_back(bof);
  out.push_back(Record{kDimensions, std::string(14, '\0')});
  Record window{kWindow2, std::string()};
  for (uint16_t w : {0x00B6, 0, 0, 64, 0, 0, 0, 0, 0}) Add16(window.data, w);
  out.push_back(window);
  out.push_back(Record{kEof, std::string()});
  return out;
}

Record BoundSheetRecord(const std::string& name) {
  Record r{kBoundSheet, std::string(6, '\0')};
  r.data += EncodeString(name, true);
  return r;
}

std::vector<Record> NewGlobalsRecords() {
  std::vector<Record> out;
  Record bof = NewSheetRecords()[0];
  Put16(bof.data, 2, 0x0005);
  out.push_back(bof);
  Record codePage{kCodePage, std::string()};
  Add16(codePage.data, 1200);  // texts are UTF-16
  out.push_back(codePage);
  Record window{0x003D, std::string()};
  for (uint16_t w : {0, 0, 0x3000, 0x2000, 0x0038, 0, 0, 1, 0x0258}) Add16(window.data, w);
  out.push_back(window);
  out.push_back(Record{kDateMode, std::string(2, '\0')});
  for (int i = 0; i < 5; ++i) {  // readers skip font 4, so five are written
    Record font{0x0031, std::string()};
    for (uint16_t w : {200, 0, 0x7FFF, 400, 0}) Add16(font.data, w);
    font.data += std::string(4, '\0');
    font.data += EncodeString("Arial", true);
    out.push_back(font);
  }
  for (int i = 0; i < 17; ++i) {  // 15 style formats, the default cell format (15), a date format (16)
    Record xf{kXf, std::string()};
    Add16(xf.data, 0);
    Add16(xf.data, i == 16 ? 14 : 0);
    Add16(xf.data, i < 15 ? 0xFFF5 : 0x0001);
    xf.data += std::string("\x20\x00\x00", 3);
    xf.data += static_cast<char>(i < 15 ? 0xF4 : 0x00);
    xf.data += std::string(8, '\0');
    Add16(xf.data, 0x20C0);
    out.push_back(xf);
  }
  Record style{0x0293, std::string()};
  Add16(style.data, 0x8000);
  style.data += std::string("\x00\xFF", 2);
  out.push_back(style);
  Record sst{kSst, std::string(8, '\0')};
  out.push_back(sst);
  out.push_back(Record{kEof, std::string()});
  return out;
}

}  // namespace workbook
}  // namespace zelado
