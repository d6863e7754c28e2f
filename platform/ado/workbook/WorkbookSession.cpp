#include "platform/ado/workbook/WorkbookSession.h"

#include "platform/ado/MemoryRows.h"
#include "platform/ado/workbook/SheetTable.h"
#include "platform/base/AtomicFile.h"
#include "platform/oleaut/Bstr.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdio>

namespace zelado {
namespace workbook {

namespace {

std::string Utf8(const std::wstring& w) { return ZelUtf8FromWide(w.data(), w.size()); }

// The rows of a range, keyed by row number.
class SheetRows : public RowStream {
public:
  explicit SheetRows(std::unique_ptr<SheetTable> t)
      : m_table(std::move(t)), m_cols(m_table->SheetColumns(m_table->Columns())), m_next(m_table->FirstRow()) {}
  const std::vector<Column>& Columns() const override { return m_table->Columns(); }
  bool Next(Row* row, int64_t* key) override {
    if (m_next >= m_table->RowEnd()) return false;
    if (row) m_table->Read(m_next, m_cols, *row);
    if (key) *key = m_next;
    ++m_next;
    return true;
  }
  // The keys are the row numbers left: one allocation of the right size.
  void Keys(std::vector<int64_t>& keys) override {
    uint32_t end = m_table->RowEnd();
    if (m_next < end) keys.reserve(keys.size() + (end - m_next));
    for (; m_next < end; ++m_next) keys.push_back(m_next);
  }
  const std::wstring& Table() const override { return m_table->Name(); }
  bool Keyed() const override { return true; }

private:
  std::unique_ptr<SheetTable> m_table;
  std::vector<int> m_cols;
  uint32_t m_next;
};

// A large file's buffer is mapped in one call rather than a page fault at
// a time as it fills (a hint: a kernel without it faults as before).
void PrepareBuffer(std::string& bytes, size_t size) {
  bytes.reserve(size);
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t start = (reinterpret_cast<uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(bytes.data()) + size) & ~(page - 1);
#ifdef MADV_POPULATE_WRITE
  if (end > start + 16 * page) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#endif
}

}  // namespace

std::unique_ptr<Session> OpenSession(const std::wstring& path, bool readOnly) {
  std::string file = Utf8(path);
  struct stat st;
  if (stat(file.c_str(), &st) != 0) {
    if (errno != ENOENT || readOnly) Raise(ErrorKind::Connection, "cannot open the workbook '" + file + "': " + std::strerror(errno));
    return std::unique_ptr<Session>(new WorkbookSession(file, nullptr, readOnly));
  }
  if (S_ISDIR(st.st_mode)) Raise(ErrorKind::Connection, "'" + file + "' is a folder, not a workbook");
  std::string bytes;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in) {
    PrepareBuffer(bytes, static_cast<size_t>(st.st_size));
    bytes.resize(static_cast<size_t>(st.st_size));
    bytes.resize(std::fread(&bytes[0], 1, bytes.size(), in));
    std::fclose(in);
  }
  if (!in || bytes.size() != static_cast<size_t>(st.st_size))
    Raise(ErrorKind::Connection, "cannot read the workbook '" + file + "': " + std::strerror(errno));
  return std::unique_ptr<Session>(new WorkbookSession(file, Workbook::Load(std::move(bytes)), readOnly));
}

Capabilities WorkbookSession::GetCapabilities() const {
  Capabilities c;
  c.transactions = false;
  return c;
}

Workbook& WorkbookSession::Book() {
  if (!m_wb) Raise(ErrorKind::UnknownTable, "the workbook '" + m_path + "' does not exist yet; CREATE TABLE makes it");
  return *m_wb;
}

void WorkbookSession::Writable() const {
  if (m_readOnly) Raise(ErrorKind::ReadOnly, L"the workbook was opened for reading only");
}

std::unique_ptr<RowStream> WorkbookSession::Execute(const std::wstring& text, const std::vector<Value>& params, bool) {
  if (!params.empty()) Raise(ErrorKind::InvalidArgument, L"workbook statements take no ? values");
  Statement st = ParseStatement(text);
  m_changes = -1;
  if (st.kind == Statement::Select) {
    std::unique_ptr<SheetTable> table(new SheetTable(Book(), st.table));
    if (!st.columns.empty()) Raise(ErrorKind::Syntax, L"name the columns of a range with SELECT *");
    return std::unique_ptr<RowStream>(new SheetRows(std::move(table)));
  }
  Writable();
  if (st.kind == Statement::DropTable) {
    SheetTable table(Book(), st.table);
    m_wb->DropSheet(table.SheetIndex());
  } else {
    TableRef ref = ParseTable(st.table);
    if (!m_wb) m_wb = Workbook::New();
    if (m_wb->FindSheet(ref.sheet) >= 0) Raise(ErrorKind::Syntax, "the sheet '" + ref.sheet + "' already exists");
    if (ref.sheet.size() > 31 || ref.sheet.find_first_of("[]:*?/\\") != std::string::npos)
      Raise(ErrorKind::ValueRefused, "'" + ref.sheet + "' cannot name a sheet (at most 31 characters, none of []:*?/\\)");
    m_wb->AddSheet(ref.sheet, st.columns);
  }
  Save();
  m_changes = 0;
  return std::unique_ptr<RowStream>(new MemoryRows({}));
}

void WorkbookSession::Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys,
                            size_t count, std::vector<Row>& rows) {
  SheetTable t(Book(), Utf8(table));
  std::vector<int> sheetColumns = t.SheetColumns(columns);
  rows.resize(count);
  for (size_t i = 0; i < count; ++i) {
    if (keys[i] < 0 || keys[i] >= kMaxRows) {
      rows[i].clear();
      continue;
    }
    t.Read(static_cast<uint32_t>(keys[i]), sheetColumns, rows[i]);
  }
}

