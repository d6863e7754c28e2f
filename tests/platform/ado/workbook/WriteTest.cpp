// Writes: the changed cells reach the file, everything else stays, and
// outside programs read the result.
#include "WorkbookTest.h"

#include "platform/ado/workbook/Workbook.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wbtest {
namespace {

using zelado::workbook::Record;
using zelado::workbook::Workbook;

std::vector<Record> SheetRecords(const std::string& file, const char* name) {
  std::unique_ptr<Workbook> wb = Workbook::Load(zeltest::ReadFileBytes(file));
  int i = wb->FindSheet(name);
  EXPECT_GE(i, 0) << name;
  std::vector<Record> out;
  for (const Record& r : wb->SheetAt(i).records)
    if (r.type != 0x020B) out.push_back(r);  // INDEX holds stream positions, which move
  return out;
}

bool SameRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].type != b[i].type || a[i].data != b[i].data) return false;
  return true;
}

TEST_F(WorkbookTest, ChangedCellsReachTheFileAndTheRestStays) {
  std::vector<Record> notes = SheetRecords(m_people, "Notes"), longs = SheetRecords(m_people, "Long");
  {
    _ConnectionPtr c = Connect(m_people);
    _RecordsetPtr rs = Open(c, L"SELECT * FROM [Data$A1:IV65536]", adOpenKeyset, adLockOptimistic);
    rs->GetFields()->GetItem(_variant_t(L"Name"))->PutValue(_variant_t(L"Alicia, with a longer name"));
    rs->GetFields()->GetItem(_variant_t(L"Amount"))->PutValue(_variant_t(42.75));
    rs->GetFields()->GetItem(_variant_t(3L))->PutValue(_variant_t(false));
    rs->GetFields()->GetItem(_variant_t(L"When"))->PutValue(_variant_t());  // VT_EMPTY clears the cell
    rs->Update(vtMissing, vtMissing);
    rs->AddNew(vtMissing, vtMissing);
    rs->GetFields()->GetItem(_variant_t(L"Name"))->PutValue(_variant_t(L"Dora"));
    rs->Update(vtMissing, vtMissing);
    EXPECT_EQ(4, rs->GetRecordCount());
  }
  std::string out = Xlrd(m_people,
                         "b = xlrd.open_workbook(path, formatting_info=True)\n"
                         "s = b.sheet_by_name('Data')\n"
                         "print(s.nrows, s.cell_value(1, 0), s.cell_value(1, 1), s.cell_value(4, 1))\n"
                         "print(b.format_map[b.xf_list[s.cell_xf_index(1, 0)].format_key].format_str)\n"
                         "print(b.format_map[b.xf_list[s.cell_xf_index(2, 2)].format_key].format_str)\n"
                         "print(s.cell_value(2, 1), s.cell_type(2, 4), s.cell_value(3, 3), s.cell_type(1, 3), s.cell_value(1, 3), s.cell_type(1, 2))\n"
                         "print(b.sheet_names(), len(s.merged_cells), len(b.sheet_by_name('Notes').merged_cells))\n"
                         "print(s.computed_column_width(1) if hasattr(s, 'computed_column_width') else s.colinfo_map[1].width)\n");
  EXPECT_EQ("5 42.75 Alicia, with a longer name Dora\n"
            "#,##0.00\n"
            "yyyy-mm-dd hh:mm\n"
            "Bob 1 1 4 0 6\n"
            "['Data', 'Notes', 'Long'] 0 1\n"
            "6000\n",
            out);
  // The sheets left alone keep their records byte for byte.
  EXPECT_TRUE(SameRecords(notes, SheetRecords(m_people, "Notes")));
  EXPECT_TRUE(SameRecords(longs, SheetRecords(m_people, "Long")));
  // The formulas of the changed sheet are still formulas.
  std::string csv = m_dir.file("data.csv");
  int status = 0;
  zeltest::RunShell("ssconvert --recalc --export-type=Gnumeric_stf:stf_csv -O 'sheet=Data' " + m_people + " " + csv + " 2>&1", &status);
  ASSERT_EQ(0, status);
  std::string text = zeltest::ReadFileBytes(csv);
  EXPECT_NE(std::string::npos, text.find("42.75,\"Alicia, with a longer name\"")) << text;
  EXPECT_NE(std::string::npos, text.find(",85.5\n")) << text;  // A2*2 computed again by the program
  EXPECT_NE(std::string::npos, text.find("\n,Dora")) << text;
}

