// Statements that must not half-run, failures that must not drop the
// connection, values that must not be stored changed, and transactions
// that must land.
#include "AdoTest.h"
#include "platform/base/Sanitizer.h"
#include "support/LimitedChild.h"

namespace {

long Count(ZELAdo& ado, const wchar_t* sql) {
  long n = -1;
  if (!ado.OpenRecordset(sql, adOpenStatic, adLockReadOnly)) return -1;
  ado.GetFieldValueByIndex(0, n);
  ado.CloseRecordset();
  return n;
}

}  // namespace

TEST_F(SqliteAdoTest, StatementsWithTheWrongNumberOfValuesChangeNothing) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (a INTEGER)", L"INSERT INTO t VALUES (1)"});
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"a", adInteger, adParamInput, 4, _variant_t(1L)));
  ASSERT_EQ(1, ado.AppendParam(L"b", adInteger, adParamInput, 4, _variant_t(2L)));
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"DELETE FROM t WHERE a=?"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteBindingQuery", 668, static_cast<HRESULT>(0x800A0BB9));
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"INSERT INTO t VALUES (5); DELETE FROM t WHERE a=? OR a=? OR a=?"));
  ado.ClearLog();
  EXPECT_EQ(1, ado.IsConnected());
  EXPECT_EQ(1, Count(ado, L"SELECT count(*) FROM t"));

  // Markers inside literals, quoted names and comments are not markers.
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO \"t\" /* ? */ SELECT [a?] FROM (SELECT ? AS [a?]) -- ?\n"
                                       L"WHERE '?' <> ?")) << LastLog(ado);
  EXPECT_EQ(2, Count(ado, L"SELECT count(*) FROM t"));

  // A text without values is checked the same way.
  EXPECT_EQ(0, ado.ExecuteSQL(L"DELETE FROM t; SELECT ?"));
  ado.ClearLog();
  EXPECT_EQ(2, Count(ado, L"SELECT count(*) FROM t"));
}

TEST_F(SqliteAdoTest, AFailedAttachKeepsTheConnection) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (a INTEGER)"});
  std::wstring sql = L"ATTACH DATABASE '" + m_dir.wfile("missing/folder/x.db") + L"' AS x";
  EXPECT_EQ(0, ado.ExecuteSQL(sql.c_str()));
  ASSERT_EQ(1, ado.GetLogCount());
  EXPECT_NE(static_cast<long>(E_FAIL), ado.GetLog(0).nCode);
  EXPECT_EQ(1, ado.IsConnected());
  EXPECT_EQ(0, Count(ado, L"SELECT count(*) FROM t"));
}

TEST_F(SqliteAdoTest, IntegersTooLargeAreRefusedNotClamped) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (a INTEGER)"});
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"a", adBigInt, adParamInput, 8, _variant_t(L"99999999999999999999")));
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"INSERT INTO t VALUES (?)"));
  ASSERT_EQ(1, ado.GetLogCount());
  EXPECT_EQ(static_cast<long>(DISP_E_OVERFLOW), ado.GetLog(0).nCode);
  ado.ClearLog();


  // Through a recordset the column's own type decides.
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT a FROM t", adOpenKeyset, adLockOptimistic));
  ASSERT_EQ(1, ado.AddNew());
  EXPECT_EQ(0, ado.SetFieldValue(_variant_t(L"a"), _variant_t(L"99999999999999999999")));
  ASSERT_GE(ado.GetLogCount(), 1);
  EXPECT_EQ(static_cast<long>(DISP_E_OVERFLOW), ado.GetLog(0).nCode) << LastLog(ado);
  ado.ClearLog();
  ado.CloseRecordset();
  EXPECT_EQ(0, Count(ado, L"SELECT count(*) FROM t WHERE a = 9223372036854775807"));
}

TEST_F(SqliteAdoTest, NestedTransactionsCommitTheInnerLevel) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (a INTEGER)"});
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (7)"));
  ASSERT_EQ(1, ado.CommitTrans()) << LastLog(ado);
  ASSERT_EQ(1, ado.CommitTrans()) << LastLog(ado);
  ZELAdo other;
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  EXPECT_EQ(1, Count(other, L"SELECT count(*) FROM t WHERE a = 7"));
}

// Memory that runs out inside an operation is a reported failure of it.
TEST_F(SqliteAdoTest, RunningOutOfMemoryIsReported) {
  if (ZEL_ASAN) GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
  int answer = zeltest::RunLimited(1000000000, [&] {
    ZELAdo ado;
    if (!ado.Connect(ConnText().c_str())) return 4;
    _variant_t v;
    if (ado.OpenRecordset(L"SELECT randomblob(900000000)", adOpenForwardOnly, adLockReadOnly) &&
        ado.GetFieldValueByIndex(0, v))
      return 2;
    for (int i = 0; i < ado.GetLogCount(); ++i)
      if (ado.GetLog(i).nCode == static_cast<long>(E_OUTOFMEMORY)) return 0;
    return 3;
  });
  EXPECT_EQ(0, answer) << zeltest::DescribeChild(answer) << " (2: read anyway, 3: not reported as out of memory)";
}
