// Shared set-up of the ZELAdo tests: a COM apartment on the test thread, a
// scratch folder, and a database file in it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ZELAdo.h"
#include "support/TempDir.h"

class AdoTest : public ::testing::Test {
protected:
  void SetUp() override { CoInitialize(NULL); }
  void TearDown() override { CoUninitialize(); }

  // The connection text of a database file in the scratch folder.
  std::wstring ConnText(const std::string& name = "test.db") const {
    return L"Provider=SQLite;Data Source=" + m_dir.wfile(name);
  }
  // Connects ado to test.db and runs the statements, one per ExecuteSQL.
  void Prepare(ZELAdo& ado, std::initializer_list<const wchar_t*> statements) {
    ASSERT_EQ(1, ado.Connect(ConnText().c_str()));
    for (const wchar_t* s : statements) ASSERT_EQ(1, ado.ExecuteSQL(s)) << LastLog(ado);
  }
  // The newest log record, for failure messages.
  static std::string LastLog(ZELAdo& ado) {
    if (ado.GetLogCount() == 0) return "(no log)";
    const ZEL_LOG_RECORD& r = ado.GetLog(ado.GetLogCount() - 1);
    return CString(r.strFunction + L": " + r.strText + L" / " + r.strDetail).ToUtf8();
  }
  // Asserts that ado holds exactly one error record of the given function,
  // line and code, and clears the log.
  static void ExpectOneReport(ZELAdo& ado, const wchar_t* function, int line, HRESULT code) {
    ASSERT_EQ(1, ado.GetLogCount()) << LastLog(ado);
    const ZEL_LOG_RECORD& r = ado.GetLog(0);
    EXPECT_FALSE(r.bWarning);
    EXPECT_EQ(3, r.nType);
    EXPECT_EQ(6, r.nCategory);
    EXPECT_EQ(static_cast<long>(code), r.nCode);
    EXPECT_EQ(CString(function), r.strFunction);
    EXPECT_EQ(line, r.nLine);
    EXPECT_EQ(CString(L".\\ZELAdo"), r.strSource);
    EXPECT_EQ(ZELAdo::GetComErrorMessage(code), r.strText);
    EXPECT_EQ(1, r.nFlag);
    ado.ClearLog();
  }

  zeltest::TempDir m_dir;
};