void WorkbookSession::Write(size_t sheet, uint32_t row, uint32_t col, const Value& v) {
  switch (v.kind) {
    case Value::Null: m_wb->Clear(sheet, row, col); break;
    case Value::Integer:
      if (v.shown == Value::AsBoolean)
        m_wb->SetBool(sheet, row, col, v.i != 0);
      else
        m_wb->SetNumber(sheet, row, col, static_cast<double>(v.i));
      break;
    case Value::Real: m_wb->SetNumber(sheet, row, col, v.r); break;
    case Value::Text:
      if (v.bytes.size() > 32767 * 3 || Utf16(v.bytes).size() > 32767)
        Raise(ErrorKind::ValueRefused, L"a cell holds at most 32767 characters");
      m_wb->SetText(sheet, row, col, v.bytes);
      break;
    case Value::Blob: Raise(ErrorKind::TypeMismatch, L"a cell cannot hold binary data");
  }
}

int64_t WorkbookSession::InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns,
                                   const Row& values) {
  Writable();
  SheetTable t(Book(), Utf8(table));
  uint32_t row = t.RowEnd();
  if (row > t.LastRowAllowed()) Raise(ErrorKind::ValueRefused, L"the range has no room for another row");
  bool any = false;
  for (size_t i = 0; i < columns.size(); ++i) {
    int c = t.SheetColumn(columns[i]);
    if (c < 0) Raise(ErrorKind::ItemNotFound, L"the range has no column '" + columns[i] + L"'");
    if (values[i].kind != Value::Null) any = true;
    Write(t.SheetIndex(), row, static_cast<uint32_t>(c), values[i]);
  }
  // An empty row still takes its place: a blank cell keeps it in the range.
  if (!any) m_wb->SetBlank(t.SheetIndex(), row, t.FirstCol());
  Save();
  m_changes = 1;
  return row;
}

void WorkbookSession::UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                                const Row& values) {
  Writable();
  SheetTable t(Book(), Utf8(table));
  if (key < t.FirstRow() || key > t.LastRowAllowed()) Raise(ErrorKind::NoCurrentRecord, L"the row is not in the range");
  for (size_t i = 0; i < columns.size(); ++i) {
    int c = t.SheetColumn(columns[i]);
    if (c < 0) Raise(ErrorKind::ItemNotFound, L"the range has no column '" + columns[i] + L"'");
    Write(t.SheetIndex(), static_cast<uint32_t>(key), static_cast<uint32_t>(c), values[i]);
  }
  Save();
  m_changes = 1;
}

void WorkbookSession::DeleteRow(const std::wstring&, int64_t) {
  Raise(ErrorKind::NotAvailable, L"rows of a sheet cannot be deleted; clear their cells instead");
}

void WorkbookSession::BeginTransaction() { Raise(ErrorKind::NotAvailable, L"workbooks have no transactions"); }
void WorkbookSession::CommitTransaction() { Raise(ErrorKind::NotAvailable, L"workbooks have no transactions"); }
void WorkbookSession::RollbackTransaction() { Raise(ErrorKind::NotAvailable, L"workbooks have no transactions"); }

std::unique_ptr<RowStream> WorkbookSession::Schema(SchemaEnum schema, const std::vector<Value>&) {
  if (schema != adSchemaTables) Raise(ErrorKind::NotAvailable, L"the workbook engine lists tables only");
  std::unique_ptr<MemoryRows> rows(new MemoryRows({MemoryRows::TextColumn(L"TABLE_CATALOG"), MemoryRows::TextColumn(L"TABLE_SCHEMA"),
                                                   MemoryRows::TextColumn(L"TABLE_NAME"), MemoryRows::TextColumn(L"TABLE_TYPE")}));
  if (m_wb)
    for (size_t i = 0; i < m_wb->SheetCount(); ++i)
      if (m_wb->SheetAt(i).kind == 0)
        rows->Add({Value(), Value(), Value::Str(m_wb->SheetAt(i).name + "$"), Value::Str("TABLE")});
  return rows;
}

void WorkbookSession::Save() {
  std::string bytes = m_wb->Serialize();
  ZelAtomicFile f;
  if (f.Open(m_path) && f.Write(bytes.data(), bytes.size()) && f.Commit()) return;
  int err = errno;
  // The file keeps what it had; the connection holds changes it could not
  // write, so a failed write drops it (Connection) unless the file is
  // simply not writable.
  Raise(err == EACCES || err == EROFS || err == EPERM ? ErrorKind::ReadOnly : ErrorKind::Connection,
        "cannot write the workbook '" + m_path + "': " + std::strerror(err));
}

}  // namespace workbook
}  // namespace zelado
