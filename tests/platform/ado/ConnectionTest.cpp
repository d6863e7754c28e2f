// Connection texts, the codes of connection failures, transactions, and
// what a second connection sees and waits for.
#include "AdoTest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

using namespace adotest;

TEST(AdoConnection, CreationNeedsAnApartment) {
  std::thread t([] {
    _ConnectionPtr c;
    EXPECT_EQ(CO_E_NOTINITIALIZED, c.CreateInstance(CLSID_Connection));
    EXPECT_FALSE(c);
  });
  t.join();
  CoInitialize(nullptr);
  _ConnectionPtr c;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, c.CreateInstance(CLSID_Recordset));
  CoUninitialize();
}

TEST_F(AdoTest, TextsOpenCreateOrRefuseClearly) {
  EXPECT_EQ(adStateOpen, m_conn->GetState());
  struct stat st;
  EXPECT_EQ(0, stat(m_file.c_str(), &st)) << "a missing file is created";
  EXPECT_EQ(SqliteText(m_file), std::wstring(m_conn->GetConnectionString()));
  EXPECT_EQ(S_OK, CodeOf([] { Exec(Connect(L"Provider=SQLite;Data Source=:memory:"), L"CREATE TABLE t(x)"); }));

  std::wstring missing = m_dir.wfile("none.mdb");
  std::wstring jet = L"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=" + missing +
                     L";Jet OLEDB:Database Password=";
  EXPECT_EQ(E_FAIL, CodeOf([&] { Connect(jet); }));
  EXPECT_NE(std::wstring::npos, DescriptionOf([&] { Connect(jet); }).find(L"does not exist"));
  zeltest::WriteFileBytes(m_dir.file("none.mdb"), "");
  EXPECT_EQ(S_OK, CodeOf([&] { Exec(Connect(jet), L"CREATE TABLE t(x)"); })) << "an existing file opens";

  EXPECT_NE(std::wstring::npos, DescriptionOf([&] { Connect(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + missing +
                                                          L";Extended Properties=Excel 8.0;"); }).find(L"not a workbook"));
  EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([] { Connect(L"Provider=PostgreSQL;Data Source=db:5432;Initial Catalog=x"); }));
  EXPECT_EQ(adErrProviderNotFound, CodeOf([] { Connect(L"Provider=Nothing;Data Source=x"); }));
  EXPECT_EQ(adErrProviderNotFound, CodeOf([] { Connect(L"Provider=SQLite;Data Source"); }));
  EXPECT_EQ(adErrProviderNotFound, CodeOf([] { Connect(L"Provider=SQLite;Data Source='x"); }));
  EXPECT_EQ(adErrProviderNotFound, CodeOf([] { Connect(L""); }));
  EXPECT_EQ(E_FAIL, CodeOf([&] { Connect(SqliteText(m_dir.file("no/such/dir/x.db"))); }));
  EXPECT_EQ(S_OK, CodeOf([&] { Connect(L"provider = sqlite ; data source = \"" + m_dir.wfile("q;uoted.db") + L"\""); }));
}

TEST_F(AdoTest, ClosedConnectionAndReopen) {
  m_conn->Close();
  EXPECT_EQ(adStateClosed, m_conn->GetState());
  EXPECT_EQ(adErrObjectClosed, CodeOf([&] { Exec(m_conn, L"SELECT 1"); }));
  EXPECT_EQ(adErrObjectClosed, CodeOf([&] { m_conn->Close(); }));
  m_conn->Open(_bstr_t(L""), _bstr_t(L""), _bstr_t(L""), -1);  // the text it had
  EXPECT_EQ(adStateOpen, m_conn->GetState());
  EXPECT_EQ(adErrObjectOpen, CodeOf([&] { m_conn->Open(_bstr_t(SqliteText(m_file).c_str()), _bstr_t(L""), _bstr_t(L""), -1); }));
}

