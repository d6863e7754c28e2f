// Connecting, the stored connection data, sharing and cloning, the lost
// connection, and the message texts of the error report.
#include <fstream>

#include "AdoTest.h"

TEST_P(AdoTest, FreshObjectIsNotConnectedAndDisconnectDoesNothing) {
  ZELAdo ado;
  EXPECT_EQ(0, ado.IsConnected());
  ado.Disconnect();
  EXPECT_EQ(0, ado.IsConnected());
  EXPECT_EQ(0, ado.GetLogCount());
}

TEST_P(AdoTest, RejectedConnectLeavesOneRecordAndTheLastGoodStrings) {
  ZELAdo ado;
  ASSERT_EQ(1, ado.Connect(ConnText().c_str()));
  // Unknown provider, malformed text, and a database file that is missing.
  const wchar_t* bad[] = {L"Provider=NoSuchEngine;Data Source=x", L"this is no connection text",
                          L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/no/such/file.mdb"};
  for (const wchar_t* text : bad) {
    EXPECT_EQ(0, ado.Connect(text)) << CString(text).ToUtf8();
    EXPECT_EQ(0, ado.IsConnected());
    ASSERT_EQ(1, ado.GetLogCount());
    const ZEL_LOG_RECORD& r = ado.GetLog(0);
    EXPECT_EQ(3, r.nType);
    EXPECT_EQ(6, r.nCategory);
    EXPECT_EQ(119, r.nLine);
    EXPECT_EQ(CString(L"ZELAdo::Connect"), r.strFunction);
    EXPECT_LT(r.nCode, 0);
    EXPECT_FALSE(r.strDetail.IsEmpty()) << "the engine's description is kept";
    ado.ClearLog();
    EXPECT_EQ(CString(ConnText().c_str()), ado.GetConnectionString());
  }
  EXPECT_EQ(0, ado.Connect(L"Provider=NoSuchEngine", L"u", L"p"));
  ASSERT_EQ(1, ado.GetLogCount());
  EXPECT_EQ(142, ado.GetLog(0).nLine);
}

TEST_P(AdoTest, StoredStringsAfterEachConnectForm) {
  ZELAdo ado;
  // The embedded engine takes any user; the server only its own.
  const wchar_t* user = Pg() ? L"postgres" : L"someone";
  std::wstring password = Pg() ? std::wstring(L"zel-secret") : L"secret";
  ASSERT_EQ(1, ado.Connect(ConnText().c_str(), user, password.c_str())) << LastLog(ado);
  EXPECT_EQ(CString(user), ado.GetConnectionID());
  EXPECT_EQ(CString(password.c_str()), ado.GetConnectionPassword());

  ASSERT_EQ(1, ado.Connect(ConnText().c_str()));
  EXPECT_TRUE(ado.GetConnectionID().IsEmpty());
  EXPECT_TRUE(ado.GetConnectionPassword().IsEmpty());
  if (Pg()) return;  // the rest is the database-file form

  // The database-file form needs an existing file; test.db exists now.
  std::wstring file = m_dir.wfile("test.db");
  ASSERT_EQ(1, ado.ConnectMDB(file.c_str(), L"pw")) << LastLog(ado);
  CString expected = CString(L"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=") +
                     file.c_str() + L";Jet OLEDB:Database Password=pw";
  EXPECT_EQ(expected, ado.GetConnectionString());
  EXPECT_TRUE(ado.GetConnectionID().IsEmpty());
  EXPECT_EQ(CString(L"pw"), ado.GetConnectionPassword());

  ASSERT_EQ(1, ado.ConnectMDB(file.c_str(), L""));
  EXPECT_EQ(0, ado.GetConnectionString().Right(28).Compare(L"Jet OLEDB:Database Password="));

  EXPECT_EQ(0, ado.ConnectMDB(m_dir.wfile("missing.mdb").c_str(), L""));
  EXPECT_EQ(0, ado.IsConnected());
  EXPECT_EQ(1, ado.GetLogCount());
}

TEST_P(AdoTest, ReconnectCloneAndSharedHandles) {
  ZELAdo never;
  EXPECT_EQ(0, never.Reconnect());
  EXPECT_EQ(1, never.GetLogCount());

  ZELAdo a;
  Prepare(a, {L"CREATE TABLE t (n INTEGER)", L"INSERT INTO t VALUES (7)"});
  a.Disconnect();
  EXPECT_EQ(0, a.IsConnected());
  ASSERT_EQ(1, a.Reconnect());
  ASSERT_EQ(1, a.OpenRecordset(L"SELECT n FROM t"));

  ZELAdo unconnected;
  ZELAdo c;
  EXPECT_EQ(0, c.Clone(unconnected));
  ASSERT_EQ(1, c.GetLogCount());
  EXPECT_TRUE(c.GetLog(0).bWarning);
  EXPECT_EQ(6, c.GetLog(0).nCategory);
  EXPECT_EQ(CString(L"Source ADO must be connected"), c.GetLog(0).strText);
  EXPECT_EQ(CString(L"Clone"), c.GetLog(0).strDetail);
  EXPECT_EQ(0, c.GetLog(0).nFlag);

  ASSERT_EQ(1, c.Clone(a));
  EXPECT_TRUE(c.GetConnection() != a.GetConnection());
  EXPECT_EQ(1, a.IsRecordsetOpened()) << "the source keeps its recordset";
  EXPECT_EQ(0, c.IsRecordsetOpened());
  c.Disconnect();
  EXPECT_EQ(1, a.IsConnected());

  ZELAdo b;
  b = a;
  EXPECT_TRUE(b.GetConnection() == a.GetConnection());
  EXPECT_TRUE(b.GetRecordset() == a.GetRecordset());
  EXPECT_EQ(a.GetConnectionString(), b.GetConnectionString());
  b.Disconnect();
  EXPECT_EQ(0, a.IsConnected()) << "one shared connection, closed for both";
  EXPECT_EQ(0, a.IsRecordsetOpened());

  ZELAdo copy(a);
  ZELAdo& same = copy;
  copy = same;
  EXPECT_EQ(a.GetConnectionString(), copy.GetConnectionString());
}

TEST_P(AdoTest, StatementErrorsKeepTheConnectionAndALostConnectionDropsIt) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)", L"INSERT INTO t VALUES (1)"});
  EXPECT_EQ(0, ado.OpenRecordset(L"SELEKT nonsense"));
  ASSERT_EQ(1, ado.GetLogCount());
  EXPECT_NE(static_cast<long>(E_FAIL), ado.GetLog(0).nCode);
  EXPECT_EQ(493, ado.GetLog(0).nLine);
  EXPECT_EQ(1, ado.IsConnected());
  ado.ClearLog();

  // Overwrite the file under the open connection, or end the server's
  // side of it: either is the connection's own failure.
  if (Pg()) {
    zeltest::SharedPgCluster().Sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                                   m_database + "'");
  } else {
    std::fstream f(m_dir.file("test.db"), std::ios::in | std::ios::out | std::ios::binary);
    std::string junk(8192, '\x5A');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  EXPECT_EQ(0, ado.OpenRecordset(L"SELECT n FROM t"));
  ExpectOneReport(ado, L"ZELAdo::OpenRecordset", 493, E_FAIL);
  EXPECT_EQ(0, ado.IsConnected());
  EXPECT_TRUE(ado.GetConnection() == NULL);
  EXPECT_FALSE(ado.GetConnectionString().IsEmpty()) << "kept for Reconnect";
  if (Pg()) {
    ASSERT_EQ(1, ado.Reconnect()) << LastLog(ado);
    ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM t")) << LastLog(ado);
  }
}

