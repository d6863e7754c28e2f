// ZELExcel over workbooks written by xlwt.
#include "ZELExcel.h"
#include "support/Shell.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class ExcelTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    zeltest::RunShell("/usr/bin/python3 " ZEL_WORKBOOK_SCRIPT " " + m_dir.path());
    m_path = m_dir.wfile("people.xls");
    ASSERT_EQ(1, m_excel.Open(m_path.c_str()));
  }
  void TearDown() override {
    m_excel.Close();
    CoUninitialize();
  }
  std::string Xlrd(const std::string& code) {
    return zeltest::RunShell("/usr/bin/python3 -c \"import xlrd\nb = xlrd.open_workbook('" + m_dir.file("people.xls") + "')\n" +
                 code + "\" 2>&1");
  }
  zeltest::TempDir m_dir;
  std::wstring m_path;
  ZELExcel m_excel;
};

TEST_F(ExcelTest, OpenOfAMissingFileFailsSilently) {
  ZELExcel excel;
  EXPECT_EQ(0, excel.Open(m_dir.wfile("none.xls").c_str()));
  EXPECT_EQ(0, excel.GetLogCount());
  EXPECT_EQ(CString(L""), excel.GetLastError());
  // A file that is no workbook fails with the engine's words in the log.
  EXPECT_EQ(0, excel.Open(m_dir.wfile("people.xls.py").c_str()) + excel.Open(L"/etc/hostname"));
  ASSERT_EQ(1, excel.GetLogCount());
  EXPECT_NE(-1, excel.GetLog(0).strDetail.Find(L"not a workbook"));
}

TEST_F(ExcelTest, ReadsRowsByKind) {
  ASSERT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(CString(L"2.500000"), m_excel.GetText(0, 0));
  EXPECT_EQ(CString(L"Alice"), m_excel.GetText(0, 1));
  EXPECT_EQ(CString(L""), m_excel.GetText(0, 2));  // a date reads as empty text
  EXPECT_EQ(CString(L"-1"), m_excel.GetText(0, 3));
  EXPECT_EQ(CString(L"Zo\u00eb"), m_excel.GetText(2, 1));
  EXPECT_EQ(CString(L""), m_excel.GetText(3, 0));
  EXPECT_EQ(CString(L""), m_excel.GetLastError());
  EXPECT_EQ(0, m_excel.Seek(3, 0));
  EXPECT_EQ(CString(L"Row is over!!"), m_excel.GetLastError());
  EXPECT_EQ(1, m_excel.MoveFirst());
  EXPECT_EQ(1, m_excel.MoveNext(0));
  EXPECT_EQ(CString(L"Bob"), m_excel.GetText(1));
  EXPECT_EQ(1, m_excel.MovePrevious());
  EXPECT_EQ(0, m_excel.MovePrevious());
  EXPECT_EQ(CString(L"Alice"), m_excel.GetText(1));
}

// Texts past plain short ASCII, and a column the sheet does not have, whose
// failure the database object reports as its own.
TEST_F(ExcelTest, LongTextsAndMissingColumns) {
  ASSERT_EQ(1, m_excel.OpenSheet(L"Long"));
  CString strText = m_excel.GetText(2, 0);
  EXPECT_EQ(5002, strText.GetLength());
  EXPECT_EQ(CString(L"3-" + std::wstring(3000, L'x') + std::wstring(2000, L'\u00e9')), strText);
  int before = m_excel.GetLogCount();
  EXPECT_EQ(CString(L""), m_excel.GetText(7));
  ASSERT_EQ(before + 1, m_excel.GetLogCount());
  EXPECT_EQ(CString(L"ZELAdo::GetFieldValue"), m_excel.GetLog(before).strFunction);
  EXPECT_EQ(CString(L"3-xxx"), m_excel.GetText(0).Left(5));  // the row is still there
}

TEST_F(ExcelTest, NotOpenedAndMissingSheet) {
  EXPECT_EQ(CString(L""), m_excel.GetText(0, 0));
  EXPECT_EQ(CString(L"Excel is not opened"), m_excel.GetLastError());
  EXPECT_EQ(0, m_excel.SetText(0, 0, L"x"));
  EXPECT_EQ(0, m_excel.Seek(0, 0));
  EXPECT_EQ(CString(L"Recordset is not opened!!"), m_excel.GetLastError());
  int before = m_excel.GetLogCount();
  EXPECT_EQ(0, m_excel.OpenSheet(L"Nope"));
  ASSERT_EQ(before + 1, m_excel.GetLogCount());
  ZEL_LOG_RECORD r = m_excel.GetLog(before);
  EXPECT_EQ(static_cast<long>(static_cast<HRESULT>(0x80040E37L)), r.nCode);
  EXPECT_EQ(ZEL_CATEGORY_COM, r.nCategory);
}

TEST_F(ExcelTest, AppendingRowsReachesTheFile) {
  ASSERT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(1, m_excel.SetText(5, 1, L"sixth"));
  EXPECT_EQ(1, m_excel.SetText(0, 0, L"first"));
  EXPECT_EQ(1, m_excel.MoveLast());
  EXPECT_EQ(0, m_excel.MoveNext(0));
  EXPECT_EQ(1, m_excel.MoveNext(1));
  EXPECT_EQ(1, m_excel.SetText(0, L"seventh"));
  m_excel.CloseSheet();
  ASSERT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(CString(L"sixth"), m_excel.GetText(5, 1));
  EXPECT_EQ(CString(L"seventh"), m_excel.GetText(6, 0));
  EXPECT_EQ("8 first sixth seventh ['Data', 'Notes', 'Long']\n",
            Xlrd("s = b.sheet_by_name('Data')\nprint(s.nrows, s.cell_value(1, 0), s.cell_value(6, 1), s.cell_value(7, 0), b.sheet_names())"));
}

TEST_F(ExcelTest, RowCountFollowsAppends) {
  ASSERT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(1, m_excel.SetText(5, 1, L"x"));
  EXPECT_EQ(1, m_excel.Seek(5, 0));
  EXPECT_EQ(0, m_excel.Seek(6, 0));
  EXPECT_EQ(1, m_excel.Seek(6, 1));
  EXPECT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(1, m_excel.Seek(6, 0));  // the appended empty row is still there
  EXPECT_EQ(0, m_excel.Seek(7, 0));
}

TEST_F(ExcelTest, DeleteSheetNamesTheWholeSheet) {
  EXPECT_EQ(1, m_excel.DeleteSheetEx(L"Notes", L"B2", L"C3"));
  EXPECT_EQ(0, m_excel.OpenSheet(L"Notes"));
  EXPECT_EQ(0, m_excel.DeleteSheet(L"Notes"));
  EXPECT_EQ("['Data', 'Long']\n", Xlrd("print(b.sheet_names())"));
  // The last sheet is emptied instead, and opens as one column without rows.
  EXPECT_EQ(1, m_excel.DeleteSheet(L"Long"));
  EXPECT_EQ(1, m_excel.DeleteSheet(L"Data"));
  ASSERT_EQ(1, m_excel.OpenSheet(L"Data"));
  EXPECT_EQ(0, m_excel.Seek(0, 0));
  EXPECT_EQ(1, m_excel.SetText(1, 0, L"again"));
  EXPECT_EQ("['Data'] 3 again\n", Xlrd("s = b.sheet_by_index(0)\nprint(b.sheet_names(), s.nrows, s.cell_value(2, 0))"));
}

}  // namespace