TEST_F(AdoTest, OnlyConnectionFailuresAnswerEFail) {
  zeltest::WriteFileBytes(m_dir.file("text.txt"), std::string(8192, 'x'));
  EXPECT_EQ(E_FAIL, CodeOf([&] { Connect(SqliteText(m_dir.file("text.txt"))); }));
  EXPECT_NE(L"", DescriptionOf([&] { Connect(SqliteText(m_dir.file("text.txt"))); }));

  EXPECT_EQ(ZEL_ADO_E_SYNTAX, CodeOf([&] { Exec(m_conn, L"SELEC 1"); }));
  EXPECT_EQ(ZEL_ADO_E_NOTABLE, CodeOf([&] { Exec(m_conn, L"SELECT * FROM missing"); }));
  Exec(m_conn, L"CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)");
  Exec(m_conn, L"INSERT INTO t(name) VALUES('a')");
  EXPECT_EQ(ZEL_ADO_E_INTEGRITY, CodeOf([&] { Exec(m_conn, L"INSERT INTO t(name) VALUES('a')"); }));
  EXPECT_EQ(ZEL_ADO_E_INTEGRITY, CodeOf([&] { Exec(m_conn, L"INSERT INTO t(name) VALUES(NULL)"); }));
  EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([&] { m_conn->Execute(_bstr_t(L"proc"), nullptr, adCmdStoredProc); }));
  EXPECT_EQ(adStateOpen, m_conn->GetState());

  // Another writer ruins the file under the open connection.
  Exec(m_conn, L"CREATE TABLE big(x)");
  for (int i = 0; i < 50; ++i) Exec(m_conn, L"INSERT INTO big VALUES(randomblob(3000))");
  int fd = open(m_file.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  std::string junk(64 * 1024, '\x5a');
  ASSERT_EQ((ssize_t)junk.size(), pwrite(fd, junk.data(), junk.size(), 0));
  close(fd);
  EXPECT_EQ(E_FAIL, CodeOf([&] { Exec(m_conn, L"SELECT count(*) FROM big"); }));
}

TEST_F(AdoTest, ReadOnlyDatabaseRefusesWritesAndStaysOpen) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER); INSERT INTO t VALUES(1)");
  _ConnectionPtr reader = Connect(SqliteText(m_file) + L";Mode=Read");
  EXPECT_EQ(ZEL_ADO_E_READONLY, CodeOf([&] { Exec(reader, L"INSERT INTO t VALUES(2)"); }));
  _RecordsetPtr rs = Open(reader, L"SELECT * FROM t", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(ZEL_ADO_E_READONLY, CodeOf([&] {
    rs->PutCollect(_variant_t(0L), _variant_t(5L));
    rs->Update();
  }));
  EXPECT_EQ(adStateOpen, reader->GetState());
  EXPECT_EQ(1, Long(Open(reader, L"SELECT count(*) FROM t", adOpenForwardOnly)->GetCollect(_variant_t(0L))));
  EXPECT_EQ(E_FAIL, CodeOf([&] { Connect(SqliteText(m_dir.file("absent.db")) + L";Mode=Read"); }));
}

TEST_F(AdoTest, TransactionsCommitRollBackAndNest) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER)");
  EXPECT_EQ(adErrIllegalOperation, CodeOf([&] { m_conn->CommitTrans(); }));
  EXPECT_EQ(adErrIllegalOperation, CodeOf([&] { m_conn->RollbackTrans(); }));
  EXPECT_EQ(1, m_conn->BeginTrans());
  Exec(m_conn, L"INSERT INTO t VALUES(1)");
  EXPECT_EQ(2, m_conn->BeginTrans());
  Exec(m_conn, L"INSERT INTO t VALUES(2)");
  m_conn->RollbackTrans();  // only the inner level
  m_conn->CommitTrans();
  _ConnectionPtr other = Connect(SqliteText(m_file));
  _RecordsetPtr rs = Open(other, L"SELECT group_concat(x) FROM t", adOpenForwardOnly);
  EXPECT_EQ(L"1", Str(rs->GetCollect(_variant_t(0L))));
}

TEST_F(AdoTest, LockedDatabaseWaitsThenFailsWithoutDroppingTheConnection) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER)");
  _ConnectionPtr other = Connect(SqliteText(m_file));
  other->BeginTrans();
  Exec(other, L"INSERT INTO t VALUES(1)");  // holds the write lock
  auto start = std::chrono::steady_clock::now();
  HRESULT hr = CodeOf([&] { Exec(m_conn, L"INSERT INTO t VALUES(2)"); });
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(ZEL_ADO_E_LOCKED, hr);
  EXPECT_NE(E_FAIL, hr);
  EXPECT_GE(waited, std::chrono::seconds(1)) << "the lock is waited for, not refused at once";
  EXPECT_NE(std::wstring::npos, DescriptionOf([&] { Exec(m_conn, L"DELETE FROM t"); }).find(L"locked"));
  other->CommitTrans();
  EXPECT_EQ(S_OK, CodeOf([&] { Exec(m_conn, L"INSERT INTO t VALUES(2)"); })) << "the same connection goes on";
}

TEST_F(AdoTest, LockHeldBrieflyIsWaitedOut) {
  Exec(m_conn, L"CREATE TABLE t(x INTEGER)");
  _ConnectionPtr other = Connect(SqliteText(m_file));
  other->BeginTrans();
  Exec(other, L"INSERT INTO t VALUES(1)");
  std::thread release([&] {
    CoInitialize(nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    other->CommitTrans();
    CoUninitialize();
  });
  EXPECT_EQ(S_OK, CodeOf([&] { Exec(m_conn, L"INSERT INTO t VALUES(2)"); }));
  release.join();
}
