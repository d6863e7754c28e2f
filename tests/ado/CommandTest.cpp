// Statements, commands with parameters, transactions and schema queries.
#include "AdoTest.h"

TEST_P(AdoTest, StatementsLeaveTheOpenRecordsetAlone) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)", L"INSERT INTO t VALUES (1)", L"INSERT INTO t VALUES (2)"});
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM t ORDER BY n", adOpenStatic, adLockReadOnly));
  _RecordsetPtr before = ado.GetRecordset();
  ASSERT_EQ(1, ado.ExecuteSQL(L"UPDATE t SET n = n + 10"));
  ASSERT_EQ(1, ado.ExecuteSQL(_bstr_t(L"DELETE FROM t WHERE n = 12")));
  EXPECT_TRUE(before == ado.GetRecordset());
  EXPECT_EQ(1, ado.IsRecordsetOpened());

  EXPECT_EQ(0, ado.ExecuteSQL(L"UPDATE nowhere SET n = 1"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, static_cast<HRESULT>(0x80040E37));
  EXPECT_EQ(0, ado.ExecuteSQL(_bstr_t(L"THIS IS NOT SQL")));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 605, static_cast<HRESULT>(0x80040E14));
  EXPECT_EQ(1, ado.IsConnected());
  EXPECT_EQ(1, ado.IsRecordsetOpened());
}

TEST_P(AdoTest, HostileStatementTexts) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (v TEXT)"});
  // A NUL inside the text and an unpaired surrogate: refused or cut short,
  // never a crash, and the connection stays.
  std::wstring withNul = L"INSERT INTO t VALUES ('a')";
  withNul.insert(withNul.begin() + 6, L'\0');
  ado.ExecuteSQL(_bstr_t(SysAllocStringLen(withNul.data(), static_cast<UINT>(withNul.size())), false));
  std::wstring badText = L"INSERT INTO t VALUES ('x";
  badText += static_cast<wchar_t>(0xD800);
  badText += L"')";
  ado.ExecuteSQL(badText.c_str());
  EXPECT_EQ(1, ado.IsConnected());

  // A 5 MB value goes in and comes back whole.
  std::wstring big(5 * 1024 * 1024, L'q');
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"v", adLongVarWChar, adParamInput, static_cast<long>(big.size()),
                               _variant_t(big.c_str())));
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO t VALUES (?)")) << LastLog(ado);
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT v FROM t WHERE length(v) > 100", adOpenForwardOnly, adLockReadOnly));
  CString back;
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, back));
  EXPECT_EQ(static_cast<int>(big.size()), back.GetLength());
}

TEST_P(AdoTest, CommandWithParameters) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE p (id INTEGER, name TEXT, price REAL)"});
  EXPECT_EQ(0, ado.AppendParam(L"x", adInteger, adParamInput, 4, _variant_t(1L)));
  ExpectOneReport(ado, L"ZELAdo::AppendParam", 820, E_POINTER);
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"SELECT 1"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteBindingQuery", 668, E_POINTER);

  ASSERT_EQ(1, ado.CreateCommand());
  EXPECT_EQ(1, ado.IsCommandCreated());
  ASSERT_EQ(1, ado.AppendParam(L"id", adInteger, adParamInput, 4, _variant_t(1L)));
  ASSERT_EQ(1, ado.AppendParam(L"name", adVarWChar, adParamInput, 50, _variant_t(L"it's \"quoted\"")));
  ASSERT_EQ(1, ado.AppendParam(L"price", adDouble, adParamInput, 8, _variant_t(2.5)));
  EXPECT_EQ(3, ado.GetParamCount());
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO p VALUES (?, ?, ?)")) << LastLog(ado);
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO p VALUES (?, ?, ?)")) << "parameters are reused";
  ASSERT_EQ(1, ado.CommitTrans());

  _variant_t v;
  ASSERT_EQ(1, ado.GetParamValue(1, v));
  EXPECT_EQ(_variant_t(L"it's \"quoted\""), v);
  EXPECT_EQ(0, ado.IsOupputParam(0));
  EXPECT_EQ(0, ado.GetParamValue(9, v));
  EXPECT_EQ(1, ado.GetLogCount());
  EXPECT_EQ(853, ado.GetLog(0).nLine);
  ado.ClearLog();

  // A query through the command replaces the current recordset.
  ado.ClearParam();
  EXPECT_EQ(0, ado.GetParamCount());
  ASSERT_EQ(1, ado.AppendParam(L"min", adInteger, adParamInput, 4, _variant_t(0L)));
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"SELECT count(*), max(name) FROM p WHERE id > ?"));
  long count = 0;
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, count));
  EXPECT_EQ(2, count);

  // Output and return-value directions.
  ASSERT_EQ(1, ado.CreateCommand());
  EXPECT_EQ(0, ado.GetParamCount()) << "a new command starts without parameters";
  ASSERT_EQ(1, ado.AppendParam(L"in", adInteger, adParamInput, 4, _variant_t(1L)));
  ASSERT_EQ(1, ado.AppendParam(L"out", adInteger, adParamOutput, 4));
  ASSERT_EQ(1, ado.AppendParam(L"io", adInteger, adParamInputOutput, 4, _variant_t(2L)));
  ASSERT_EQ(1, ado.AppendParam(L"ret", adInteger, adParamReturnValue, 4));
  EXPECT_EQ(0, ado.IsOupputParam(0));
  EXPECT_EQ(1, ado.IsOupputParam(1));
  EXPECT_EQ(1, ado.IsOupputParam(2));
  EXPECT_EQ(0, ado.IsOupputParam(3));

  // The embedded engine has no stored procedures; the server has none of that name.
  EXPECT_EQ(0, ado.ExecuteStoreProc(L"get_price"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteStoreProc", 642, static_cast<HRESULT>(Pg() ? 0x80040E14 : 0x800A0CB3));
  EXPECT_EQ(1, ado.IsConnected());
  ado.CloseCommand();
  EXPECT_EQ(0, ado.IsCommandCreated());
  // Unguarded without a command or recordset: the platform's error reaches
  // the caller, and nothing is logged.
  ado.CloseRecordset();
  EXPECT_THROW(ado.GetParamCount(), _com_error);
  EXPECT_THROW(ado.ClearParam(), _com_error);
  _variant_t row;
  EXPECT_THROW(ado.GetRowValue(row), _com_error);
  EXPECT_EQ(0, ado.GetLogCount());
}

TEST_P(AdoTest, TransactionsAndRefusedCommit) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)"});
  EXPECT_EQ(0, ado.CommitTrans());
  ExpectOneReport(ado, L"ZELAdo::CommitTrans", 721, ado.GetLogCount() ? ado.GetLog(0).nCode : 0);
  EXPECT_EQ(1, ado.IsConnected());

  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
  ASSERT_EQ(1, ado.Rollback());
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (2)"));
  ASSERT_EQ(1, ado.CommitTrans());

  ZELAdo other;
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  ASSERT_EQ(1, other.OpenRecordset(L"SELECT n FROM t", adOpenStatic, adLockReadOnly));
  EXPECT_EQ(1, other.GetRecordCount());
  long n = 0;
  other.GetFieldValueByIndex(0, n);
  EXPECT_EQ(2, n);
}

