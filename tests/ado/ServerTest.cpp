// What only the server engine has: stored procedures and functions, its
// types both ways, savepoints and refused commits, a server that goes away
// and comes back, and connections it refuses.
#include "AdoTest.h"

#include <cstring>

namespace {

std::string Utf8(const _variant_t& v) {
  CString s;
  ZELAdo::VariantToString(const_cast<_variant_t&>(v), s);
  return s.ToUtf8();
}

}  // namespace

TEST_F(PgAdoTest, ProceduresAndFunctionsWithEveryDirection) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE PROCEDURE add_to(a integer, INOUT total integer, OUT doubled integer) LANGUAGE plpgsql "
                L"AS $$ BEGIN total := total + a; doubled := total * 2; END $$",
                L"CREATE FUNCTION price_of(n integer) RETURNS numeric LANGUAGE sql AS $$ SELECT n * 1.5 $$",
                L"CREATE FUNCTION squares(n integer) RETURNS TABLE(i integer, sq integer) LANGUAGE sql "
                L"AS $$ SELECT g, g * g FROM generate_series(1, n) g $$"});
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"a", adInteger, adParamInput, 4, _variant_t(5L)));
  ASSERT_EQ(1, ado.AppendParam(L"total", adInteger, adParamInputOutput, 4, _variant_t(10L)));
  ASSERT_EQ(1, ado.AppendParam(L"doubled", adInteger, adParamOutput, 4));
  ASSERT_EQ(1, ado.ExecuteStoreProc(L"add_to")) << LastLog(ado);
  _variant_t v;
  EXPECT_EQ(0, ado.IsOupputParam(0));
  EXPECT_EQ(1, ado.IsOupputParam(1));
  EXPECT_EQ(1, ado.IsOupputParam(2));
  ASSERT_EQ(1, ado.GetParamValue(1, v));
  EXPECT_EQ(VT_I4, v.vt);
  EXPECT_EQ(15, v.lVal);
  ASSERT_EQ(1, ado.GetParamValue(2, v));
  EXPECT_EQ(30, v.lVal);

  // A return value comes first, the arguments after it.
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"ret", adNumeric, adParamReturnValue, 0));
  ASSERT_EQ(1, ado.AppendParam(L"n", adInteger, adParamInput, 4, _variant_t(3L)));
  ASSERT_EQ(1, ado.ExecuteStoreProc(L"public.price_of")) << LastLog(ado);
  EXPECT_EQ(0, ado.IsOupputParam(0));
  ASSERT_EQ(1, ado.GetParamValue(0, v));
  EXPECT_EQ(VT_DECIMAL, v.vt);
  EXPECT_EQ("4.5", Utf8(v));

  // A set-returning function's rows are the recordset.
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"n", adInteger, adParamInput, 4, _variant_t(4L)));
  ASSERT_EQ(1, ado.ExecuteStoreProc(L"squares")) << LastLog(ado);
  long sum = 0, sq = 0;
  for (; !ado.IsEOF(); ado.MoveNext()) {
    ASSERT_EQ(1, ado.GetFieldValueByName(L"sq", sq));
    sum += sq;
  }
  EXPECT_EQ(1 + 4 + 9 + 16, sum);
  EXPECT_EQ(0, ado.GetLogCount()) << LastLog(ado);
}

