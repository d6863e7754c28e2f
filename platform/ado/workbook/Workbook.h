// A workbook held as its records: the globals and one part per sheet, with
// the cells of each sheet read into a grid. Changes go to the grid and to a
// list of changed cells per sheet; Serialize writes the changed sheets'
// records again (SheetWriter) and copies every other record, sheet and
// stream of the compound file as it was read.
#pragma once

#include "platform/ado/workbook/CellFormats.h"
#include "platform/ado/workbook/CompoundFile.h"
#include "platform/ado/workbook/PartRecords.h"
#include "platform/ado/workbook/SharedStrings.h"
#include "platform/ado/workbook/SheetCells.h"

#include <map>
#include <memory>

namespace zelado {
namespace workbook {

using CellEdits = std::map<std::pair<uint32_t, uint32_t>, Cell>;  // (row, column) -> new cell

struct Sheet {
  std::string name;
  size_t boundSheet = 0;  // its BOUNDSHEET record among the globals
  uint8_t kind = 0;       // 0 worksheet, 2 chart, 6 macro module
  PartRecords records;
  size_t oldOffset = 0;   // where its BOF stood in the stream read
  bool rewrite = false;   // records must be written again from the cells
  SheetCells cells;
  CellEdits edits;
};

class Workbook {
public:
  // Raises Connection with a plain description for anything that is not a
  // readable workbook (naming HTML, CSV and zip packages for what they are).
  static std::unique_ptr<Workbook> Load(std::string bytes);
  // A new workbook with no sheets yet (AddSheet gives it one).
  static std::unique_ptr<Workbook> New();

  std::string Serialize();

  size_t SheetCount() const { return m_sheets.size(); }
  Sheet& SheetAt(size_t i) { return m_sheets[i]; }
  // The worksheet of that name (without regard to case), or -1.
  int FindSheet(const std::string& name) const;
  // Text of a text cell (read once per text cell read).
  const std::string& TextOf(const Sheet& sheet, const Cell& c) const {
    static const std::string kNone;
    if (!c.shared) return sheet.cells.Own(c.str);
    return c.str < m_sst.Count() ? m_sst.Text(c.str) : kNone;
  }
  bool IsDate(const Cell& c) const { return c.kind == Cell::Number && m_formats.IsDate(c.xf); }
  // The serial day as the platform counts dates (from 30 December 1899).
  double DateOf(const Cell& c) const { return m_date1904 ? c.num + 1462 : c.num; }

  // A cell's new contents; its format stays (a new cell takes the default).
  void SetNumber(size_t sheet, uint32_t row, uint32_t col, double v);
  void SetText(size_t sheet, uint32_t row, uint32_t col, const std::string& utf8);
  void SetBool(size_t sheet, uint32_t row, uint32_t col, bool v);
  void SetBlank(size_t sheet, uint32_t row, uint32_t col);
  // A cleared cell keeps its format, as a blank.
  void Clear(size_t sheet, uint32_t row, uint32_t col);

  void AddSheet(const std::string& name, const std::vector<std::string>& headers);
  // Removes the sheet; the only sheet is emptied instead.
  void DropSheet(size_t sheet);

private:
  void ReadGlobals();
  void Put(size_t sheet, uint32_t row, uint32_t col, Cell c);
  std::vector<Record> GlobalsToWrite(size_t& sstAt);

  CompoundFile m_file;
  int m_stream = -1;
  std::vector<Record> m_globals;
  std::vector<Sheet> m_sheets;
  SharedStrings m_sst;
  CellFormats m_formats;
  bool m_date1904 = false;
  uint32_t m_newSstUses = 0;
};

}  // namespace workbook
}  // namespace zelado