TEST_F(WorkbookTest, StringsAddedToATableSpanningRecords) {
  std::wstring big(6000, L'\u0101');
  {
    _ConnectionPtr c = Connect(m_people);
    _RecordsetPtr rs = Open(c, L"SELECT * FROM [Long$]", adOpenKeyset, adLockOptimistic);
    for (int i = 0; i < 3; ++i) {
      rs->AddNew(vtMissing, vtMissing);
      rs->GetFields()->GetItem(_variant_t(0L))->PutValue(_variant_t((std::to_wstring(i) + big).c_str()));
      rs->Update(vtMissing, vtMissing);
    }
  }
  std::string out = Xlrd(m_people,
                         "s = xlrd.open_workbook(path).sheet_by_name('Long')\n"
                         "print(s.nrows, [len(s.cell_value(r, 0)) for r in range(1, s.nrows)])\n"
                         "print(s.cell_value(3, 0) == '3-' + 'x' * 3000 + '\\u00e9' * 2000, set(s.cell_value(8, 0)[1:]))\n");
  EXPECT_EQ("9 [5002, 5002, 5002, 5002, 5002, 6001, 6001, 6001]\nTrue {'\xc4\x81'}\n", out);
  _ConnectionPtr again = Connect(m_people);
  _RecordsetPtr rs = Open(again, L"SELECT * FROM [Long$]", adOpenStatic, adLockReadOnly);
  rs->MoveLast();
  EXPECT_EQ(L"2" + big, Str(rs->GetFields()->GetItem(_variant_t(0L))->GetValue()));
}

TEST_F(WorkbookTest, CreateAndDropTables) {
  std::string fresh = m_dir.file("fresh.xls");
  {
    _ConnectionPtr c = Connect(fresh);
    Exec(c, L"CREATE TABLE [Orders] ([Order No] INTEGER, Customer TEXT(50), Total DOUBLE)");
    _RecordsetPtr rs = Open(c, L"SELECT * FROM [Orders$A1:IV65536]", adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(0, rs->GetRecordCount());
    rs->AddNew(vtMissing, vtMissing);
    rs->GetFields()->GetItem(_variant_t(L"Customer"))->PutValue(_variant_t(L"Acme"));
    rs->GetFields()->GetItem(_variant_t(L"Total"))->PutValue(_variant_t(9.5));
    rs->Update(vtMissing, vtMissing);
    Exec(c, L"CREATE TABLE Second (A TEXT)");
    EXPECT_EQ(ZEL_ADO_E_SYNTAX, CodeOf([&] { Exec(c, L"CREATE TABLE [Orders] (B TEXT)"); }));
  }
  EXPECT_EQ("['Orders', 'Second'] ['Order No', 'Customer', 'Total'] ['', 'Acme', 9.5]\n",
            Xlrd(fresh, "b = xlrd.open_workbook(path)\ns = b.sheet_by_index(0)\nprint(b.sheet_names(), s.row_values(0), s.row_values(1))\n"));
  int status = 0;
  zeltest::RunShell("ssconvert " + fresh + " " + m_dir.file("fresh.csv") + " 2>&1", &status);
  EXPECT_EQ(0, status);
  EXPECT_EQ("\"Order No\",Customer,Total\n,Acme,9.5\n", zeltest::ReadFileBytes(m_dir.file("fresh.csv")));

  _ConnectionPtr c = Connect(m_people);
  Exec(c, L"DROP TABLE [Notes$A1:IV65536]");
  EXPECT_EQ(ZEL_ADO_E_NOTABLE, CodeOf([&] { Exec(c, L"DROP TABLE [Notes$A1:IV65536]"); }));
  EXPECT_EQ("['Data', 'Long'] 6\n", Xlrd(m_people, "b = xlrd.open_workbook(path)\nprint(b.sheet_names(), b.sheet_by_name('Long').nrows)\n"));
  // The only sheet left is emptied, not removed.
  Exec(c, L"DROP TABLE [Long$]");
  Exec(c, L"DROP TABLE [Data$]");
  EXPECT_EQ("['Data'] 0\n", Xlrd(m_people, "b = xlrd.open_workbook(path)\nprint(b.sheet_names(), b.sheet_by_index(0).nrows)\n"));
}

// A writer killed in the middle of its writes leaves a file that opens,
// holding one of the versions it wrote.
TEST_F(WorkbookTest, KilledWriterLeavesAReadableFile) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    CoInitialize(nullptr);
    try {
      _ConnectionPtr c = Connect(m_people);
      _RecordsetPtr rs = Open(c, L"SELECT * FROM [Data$A1:IV65536]", adOpenKeyset, adLockOptimistic);
      for (int i = 0;; ++i) {
        rs->GetFields()->GetItem(_variant_t(L"Amount"))->PutValue(_variant_t(static_cast<double>(i)));
        rs->Update(vtMissing, vtMissing);
      }
    } catch (...) {
    }
    _exit(1);
  }
  usleep(300 * 1000);
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  std::string out = Xlrd(m_people, "s = xlrd.open_workbook(path).sheet_by_name('Data')\nprint(s.nrows, s.cell_value(1, 1))\n");
  EXPECT_EQ("4 Alice\n", out);
  _ConnectionPtr c = Connect(m_people);
  EXPECT_EQ(3, Open(c, L"SELECT * FROM [Data$]", adOpenKeyset, adLockOptimistic)->GetRecordCount());
}

}  // namespace
}  // namespace wbtest
