// Opening recordsets, the cursor at both ends, counting, and record changes
// seen through a second connection.
#include <sys/stat.h>
#include <unistd.h>

#include "AdoTest.h"

namespace {
const CursorTypeEnum kCursors[] = {adOpenForwardOnly, adOpenKeyset, adOpenDynamic, adOpenStatic};
}

TEST_P(AdoTest, EmptyResultIsAtBothEnds) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)"});
  for (CursorTypeEnum cursor : kCursors) {
    ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM t", cursor, adLockReadOnly)) << cursor;
    EXPECT_EQ(1, ado.IsBOF());
    EXPECT_EQ(1, ado.IsEOF());
    EXPECT_EQ(1, ado.MoveFirst());
    EXPECT_EQ(1, ado.MoveLast());
    EXPECT_EQ(0, ado.MoveNext());
    EXPECT_EQ(0, ado.MovePrevious());
    _variant_t row;
    EXPECT_EQ(0, ado.GetRowValue(row));
    EXPECT_EQ(VT_EMPTY, row.vt);
  }
  EXPECT_EQ(0, ado.GetLogCount()) << LastLog(ado);
}

TEST_P(AdoTest, WalkBothWaysOnAClientCursor) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)", L"INSERT INTO t VALUES (1)", L"INSERT INTO t VALUES (2)",
                L"INSERT INTO t VALUES (3)"});
  ASSERT_EQ(1, ado.OpenTable(L"t", adOpenKeyset, adLockOptimistic));
  EXPECT_EQ(3, ado.GetRecordCount());
  long n = 0, sum = 0;
  for (ado.MoveFirst(); !ado.IsEOF(); ado.MoveNext()) {
    ASSERT_EQ(1, ado.GetFieldValueByIndex(0, n));
    sum += n;
  }
  EXPECT_EQ(6, sum);
  EXPECT_EQ(0, ado.MoveNext()) << "no move past the end";
  EXPECT_EQ(1, ado.MoveLast()) << "at the end MoveLast answers 1 without moving";
  EXPECT_EQ(1, ado.IsEOF());

  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM t ORDER BY n", adOpenStatic, adLockReadOnly));
  ASSERT_EQ(1, ado.MoveLast());
  ASSERT_EQ(1, ado.GetFieldValueByIndex(0, n));
  EXPECT_EQ(3, n);
  ASSERT_EQ(1, ado.MoveFirst());
  EXPECT_EQ(1, ado.MovePrevious()) << "leaving the first record succeeds";
  EXPECT_EQ(1, ado.IsBOF());
  EXPECT_EQ(0, ado.MovePrevious());
  EXPECT_EQ(1, ado.MoveFirst()) << "at BOF MoveFirst answers 1 and stays";
  EXPECT_EQ(1, ado.IsBOF());
  EXPECT_EQ(0, ado.GetLogCount()) << LastLog(ado);
}

TEST_P(AdoTest, ForwardOnlyCountAndMissingRecordset) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (n INTEGER)", L"INSERT INTO t VALUES (1)"});
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT n FROM t", adOpenForwardOnly, adLockReadOnly));
  EXPECT_EQ(-1, ado.GetRecordCount());
  ado.CloseRecordset();
  EXPECT_EQ(0, ado.IsRecordsetOpened());
  EXPECT_EQ(0, ado.IsEOF());
  EXPECT_EQ(0, ado.GetRecordCount());
  ExpectOneReport(ado, L"ZELAdo::GetRecordCount", 907, E_POINTER);
  EXPECT_EQ(0, ado.MoveNext());
  ExpectOneReport(ado, L"ZELAdo::MoveNext", 1407, E_POINTER);
  EXPECT_EQ(1, ado.IsConnected());
}