TEST_F(PgAdoTest, TypesBothWays) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (id serial PRIMARY KEY, s smallint, i integer, b bigint, n numeric(30,10), "
                L"r real, d double precision, v varchar(20), c char(3), x text, y bytea, dt date, ts timestamp, "
                L"tz timestamptz, tm time, f boolean, u uuid, j json)"});
  ASSERT_EQ(1, ado.CreateCommand());
  DECIMAL dec;
  _variant_t decText(L"-12345678901234567.1234567891");
  ASSERT_EQ(1, ZELAdo::VariantToDecimal(decText, dec));
  std::string bytes;
  for (int k = 0; k < 256; ++k) bytes += static_cast<char>(k);
  SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, 256);
  std::memcpy(sa->pvData, bytes.data(), 256);
  _variant_t blob;
  blob.vt = VT_ARRAY | VT_UI1;
  blob.parray = sa;
  _variant_t when(L"2024-03-01 10:20:30");
  when.ChangeType(VT_DATE);
  _variant_t values[] = {_variant_t(static_cast<short>(-7)), _variant_t(123456L), _variant_t(static_cast<LONGLONG>(1) << 40),
                         _variant_t(dec), _variant_t(1.5f), _variant_t(0.1), _variant_t(L"caf\u00e9"), _variant_t(L"ab"),
                         _variant_t(L"long text"), blob, when, when, _variant_t(L"2024-03-01 12:00:00+02"),
                         _variant_t(L"23:59:58"), _variant_t(true), _variant_t(L"a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"),
                         _variant_t(L"{\"k\": [1, 2]}")};
  for (const _variant_t& value : values)
    ASSERT_EQ(1, ado.AppendParam(L"", adVariant, adParamInput, 0, const_cast<_variant_t&>(value))) << LastLog(ado);
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO t (s, i, b, n, r, d, v, c, x, y, dt, ts, tz, tm, f, u, j) "
                                       L"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")) << LastLog(ado);
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT s, i, b, n, r, d, v, c, x, y, dt, ts, tz, tm, f, u, j FROM t"));
  const VARTYPE kinds[] = {VT_I2, VT_I4, VT_I8, VT_DECIMAL, VT_R4, VT_R8, VT_BSTR, VT_BSTR, VT_BSTR,
                           VT_ARRAY | VT_UI1, VT_DATE, VT_DATE, VT_DATE, VT_DATE, VT_BOOL, VT_BSTR, VT_BSTR};
  const char* texts[] = {"-7", "123456", "1099511627776", "-12345678901234567.1234567891", "1.5", "0.1", "caf\xc3\xa9",
                         "ab ", "long text", nullptr, "2024-03-01", "2024-03-01 10:20:30", "2024-03-01 10:00:00",
                         "23:59:58", nullptr, "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11", "{\"k\": [1, 2]}"};
  for (long k = 0; k < 17; ++k) {
    _variant_t v;
    ASSERT_EQ(1, ado.GetFieldValueByIndex(k, v)) << k;
    EXPECT_EQ(kinds[k], v.vt) << k;
    if (texts[k]) {
      EXPECT_EQ(texts[k], Utf8(v)) << k;
    }
  }
  _variant_t y, f;
  ASSERT_EQ(1, ado.GetFieldValueByIndex(9, y));
  EXPECT_EQ(0, std::memcmp(y.parray->pvData, bytes.data(), 256)) << "every byte value kept";
  ASSERT_EQ(1, ado.GetFieldValueByIndex(14, f));
  EXPECT_EQ(VARIANT_TRUE, f.boolVal);
  EXPECT_EQ(0, ado.GetLogCount()) << LastLog(ado);
}

TEST_F(PgAdoTest, NumbersBeyondDecimalAreRefusedNotRounded) {
  ZELAdo ado;
  Prepare(ado, {});
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT 79228162514264337593543950335::numeric AS big, "
                                 L"-0.0000000000000000000000000001::numeric AS tiny, 'NaN'::numeric AS nan, "
                                 L"79228162514264337593543950336::numeric AS over, 0.00000000000000000000000000001 AS fine"));
  _variant_t v;
  ASSERT_EQ(1, ado.GetFieldValueByName(L"big", v));
  EXPECT_EQ("79228162514264337593543950335", Utf8(v));
  ASSERT_EQ(1, ado.GetFieldValueByName(L"tiny", v));
  EXPECT_EQ("-0.0000000000000000000000000001", Utf8(v));
  for (const wchar_t* name : {L"nan", L"over", L"fine"}) {
    EXPECT_EQ(0, ado.GetFieldValueByName(name, v)) << CString(name).ToUtf8();
    ExpectOneReport(ado, L"ZELAdo::GetFieldValue", 1117, static_cast<HRESULT>(0x80040E21));
  }
}

TEST_F(PgAdoTest, SavepointsAndARefusedCommit) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE parent (id integer PRIMARY KEY)",
                L"CREATE TABLE child (p integer REFERENCES parent DEFERRABLE INITIALLY DEFERRED)"});
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO parent VALUES (1)"));
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO parent VALUES (2)"));
  ASSERT_EQ(1, ado.Rollback());
  ASSERT_EQ(1, ado.CommitTrans());
  long count = 0;
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT count(*) FROM parent"));
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, count));
  EXPECT_EQ(1, count) << "the inner level was rolled back alone";

  // The deferred check fails at commit: the commit fails and nothing stays open.
  ASSERT_EQ(1, ado.BeginTrans());
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO child VALUES (99)"));
  EXPECT_EQ(0, ado.CommitTrans());
  ExpectOneReport(ado, L"ZELAdo::CommitTrans", 721, static_cast<HRESULT>(0x80040E2F));
  EXPECT_EQ(1, ado.IsConnected());
  EXPECT_EQ(0, ado.CommitTrans()) << "no transaction is left open";
  ado.ClearLog();
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT count(*) FROM child"));
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, count));
  EXPECT_EQ(0, count);
}

