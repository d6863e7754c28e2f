#include "WorkbookTest.h"

#include <cstdio>

#ifndef ZEL_TEST_SOURCE_DIR
#error "the tests need their source folder for the fixture script"
#endif

namespace wbtest {

std::string Xlrd(const std::string& path, const std::string& code) {
  std::string script = "import xlrd\npath = '" + path + "'\n" + code;
  std::string file = path + ".py";
  zeltest::WriteFileBytes(file, script);
  return zeltest::RunShell("/usr/bin/python3 " + file + " 2>&1");
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring ExcelText(const std::string& path) {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Wide(path) + L";Extended Properties=Excel 8.0;";
}

void WorkbookTest::SetUp() {
  CoInitialize(nullptr);
  int status = 0;
  std::string out = zeltest::RunShell("/usr/bin/python3 " ZEL_TEST_SOURCE_DIR "/make_workbooks.py " + m_dir.path() + " 2>&1", &status);
  ASSERT_EQ(0, status) << out;
  m_people = m_dir.file("people.xls");
}

void WorkbookTest::TearDown() { CoUninitialize(); }

_ConnectionPtr WorkbookTest::Connect(const std::string& file) { return adotest::Connect(ExcelText(file)); }

}  // namespace wbtest