TEST_P(AdoTest, AddUpdateDeleteSeenByASecondConnection) {
  ZELAdo ado;
  std::wstring create = std::wstring(L"CREATE TABLE \"my \"\"odd\"\" table\" (id ") + AutoKey() + L", name TEXT, qty INTEGER)";
  Prepare(ado, {create.c_str()});
  // A table name is given as it is; statements quote it as SQL does.
  ASSERT_EQ(1, ado.OpenTable(L"my \"odd\" table", adOpenKeyset, adLockOptimistic)) << LastLog(ado);

  ASSERT_EQ(1, ado.AddNew());
  ASSERT_EQ(1, ado.SetFieldValueByName(L"name", L"bolt"));
  ASSERT_EQ(1, ado.SetFieldValueByName(L"qty", 10));
  ASSERT_EQ(1, ado.Update()) << LastLog(ado);

  // A whole row in field order, saved in one step.
  _variant_t names;
  ASSERT_EQ(3, ado.GetFieldList(names));
  _variant_t values;
  {
    SAFEARRAY* pArray = SafeArrayCreateVector(VT_VARIANT, 0, 3);
    _variant_t items[3] = {_variant_t(static_cast<LONG>(5)), _variant_t(L"nut"), _variant_t(static_cast<LONG>(4))};
    for (LONG i = 0; i < 3; i++) SafeArrayPutElement(pArray, &i, &items[i]);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = pArray;
    values.Attach(v);
  }
  ASSERT_EQ(1, ado.SetRowValue(values)) << LastLog(ado);

  ZELAdo other;
  ASSERT_EQ(1, other.Connect(ConnText().c_str()));
  ASSERT_EQ(1, other.OpenRecordset(L"SELECT name, qty FROM \"my \"\"odd\"\" table\" ORDER BY qty", adOpenStatic,
                                   adLockReadOnly));
  CString name;
  long qty = 0;
  ASSERT_EQ(2, other.GetRecordCount());
  other.GetFieldValueByName(L"NAME", name);  // names without regard to case
  other.GetFieldValueByName(L"qty", qty);
  EXPECT_EQ(CString(L"nut"), name);
  EXPECT_EQ(4, qty);

  // Change the first record, delete the second.
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT * FROM \"my \"\"odd\"\" table\" ORDER BY qty", adOpenKeyset,
                                 adLockOptimistic));
  ASSERT_EQ(1, ado.SetFieldValueByIndex(2, 40L));
  ASSERT_EQ(1, ado.Update());
  ASSERT_EQ(1, ado.MoveNext());
  ASSERT_EQ(1, ado.Delete());
  ASSERT_EQ(1, other.OpenRecordset(L"SELECT name, qty FROM \"my \"\"odd\"\" table\"", adOpenStatic, adLockReadOnly));
  ASSERT_EQ(1, other.GetRecordCount());
  other.GetFieldValueByName(L"qty", qty);
  EXPECT_EQ(40, qty);
}

TEST_P(AdoTest, RefusedWritesAreReported) {
  ZELAdo ado;
  Prepare(ado, {L"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL)", L"INSERT INTO t VALUES (1, 'a')"});
  // A read-only recordset, and rows that come from no single table.
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT * FROM t", adOpenStatic, adLockReadOnly));
  EXPECT_EQ(0, ado.AddNew());
  EXPECT_EQ(1, ado.GetLogCount());
  ado.ClearLog();
  ASSERT_EQ(1, ado.OpenRecordset(L"SELECT count(*) AS c FROM t", adOpenStatic, adLockOptimistic));
  EXPECT_EQ(0, ado.SetFieldValueByIndex(0, 5L) && ado.Update());
  EXPECT_GE(ado.GetLogCount(), 1);
  EXPECT_EQ(1, ado.IsConnected());
  ado.ClearLog();
  // A constraint the engine enforces.
  ASSERT_EQ(1, ado.OpenTable(L"t", adOpenKeyset, adLockOptimistic));
  ASSERT_EQ(1, ado.AddNew());
  EXPECT_EQ(0, ado.Update());
  EXPECT_EQ(1, ado.IsConnected());
}

TEST_F(SqliteAdoTest, ReadOnlyDatabaseFileRefusesWrites) {
  {
    ZELAdo ado;
    Prepare(ado, {L"CREATE TABLE t (n INTEGER)"});
  }
  std::string path = m_dir.file("test.db");
  ASSERT_EQ(0, chmod(path.c_str(), 0444));
  ZELAdo ado;
  ASSERT_EQ(1, ado.Connect(ConnText().c_str()));
  // Root may write anyway; then the insert simply succeeds.
  if (access(path.c_str(), W_OK) != 0) {
    EXPECT_EQ(0, ado.ExecuteSQL(L"INSERT INTO t VALUES (1)"));
    ASSERT_EQ(1, ado.GetLogCount());
    EXPECT_EQ(581, ado.GetLog(0).nLine);
    EXPECT_EQ(1, ado.IsConnected());
  }
}