TEST_F(PgAdoTest, MarkersOutsideTextOnlyAndCountedBeforeRunning) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (a text, b text)"});
  ASSERT_EQ(1, ado.CreateCommand());
  ASSERT_EQ(1, ado.AppendParam(L"a", adVarWChar, adParamInput, 10, _variant_t(L"one")));
  ASSERT_EQ(1, ado.AppendParam(L"b", adVarWChar, adParamInput, 10, _variant_t(L"two")));
  ASSERT_EQ(1, ado.ExecuteBindingQuery(L"INSERT INTO t /* ? */ VALUES (?, ? || '?' || $$?$$) -- ?")) << LastLog(ado);
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"INSERT INTO t VALUES (?, 'x'); INSERT INTO t VALUES ('y', 'z')"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteBindingQuery", 668, static_cast<HRESULT>(0x800A0BB9));
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT a || b FROM t"));
  CString text;
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, text));
  EXPECT_EQ(CString(L"onetwo??"), text);
  ado.MoveNext();
  EXPECT_EQ(1, ado.IsEOF()) << "the refused text ran nothing";
}

TEST_F(PgAdoTest, ForwardReadSurvivesStatementsInBetweenAndKeysetWritesByTextKey) {
  ZELAdo ado, other;
  Prepare(ado, {L"CREATE TABLE k (code text PRIMARY KEY, qty integer)", L"INSERT INTO k VALUES ('a', 1), ('b', 2)"});
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT g FROM generate_series(1, 5000) g", adOpenForwardOnly, adLockReadOnly));
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  long n = 0, sum = 0;
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, n));
  // The same connection runs another statement while the rows still come.
  ASSERT_EQ(1, ado.ExecuteSQL(L"UPDATE k SET qty = qty + 10"));
  for (; !ado.IsEOF(); ado.MoveNext()) {
    ASSERT_EQ(1, ado.GetFieldValueByIndex(0, n));
    sum += n;
  }
  EXPECT_EQ(5000L * 5001 / 2, sum);

  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT qty FROM k ORDER BY code", adOpenKeyset, adLockOptimistic));
  ASSERT_EQ(1, ado.MoveLast());
  ASSERT_EQ(1, ado.SetFieldValueByIndex(0, 42L));
  ASSERT_EQ(1, ado.Update()) << LastLog(ado);
  ASSERT_EQ(1, ado.MoveFirst());
  ASSERT_EQ(1, ado.Delete(adAffectCurrent)) << LastLog(ado);
  ASSERT_EQ(1, other.OpenRecordset(L"SELECT code, qty FROM k"));
  CString code;
  ASSERT_EQ(1, other.GetFieldValueByIndex(0, code));
  ASSERT_EQ(1, other.GetFieldValueByIndex(1, n));
  EXPECT_EQ(CString(L"b"), code);
  EXPECT_EQ(42, n);
  other.MoveNext();
  EXPECT_EQ(1, other.IsEOF());

  // Rows without a primary key are read-only.
  ASSERT_EQ(1, ado.ExecuteSQL(L"CREATE TABLE nokey (n integer)"));
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO nokey VALUES (1)"));
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM nokey", adOpenKeyset, adLockOptimistic));
  EXPECT_EQ(0, ado.SetFieldValueByIndex(0, 2L));
  EXPECT_EQ(1, ado.GetLogCount());
}

TEST_F(PgAdoTest, RestartedServerDropsTheConnectionUntilReconnect) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n integer)"});
  zeltest::SharedPgCluster().Stop();
  EXPECT_EQ(0, ado.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, E_FAIL);
  EXPECT_EQ(0, ado.IsConnected());
  EXPECT_EQ(0, ado.Reconnect()) << "the server is still down";
  ado.ClearLog();
  zeltest::SharedPgCluster().Start();
  ASSERT_EQ(1, ado.Reconnect()) << LastLog(ado);
  EXPECT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
}

