// Shared set-up of the ZELAdo tests: a COM apartment on the test thread, a
// scratch folder, and a database: a file in it, or a new database on a
// throw-away server. AdoTest runs each test on both engines; SqliteAdoTest
// holds what only the embedded engine has (files, its own SQL).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ZELAdo.h"
#include "support/PgCluster.h"
#include "support/TempDir.h"

#include <set>

enum class Engine { SQLite, PostgreSQL };

class AdoBase : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(NULL);
    if (Pg()) m_database = zeltest::FreshPgDatabase();
  }
  void TearDown() override { CoUninitialize(); }
  virtual bool Pg() const { return false; }
  // The long binary type of the engine's SQL.
  const wchar_t* BlobType() const { return Pg() ? L"BYTEA" : L"BLOB"; }
  // An integer key the engine fills in itself.
  const wchar_t* AutoKey() const { return Pg() ? L"SERIAL PRIMARY KEY" : L"INTEGER PRIMARY KEY"; }

  // The connection text of a database: a file in the scratch folder, or a
  // server database standing for that file name.
  std::wstring ConnText(const std::string& name = "test.db") {
    if (!Pg()) return L"Provider=SQLite;Data Source=" + m_dir.wfile(name);
    std::string db = m_database;
    if (name != "test.db") {
      db += "_";
      for (char c : name) db += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      if (m_made.insert(db).second) zeltest::SharedPgCluster().Sql("CREATE DATABASE " + db);
    }
    return zeltest::SharedPgCluster().ConnText(db);
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
  std::string m_database;
  std::set<std::string> m_made;
};

class AdoTest : public AdoBase, public ::testing::WithParamInterface<Engine> {
protected:
  bool Pg() const override { return GetParam() == Engine::PostgreSQL; }
};

class SqliteAdoTest : public AdoBase {};

class PgAdoTest : public AdoBase {
protected:
  bool Pg() const override { return true; }
};

#define ZEL_BOTH_ENGINES(suite)                                                                        \
  INSTANTIATE_TEST_SUITE_P(Engines, suite, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),        \
                           [](const ::testing::TestParamInfo<Engine>& i) {                               \
                             return std::string(i.param == Engine::SQLite ? "SQLite" : "PostgreSQL"); \
                           })
