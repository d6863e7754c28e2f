#include "platform/ado/workbook/Workbook.h"

#include "platform/ado/AdoErrors.h"
#include "platform/ado/workbook/ByteIo.h"
#include "platform/ado/workbook/SheetWriter.h"

#include <algorithm>
#include <cctype>

namespace zelado {
namespace workbook {

namespace {

const uint16_t kName = 0x0018, kExternSheet = 0x0017, kSupBook = 0x01AE;

bool StartsWithNoCase(const std::string& s, size_t at, const char* word) {
  for (size_t i = 0; word[i]; ++i)
    if (at + i >= s.size() || std::tolower(static_cast<unsigned char>(s[at + i])) != word[i]) return false;
  return true;
}

// What a file that is no compound file is, in words a user knows.
[[noreturn]] void NotAWorkbook(const std::string& bytes) {
  if (bytes.empty()) Raise(ErrorKind::Connection, L"the file is empty, not a workbook");
  if (bytes.compare(0, 4, "PK\x03\x04") == 0)
    Raise(ErrorKind::Connection, L"the file is a zip package (a newer .xlsx workbook), not a 97-2003 workbook");
  size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
  if (StartsWithNoCase(bytes, at, "<!doctype") || StartsWithNoCase(bytes, at, "<html") ||
      StartsWithNoCase(bytes, at, "<table") || StartsWithNoCase(bytes, at, "<?xml"))
    Raise(ErrorKind::Connection, L"the file is an HTML or XML page, not a 97-2003 workbook");
  size_t head = std::min<size_t>(bytes.size(), 4096);
  bool text = bytes.find('\0') >= head;
  if (text && (bytes.find(',', 0) < head || bytes.find(';') < head || bytes.find('\t') < head))
    Raise(ErrorKind::Connection, L"the file is CSV text, not a 97-2003 workbook");
  Raise(ErrorKind::Connection, text ? L"the file is plain text, not a workbook" : L"the file is not a workbook");
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

std::unique_ptr<Workbook> Workbook::Load(std::string bytes) {
  if (bytes.size() < 8 || bytes.compare(0, 8, CompoundFile::kMagic, 8) != 0) NotAWorkbook(bytes);
  std::unique_ptr<Workbook> wb(new Workbook);
  wb->m_file = CompoundFile::Parse(bytes, u"Workbook");
  wb->m_stream = wb->m_file.Find(u"Workbook");
  if (wb->m_stream < 0) {
    if (wb->m_file.Find(u"Book") >= 0)
      Raise(ErrorKind::Connection, L"the file is an older (Excel 5/95) workbook; only 97-2003 workbooks are read");
    Raise(ErrorKind::Connection, L"the compound file holds no workbook stream");
  }
  // The sheets' parts are views of the stream as read; no second copy is
  // kept. A stream in one run of the file is viewed where it stands in the
  // file's bytes (most writers place it so).
  CompoundFile::Entry& entry = wb->m_file.Entries()[wb->m_stream];
  std::shared_ptr<std::string> shared;
  size_t base = 0, size = 0;
  if (entry.inFile != SIZE_MAX) {
    base = entry.inFile;
    size = entry.inFileSize;
    shared = std::make_shared<std::string>(std::move(bytes));
    entry.inFile = SIZE_MAX;
  } else {
    shared = std::make_shared<std::string>(std::move(entry.data));
    size = shared->size();
  }
  entry.data.clear();
  const std::string_view stream = std::string_view(*shared).substr(base, size);
  size_t at = 0;
  wb->m_globals = ReadPart(stream, at);
  if (wb->m_globals[0].data.size() < 4 || Get16(wb->m_globals[0].data, 0) != 0x0600)
    Raise(ErrorKind::Connection, L"the workbook stream is of an older format; only 97-2003 workbooks are read");
  wb->ReadGlobals();
  size_t total = at;
  for (Sheet& s : wb->m_sheets) {
    size_t pos = s.oldOffset;
    if (pos >= stream.size()) Damaged("a sheet's position is past the end of the workbook stream");
    size_t end = PartEnd(stream, pos);
    // Sheets of a sound stream do not overlap: more than the stream is a loop of references.
    if ((total += end - pos) > stream.size()) Damaged("sheets overlap one another");
    s.records = PartRecords::FromBytes(shared, base + pos, end - pos);
    if (s.kind == 0) s.cells.Parse(s.records.Bytes());
  }
  return wb;
}

std::unique_ptr<Workbook> Workbook::New() {
  std::unique_ptr<Workbook> wb(new Workbook);
  wb->m_file = CompoundFile::Empty();
  wb->m_stream = wb->m_file.AddStream(u"Workbook", std::string());
  wb->m_globals = NewGlobalsRecords();
  wb->ReadGlobals();
  return wb;
}

void Workbook::ReadGlobals() {
  for (size_t i = 0; i < m_globals.size(); ++i) {
    const Record& r = m_globals[i];
    if (r.type == kDateMode && r.data.size() >= 2) m_date1904 = Get16(r.data, 0) == 1;
    if (r.type == kFormat || r.type == kXf) m_formats.Read(r);
    if (r.type == kSst) m_sst.Parse(m_globals, i);
    if (r.type == kBoundSheet) {
      if (r.data.size() < 8) Damaged("a sheet entry is too short");
      Sheet s;
      s.boundSheet = i;
      s.oldOffset = Get32(r.data, 0);
      s.kind = static_cast<uint8_t>(r.data[5]);
      size_t at = 6;
      s.name = ReadString(r.data, at, true);
      m_sheets.push_back(std::move(s));
    }
  }
}

int Workbook::FindSheet(const std::string& name) const {
  for (size_t i = 0; i < m_sheets.size(); ++i)
    if (m_sheets[i].kind == 0 && SameName(m_sheets[i].name, name)) return static_cast<int>(i);
  return -1;
}

void Workbook::Put(size_t sheet, uint32_t row, uint32_t col, Cell c) {
  if (row >= kMaxRows || col >= kMaxCols) Raise(ErrorKind::ValueRefused, L"the cell lies outside the sheet's grid (65536 rows, 256 columns)");
  Sheet& s = m_sheets[sheet];
  const Cell* old = s.cells.At(row, col);
  // A new cell takes the default cell format, where there is one.
  c.xf = old ? old->xf : m_formats.XfCount() > 15 ? 15 : 0;
  s.cells.Set(row, col, c);
  s.edits[{row, col}] = c;
  s.rewrite = true;
}

void Workbook::SetNumber(size_t sheet, uint32_t row, uint32_t col, double v) {
  Cell c;
  c.kind = Cell::Number;
  c.num = v;
  Put(sheet, row, col, c);
}

void Workbook::SetText(size_t sheet, uint32_t row, uint32_t col, const std::string& utf8) {
  Cell c;
  c.kind = Cell::Text;
  c.shared = true;
  c.str = m_sst.Intern(utf8);
  ++m_newSstUses;
  Put(sheet, row, col, c);
}

void Workbook::SetBool(size_t sheet, uint32_t row, uint32_t col, bool v) {
  Cell c;
  c.kind = Cell::Bool;
  c.num = v ? 1 : 0;
  Put(sheet, row, col, c);
}

void Workbook::SetBlank(size_t sheet, uint32_t row, uint32_t col) {
  Cell c;
  c.kind = Cell::Blank;
  Put(sheet, row, col, c);
}

void Workbook::Clear(size_t sheet, uint32_t row, uint32_t col) {
  // A cleared cell keeps its format, as a blank.
  if (m_sheets[sheet].cells.At(row, col)) SetBlank(sheet, row, col);
}

void Workbook::AddSheet(const std::string& name, const std::vector<std::string>& headers) {
  size_t at = 0;
  for (size_t i = 0; i < m_globals.size(); ++i) {
    uint16_t t = m_globals[i].type;
    if (t == kBoundSheet) at = i + 1;
    if (at == 0 && (t == kSst || t == kEof)) at = i;
  }
  m_globals.insert(m_globals.begin() + at, BoundSheetRecord(name));
  for (Sheet& s : m_sheets)
    if (s.boundSheet >= at) ++s.boundSheet;
  Sheet s;
  s.name = name;
  s.boundSheet = at;
  s.records = NewSheetRecords();
  s.rewrite = true;
  m_sheets.push_back(std::move(s));
  for (size_t c = 0; c < headers.size(); ++c) SetText(m_sheets.size() - 1, 0, static_cast<uint32_t>(c), headers[c]);
}

void Workbook::DropSheet(size_t sheet) {
  size_t worksheets = 0;
  for (const Sheet& s : m_sheets) worksheets += s.kind == 0;
  Sheet& gone = m_sheets[sheet];
  if (worksheets <= 1) {
    for (uint32_t r = 0; r < gone.cells.RowEnd(); ++r)
      for (uint32_t c = 0; c < gone.cells.ColEnd(); ++c)
        if (gone.cells.At(r, c)) gone.edits[{r, c}] = Cell();
    gone.cells.Clear();
    gone.rewrite = true;
    return;
  }
  size_t record = gone.boundSheet;
  m_globals.erase(m_globals.begin() + record);
  m_sheets.erase(m_sheets.begin() + sheet);
  for (Sheet& s : m_sheets)
    if (s.boundSheet > record) --s.boundSheet;
  // References by sheet number: local names and the internal EXTERNSHEET
  // entries move down; those that named the sheet now name none.
  int supBook = -1, internal = -1;
  uint16_t tab = static_cast<uint16_t>(sheet);
  for (Record& r : m_globals) {
    if (r.type == kSupBook) {
      ++supBook;
      if (r.data.size() == 4 && Get16(r.data, 2) == 0x0401) internal = supBook;
    } else if (r.type == kName && r.data.size() >= 10) {
      uint16_t itab = Get16(r.data, 8);
      if (itab > tab + 1) Put16(r.data, 8, itab - 1);
    } else if (r.type == kExternSheet && r.data.size() >= 2 && internal >= 0) {
      size_t n = std::min<size_t>(Get16(r.data, 0), (r.data.size() - 2) / 6);
      for (size_t i = 0; i < n; ++i) {
        size_t at = 2 + i * 6;
        if (Get16(r.data, at) != internal) continue;
        for (size_t k = at + 2; k <= at + 4; k += 2) {
          uint16_t v = Get16(r.data, k);
          if (v == tab) Put16(r.data, k, 0xFFFE);
          else if (v > tab && v < 0xFFFE) Put16(r.data, k, v - 1);
        }
      }
    }
  }
}

}  // namespace workbook
}  // namespace zelado