TEST_F(PgAdoTest, RefusedConnectionsLogOnceEach) {
  zeltest::PgCluster& pg = zeltest::SharedPgCluster();
  const std::string host = pg.Address();
  std::wstring address(host.begin(), host.end());
  const std::wstring texts[] = {
      L"Provider=PostgreSQL;Data Source=" + address + L";Initial Catalog=postgres;User ID=postgres;Password=wrong",
      L"Provider=PostgreSQL;Data Source=" + address + L";Initial Catalog=no_such_db;User ID=postgres;Password=zel-secret",
      L"Provider=PostgreSQL;Data Source=127.0.0.1:1;Initial Catalog=postgres;User ID=postgres;Password=zel-secret"};
  for (const std::wstring& text : texts) {
    ZELAdo ado;
    EXPECT_EQ(0, ado.Connect(text.c_str()));
    ASSERT_EQ(1, ado.GetLogCount());
    EXPECT_EQ(static_cast<long>(E_FAIL), ado.GetLog(0).nCode);
    EXPECT_EQ(119, ado.GetLog(0).nLine);
    EXPECT_FALSE(ado.GetLog(0).strDetail.IsEmpty());
    EXPECT_EQ(0, ado.IsConnected());
  }
}

TEST_F(PgAdoTest, ServerErrorsMapToTheirCodesAndKeepTheConnection) {
  ZELAdo ado, other;
  Prepare(ado, {L"CREATE TABLE t (n integer PRIMARY KEY)", L"INSERT INTO t VALUES (1)"});
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  struct Case {
    const wchar_t* sql;
    HRESULT code;
  } cases[] = {
      {L"SELEC 1", static_cast<HRESULT>(0x80040E14)},
      {L"SELECT * FROM no_such_table", static_cast<HRESULT>(0x80040E37)},
      {L"INSERT INTO t VALUES (1)", static_cast<HRESULT>(0x80040E2F)},
      {L"SELECT 1 / 0", static_cast<HRESULT>(0x80040E21)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(0, ado.ExecuteSQL(c.sql));
    ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, c.code);
    EXPECT_EQ(1, ado.IsConnected());
  }
  // A NUL would cut the statement or the value short: both are refused.
  std::wstring withNul = L"DELETE FROM t";
  withNul += L'\0';
  withNul += L" WHERE n = 42";
  _bstr_t nulText(SysAllocStringLen(withNul.data(), static_cast<UINT>(withNul.size())), false);
  EXPECT_EQ(0, ado.ExecuteSQL(nulText));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 605, static_cast<HRESULT>(0x80040E14));  // the string-object form
  ASSERT_EQ(1, ado.CreateCommand());
  std::wstring nulValue(L"a\0b", 3);
  _variant_t v(_bstr_t(SysAllocStringLen(nulValue.data(), 3), false));
  ASSERT_EQ(1, ado.AppendParam(L"n", adVarWChar, adParamInput, 3, v));
  EXPECT_EQ(0, ado.ExecuteBindingQuery(L"SELECT ?"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteBindingQuery", 668, static_cast<HRESULT>(0x80040E21));
  // COPY with the client is refused without holding the connection.
  for (const wchar_t* copy : {L"COPY t FROM STDIN", L"COPY t TO STDOUT"}) {
    EXPECT_EQ(0, ado.ExecuteSQL(copy));
    ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, static_cast<HRESULT>(0x800A0CB3));
  }
  ASSERT_EQ(1, ado.ExecuteSQL(L"INSERT INTO t VALUES (2)")) << LastLog(ado);
  long count = 0;
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT count(*) FROM t"));
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, count));
  EXPECT_EQ(2, count) << "the text cut at its NUL never ran";
  // A row another connection holds, past the lock wait.
  ASSERT_EQ(1, other.BeginTrans());
  ASSERT_EQ(1, other.ExecuteSQL(L"UPDATE t SET n = 1 WHERE n = 1"));
  ASSERT_EQ(1, ado.ExecuteSQL(L"SET lock_timeout = '200ms'"));
  EXPECT_EQ(0, ado.ExecuteSQL(L"UPDATE t SET n = 2 WHERE n = 1"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, static_cast<HRESULT>(0x80040E31));
  ASSERT_EQ(1, other.Rollback());
  // A read-only transaction refuses writes.
  ASSERT_EQ(1, ado.ExecuteSQL(L"SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
  EXPECT_EQ(0, ado.ExecuteSQL(L"INSERT INTO t VALUES (3)"));
  ExpectOneReport(ado, L"ZELAdo::ExecuteSQL", 581, static_cast<HRESULT>(0x80040E09));
  EXPECT_EQ(1, ado.IsConnected());
}
