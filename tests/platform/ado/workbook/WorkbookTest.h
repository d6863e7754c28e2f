// Set-up for the workbook engine tests: workbooks made by outside programs
// (xlwt, ssconvert) in a temporary folder, and those programs run again to
// read what the engine wrote.
#pragma once

#include "support/Shell.h"

#include "../AdoTest.h"

#include <string>

namespace wbtest {

using adotest::CodeOf;
using adotest::DescriptionOf;
using adotest::Exec;
using adotest::Open;
using adotest::Str;

// Runs Python code with xlrd imported and `path` bound to the file.
std::string Xlrd(const std::string& path, const std::string& code);
std::wstring ExcelText(const std::string& path);
std::wstring Wide(const std::string& s);

class WorkbookTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // A connection to people.xls (see make_workbooks.py).
  _ConnectionPtr Connect(const std::string& file);
  std::string m_people;
  zeltest::TempDir m_dir;
};

}  // namespace wbtest
