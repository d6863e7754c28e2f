// Reading workbooks that outside programs wrote.
#include "WorkbookTest.h"

namespace wbtest {
namespace {

TEST_F(WorkbookTest, RangeIsTableWithHeaderAndCellKinds) {
  _ConnectionPtr c = Connect(m_people);
  _RecordsetPtr rs = Open(c, L"SELECT * FROM [Data$A1:IV65536]", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(3, rs->GetRecordCount());
  FieldsPtr f = rs->GetFields();
  ASSERT_EQ(5, f->GetCount());
  EXPECT_EQ(L"Amount", Str(_variant_t(f->GetItem(_variant_t(0L))->GetName())));
  EXPECT_EQ(L"F4", Str(_variant_t(f->GetItem(_variant_t(3L))->GetName())));
  _variant_t amount = f->GetItem(_variant_t(L"Amount"))->GetValue();
  EXPECT_EQ(VT_R8, amount.vt);
  EXPECT_EQ(2.5, amount.dblVal);
  _variant_t name = f->GetItem(_variant_t(L"Name"))->GetValue();
  EXPECT_EQ(VT_BSTR, name.vt);
  _variant_t when = f->GetItem(_variant_t(L"When"))->GetValue();
  ASSERT_EQ(VT_DATE, when.vt);
  EXPECT_NEAR(43832 + (3 * 60 + 4) / 1440.0, when.date, 1e-9);  // 2020-01-02 03:04
  _variant_t flag = f->GetItem(_variant_t(3L))->GetValue();
  ASSERT_EQ(VT_BOOL, flag.vt);
  EXPECT_EQ(VARIANT_TRUE, flag.boolVal);
  rs->MoveLast();
  EXPECT_EQ(L"Zo\u00eb", Str(f->GetItem(_variant_t(L"Name"))->GetValue()));
}

TEST_F(WorkbookTest, SheetWithoutRangeAndSmallerRanges) {
  _ConnectionPtr c = Connect(m_people);
  _RecordsetPtr whole = Open(c, L"SELECT * FROM [Notes$]", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(5, whole->GetRecordCount());
  EXPECT_EQ(L"keep me", Str(whole->GetFields()->GetItem(_variant_t(L"Note"))->GetValue()));
  _RecordsetPtr part = Open(c, L"SELECT * FROM [Data$B2:C3]", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(1, part->GetRecordCount());
  EXPECT_EQ(2, part->GetFields()->GetCount());
  EXPECT_EQ(L"Alice", Str(part->GetFields()->GetItem(_variant_t(0L))->GetName()));
  EXPECT_EQ(L"Bob", Str(part->GetFields()->GetItem(_variant_t(0L))->GetValue()));
}

TEST_F(WorkbookTest, TextsLongerThanOneRecord) {
  _ConnectionPtr c = Connect(m_people);
  _RecordsetPtr rs = Open(c, L"SELECT * FROM [Long$]", adOpenStatic, adLockReadOnly);
  ASSERT_EQ(5, rs->GetRecordCount());
  std::wstring expect = L"3-" + std::wstring(3000, L'x') + std::wstring(2000, L'\u00e9');
  rs->Move(2);
  EXPECT_EQ(expect, Str(rs->GetFields()->GetItem(_variant_t(0L))->GetValue()));
}

TEST_F(WorkbookTest, WorkbookWrittenBySpreadsheetProgram) {
  std::string csv = m_dir.file("in.csv"), xls = m_dir.file("gnumeric.xls");
  zeltest::WriteFileBytes(csv, "City,Population,Founded,Double\nBern,134794,1998-05-01,=B2*2\nLausanne,139111,,=B3*2\n");
  int status = 0;
  std::string out = zeltest::RunShell("ssconvert --export-type=Gnumeric_Excel:excel_biff8 " + csv + " " + xls + " 2>&1", &status);
  ASSERT_EQ(0, status) << out;
  _ConnectionPtr c = Connect(xls);
  _RecordsetPtr rs = Open(c, L"SELECT * FROM [in.csv$A1:IV65536]", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(2, rs->GetRecordCount());
  FieldsPtr f = rs->GetFields();
  EXPECT_EQ(L"Bern", Str(f->GetItem(_variant_t(L"City"))->GetValue()));
  _variant_t population = f->GetItem(_variant_t(L"Population"))->GetValue();
  EXPECT_EQ(VT_R8, population.vt);
  EXPECT_EQ(134794, population.dblVal);
  _variant_t founded = f->GetItem(_variant_t(L"Founded"))->GetValue();
  EXPECT_EQ(VT_DATE, founded.vt);
  EXPECT_EQ(35916, founded.date);
  // A formula reads as the result the program computed.
  EXPECT_EQ(269588, f->GetItem(_variant_t(L"Double"))->GetValue().dblVal);
  rs->MoveNext();
  EXPECT_EQ(VT_NULL, f->GetItem(_variant_t(L"Founded"))->GetValue().vt);
}

TEST_F(WorkbookTest, MissingSheetAndBadStatements) {
  _ConnectionPtr c = Connect(m_people);
  EXPECT_EQ(ZEL_ADO_E_NOTABLE, CodeOf([&] { Open(c, L"SELECT * FROM [Nope$A1:IV65536]", adOpenKeyset, adLockOptimistic); }));
  EXPECT_EQ(ZEL_ADO_E_SYNTAX, CodeOf([&] { Open(c, L"SELECT * FROM [Data$A0:B2]", adOpenKeyset, adLockOptimistic); }));
  EXPECT_EQ(ZEL_ADO_E_SYNTAX, CodeOf([&] { Open(c, L"UPDATE x SET y = 1", adOpenKeyset, adLockOptimistic); }));
}

TEST_F(WorkbookTest, FilesThatAreNoWorkbookSayWhatTheyAre) {
  struct Case {
    const char* bytes;
    const wchar_t* says;
  } cases[] = {{"<html><body><table><tr><td>1</td></tr></table></body></html>", L"HTML"},
               {"a,b,c\n1,2,3\n", L"CSV"},
               {"PK\x03\x04rest of a zip", L".xlsx"},
               {"", L"empty"},
               {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 too short", L"not a workbook"}};
  for (const Case& k : cases) {
    std::string path = m_dir.file("bad.xls");
    zeltest::WriteFileBytes(path, k.bytes);
    std::wstring d = DescriptionOf([&] { Connect(path); });
    EXPECT_NE(std::wstring::npos, d.find(k.says)) << k.bytes << ": " << std::string(d.begin(), d.end());
  }
}

}  // namespace
}  // namespace wbtest
