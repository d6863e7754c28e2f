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

void SplitCellArea(const std::vector<Record>& records, size_t from, size_t to, std::map<uint32_t, Record>& rows,
                   std::vector<Unit>& units) {
  for (size_t i = from; i < to; ++i) {
    const Record& r = records[i];
    if (r.type == kDbCell) continue;
    if (r.type == kRow) {
      if (r.data.size() >= 2) rows[Get16(r.data, 0)] = r;
      continue;
    }
    if (r.type == kString || r.type == kShrFmla || r.type == kArray || r.type == kTable) {
      if (!units.empty()) units.back().records.push_back(r);
      continue;
    }
    if (r.data.size() < 6) continue;
    uint32_t row = Get16(r.data, 0), col = Get16(r.data, 2), last = col;
    if (r.type == kMulRk || r.type == kMulBlank) last = Get16(r.data, r.data.size() - 2);
    units.push_back(Unit{row, col, std::max(col, last), {r}});
  }
}

}  // namespace

std::vector<Record> RewriteSheet(const Sheet& sheet) {
  const std::vector<Record>& in = sheet.records;
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
  std::map<uint32_t, Record> rows;
  std::vector<Unit> old, units;
  SplitCellArea(in, first, last, rows, old);
  CellEdits edits = sheet.edits;
  for (Unit& u : old) {
    auto hit = edits.lower_bound({u.row, u.first});
    bool touched = hit != edits.end() && hit->first.first == u.row && hit->first.second <= u.last;
    if (!touched) {
      units.push_back(std::move(u));
      continue;
    }
    std::vector<Unit> parts = u.first == u.last ? std::vector<Unit>{u} : Explode(u);
    for (Unit& p : parts) {
      auto e = edits.find({p.row, p.first});
      if (e == edits.end()) {
        units.push_back(std::move(p));
        continue;
      }
      units.push_back(Unit{p.row, p.first, p.first, Made(p.row, p.first, e->second)});
      edits.erase(e);
    }
  }
  for (const auto& e : edits) units.push_back(Unit{e.first.first, e.first.second, e.first.second, Made(e.first.first, e.first.second, e.second)});
  std::stable_sort(units.begin(), units.end(),
                   [](const Unit& a, const Unit& b) { return a.row != b.row ? a.row < b.row : a.first < b.first; });

  std::vector<Record> out;
  for (size_t i = 0; i < first; ++i) {
    if (in[i].type == kIndex) continue;
    out.push_back(in[i]);
    if (in[i].type != kDimensions) continue;
    Record& d = out.back();
    d.data.assign(14, '\0');
    const SheetCells& c = sheet.cells;
    if (c.RowEnd() > 0) {
      Put32(d.data, 0, c.FirstRow());
      Put32(d.data, 4, c.RowEnd());
      Put16(d.data, 8, static_cast<uint16_t>(c.FirstCol()));
      Put16(d.data, 10, static_cast<uint16_t>(c.ColEnd()));
    }
  }
  auto nextRow = rows.begin();
  size_t next = 0;
  while (nextRow != rows.end() || next < units.size()) {
    uint32_t block = std::min(nextRow != rows.end() ? nextRow->first : UINT32_MAX,
                              next < units.size() ? units[next].row : UINT32_MAX) / 32;
    for (; nextRow != rows.end() && nextRow->first / 32 == block; ++nextRow) out.push_back(nextRow->second);
    for (; next < units.size() && units[next].row / 32 == block; ++next)
      for (Record& r : units[next].records) out.push_back(std::move(r));
  }
  out.insert(out.end(), in.begin() + last, in.end());
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