TEST_P(AdoTest, SchemaQueriesWithRestrictions) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE alpha (n INTEGER)", L"CREATE TABLE \"be ta\" (n INTEGER)",
                L"CREATE VIEW gamma AS SELECT n FROM alpha"});
  auto names = [&ado]() {
    CString all;
    for (ado.MoveFirst(); !ado.IsEOF(); ado.MoveNext()) {
      CString name;
      ado.GetFieldValueByName(L"TABLE_NAME", name);
      all += name + L";";
    }
    return all;
  };
  ASSERT_EQ(1, ado.OpenSchema_Table());
  EXPECT_EQ(CString(L"alpha;be ta;"), names());
  ASSERT_EQ(1, ado.OpenSchema_Table(L"VIEW"));
  EXPECT_EQ(CString(L"gamma;"), names());
  ASSERT_EQ(1, ado.OpenSchema_Table(NULL, L"be ta"));
  EXPECT_EQ(CString(L"be ta;"), names());
  ASSERT_EQ(1, ado.OpenSchema(adSchemaTables));
  CString everything = names();
  EXPECT_NE(-1, everything.Find(L"gamma;"));

  ASSERT_EQ(1, ado.OpenSchema_CharecterSets());
  ASSERT_EQ(0, ado.IsEOF());
  CString charset;
  ASSERT_EQ(1, ado.GetFieldValueByName(L"CHARACTER_SET_NAME", charset));
  ASSERT_EQ(1, ado.OpenSchema_CharecterSets(charset));
  EXPECT_EQ(1, ado.GetRecordCount() == -1 ? 1 : ado.GetRecordCount());
  ASSERT_EQ(1, ado.OpenSchema_CharecterSets(L"NO-SUCH-SET"));
  EXPECT_EQ(1, ado.IsEOF());

  ado.Disconnect();
  EXPECT_EQ(0, ado.OpenSchema_Table());
  ExpectOneReport(ado, L"ZELAdo::OpenSchema", 286, E_POINTER);
}

TEST_F(SqliteAdoTest, LockedDatabaseFailsWithoutDroppingTheConnection) {
  ZELAdo writer, waiter;
  Prepare(writer, {L"CREATE TABLE t (n INTEGER)"});
  ASSERT_EQ(1, waiter.Connect(ConnText().c_str()));
  ASSERT_EQ(1, writer.BeginTrans());
  ASSERT_EQ(1, writer.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
  // The writer holds its lock: the second connection waits a bounded time,
  // then gives up with a statement error and keeps its connection.
  EXPECT_EQ(0, waiter.ExecuteSQL(L"INSERT INTO t VALUES (2)"));
  ASSERT_EQ(1, waiter.GetLogCount());
  EXPECT_NE(static_cast<long>(E_FAIL), waiter.GetLog(0).nCode);
  EXPECT_EQ(1, waiter.IsConnected());
  ASSERT_EQ(1, writer.CommitTrans());
  EXPECT_EQ(1, waiter.ExecuteSQL(L"INSERT INTO t VALUES (2)")) << LastLog(waiter);
}