TEST_F(SqliteAdoTest, FileThatIsNotADatabase) {
  zeltest::WriteFileBytes(m_dir.file("junk.db"), std::string(4096, 'j'));
  ZELAdo ado;
  // The engine may notice at open or at the first statement; either way
  // it is a clear failure with a record, and no crash.
  if (ado.Connect(ConnText("junk.db").c_str())) {
    EXPECT_EQ(0, ado.OpenRecordset(L"SELECT * FROM sqlite_master"));
  }
  EXPECT_GE(ado.GetLogCount(), 1);
  EXPECT_EQ(0, ado.IsConnected());
}

TEST_P(AdoTest, MessageTextRule) {
  EXPECT_EQ(CString(L"IDispatch error #5"), ZELAdo::GetComErrorMessage(static_cast<HRESULT>(0x80040205)));
  EXPECT_EQ(CString(L"IDispatch error #65023"), ZELAdo::GetComErrorMessage(static_cast<HRESULT>(0x8004FFFF)));
  EXPECT_EQ(CString(L"Unknown error 0x80040200"), ZELAdo::GetComErrorMessage(static_cast<HRESULT>(0x80040200)));
  EXPECT_EQ(CString(L"Unknown error 0x800A0BCD"), ZELAdo::GetComErrorMessage(static_cast<HRESULT>(0x800A0BCD)));
  EXPECT_EQ(CString(L"Unknown error 0x12345"), ZELAdo::GetComErrorMessage(0x12345));
  // A code with a system text gives it without its line break.
  CString text = ZELAdo::GetComErrorMessage(E_FAIL);
  ASSERT_FALSE(text.IsEmpty());
  EXPECT_NE(L'\n', text[text.GetLength() - 1]);
  EXPECT_NE(L'\r', text[text.GetLength() - 1]);
  EXPECT_EQ(-1, text.Find(L"Unknown error"));
}
ZEL_BOTH_ENGINES(AdoTest);
