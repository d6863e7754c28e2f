// Cursor rules at both ends and on empty results, keyset cursors over many
// rows, and writes through recordsets seen by a second connection.
#include "AdoTest.h"

using namespace adotest;

namespace {

class Recordsets : public AdoTest {
protected:
  void SetUp() override {
    AdoTest::SetUp();
    Exec(m_conn, L"CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, n INTEGER DEFAULT 7)");
    Exec(m_conn, L"INSERT INTO t(name) VALUES('a'), ('b'), ('c')");
  }
  long Id(const _RecordsetPtr& rs) { return Long(rs->GetCollect(_variant_t(L"id"))); }
};

const CursorTypeEnum kScrolling[] = {adOpenKeyset, adOpenStatic, adOpenDynamic};

}  // namespace

TEST_F(Recordsets, ScrollingCursorsKeepTheEndRules) {
  for (CursorTypeEnum type : kScrolling) {
    SCOPED_TRACE(type);
    _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM t ORDER BY id", type);
    EXPECT_EQ(3, rs->GetRecordCount());
    EXPECT_FALSE(rs->GetBOF());
    EXPECT_EQ(1, Id(rs));
    rs->MovePrevious();
    EXPECT_TRUE(rs->GetBOF());
    EXPECT_FALSE(rs->GetadoEOF());
    EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->GetCollect(_variant_t(0L)); }));
    EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->MovePrevious(); }));
    rs->MoveNext();
    EXPECT_EQ(1, Id(rs));
    rs->MoveLast();
    EXPECT_EQ(3, Id(rs));
    EXPECT_EQ(3, rs->GetAbsolutePosition());
    rs->MoveNext();
    EXPECT_TRUE(rs->GetadoEOF());
    EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->MoveNext(); }));
    rs->MovePrevious();
    EXPECT_EQ(3, Id(rs));
    rs->Move(-2);
    EXPECT_EQ(1, Id(rs));
    rs->Move(10);
    EXPECT_TRUE(rs->GetadoEOF());
    rs->MoveFirst();
    EXPECT_EQ(1, Id(rs));
  }
}

TEST_F(Recordsets, EmptyResultsAreAtBothEnds) {
  for (CursorTypeEnum type : {adOpenForwardOnly, adOpenKeyset, adOpenStatic, adOpenDynamic}) {
    SCOPED_TRACE(type);
    _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM t WHERE id > 100", type);
    EXPECT_EQ(adStateOpen, rs->GetState());
    EXPECT_TRUE(rs->GetBOF());
    EXPECT_TRUE(rs->GetadoEOF());
    EXPECT_EQ(3, rs->GetFields()->GetCount());
    EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->GetFields()->GetItem(_variant_t(L"name"))->GetValue(); }));
    EXPECT_EQ(type == adOpenForwardOnly ? -1 : 0, rs->GetRecordCount());
  }
}

TEST_F(Recordsets, ForwardOnlyStreamsAndRestarts) {
  _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM t ORDER BY id", adOpenForwardOnly);
  EXPECT_EQ(-1, rs->GetRecordCount());
  EXPECT_EQ(adOpenForwardOnly, rs->GetCursorType());
  EXPECT_EQ(adErrIllegalOperation, CodeOf([&] { rs->MovePrevious(); }));
  rs->MoveNext();
  EXPECT_EQ(2, Id(rs));
  rs->MoveFirst();  // runs the statement again
  EXPECT_EQ(1, Id(rs));
  rs->MoveLast();
  EXPECT_EQ(3, Id(rs));
  rs->MoveNext();
  EXPECT_TRUE(rs->GetadoEOF());
  FieldPtr third = rs->GetFields()->GetItem(_variant_t(2L));
  rs->Close();
  EXPECT_EQ(adStateClosed, rs->GetState());
  EXPECT_EQ(adErrObjectClosed, CodeOf([&] { rs->MoveNext(); }));
  EXPECT_EQ(adErrObjectClosed, CodeOf([&] { third->GetValue(); }));
  rs->Open(_variant_t(L"SELECT id FROM t"), _variant_t((IDispatch*)m_conn.GetInterfacePtr()), adOpenStatic,
           adLockReadOnly, adCmdText);
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { third->GetValue(); })) << "a field of the rows before";
}

TEST_F(Recordsets, KeysetOverManyRowsFetchesByKey) {
  Exec(m_conn, L"CREATE TABLE big(k INTEGER PRIMARY KEY, v TEXT)");
  m_conn->BeginTrans();
  Exec(m_conn, L"WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 20000) "
               L"INSERT INTO big SELECT i * 3, 'v' || i FROM s");
  m_conn->CommitTrans();
  _RecordsetPtr rs = Open(m_conn, L"SELECT v, k FROM big WHERE k % 2 = 1 ORDER BY k DESC", adOpenKeyset);
  EXPECT_EQ(adOpenKeyset, rs->GetCursorType());
  EXPECT_EQ(10000, rs->GetRecordCount());
  EXPECT_EQ(L"v19999", Str(rs->GetCollect(_variant_t(0L))));
  long seen = 0, last = 1 << 30;
  for (; !rs->GetadoEOF(); rs->MoveNext(), ++seen) {
    long k = Long(rs->GetCollect(_variant_t(L"K")));
    ASSERT_LT(k, last);
    last = k;
  }
  EXPECT_EQ(10000, seen);
  rs->MovePrevious();
  EXPECT_EQ(L"v1", Str(rs->GetCollect(_variant_t(0L))));
  rs->Move(-5000);
  EXPECT_EQ(5000, rs->GetAbsolutePosition());
  // A row changed by another connection is read anew; one deleted is a hole.
  _ConnectionPtr other = Connect(SqliteText(m_file));
  long k = Long(rs->GetCollect(_variant_t(L"k")));
  Exec(other, (L"UPDATE big SET v = 'changed' WHERE k = " + std::to_wstring(k)).c_str());
  rs->MoveFirst();  // away and back: the block is read again
  rs->GetCollect(_variant_t(0L));
  rs->Move(4999);
  EXPECT_EQ(L"changed", Str(rs->GetCollect(_variant_t(0L))));
  Exec(other, (L"DELETE FROM big WHERE k = " + std::to_wstring(k)).c_str());
  rs->MoveFirst();
  rs->GetCollect(_variant_t(0L));
  rs->Move(4999);
  EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->GetCollect(_variant_t(0L)); }));
}

TEST_F(Recordsets, WritesReachASecondConnection) {
  for (CursorTypeEnum type : {adOpenForwardOnly, adOpenKeyset, adOpenStatic}) {
    SCOPED_TRACE(type);
    _RecordsetPtr rs = Open(m_conn, L"SELECT id, name, n FROM t ORDER BY id", type, adLockOptimistic);
    EXPECT_TRUE(rs->GetFields()->GetItem(_variant_t(1L))->GetAttributes() & adFldUpdatable);
    rs->PutCollect(_variant_t(L"name"), _variant_t(L"A"));
    EXPECT_EQ(adEditInProgress, rs->GetEditMode());
    rs->Update();
    rs->AddNew();
    rs->PutCollect(_variant_t(L"name"), _variant_t(L"new"));
    rs->Update();
    EXPECT_EQ(7, Long(rs->GetCollect(_variant_t(L"n")))) << "defaults show after saving";
    long added = Id(rs);
    rs->CancelUpdate();

    _ConnectionPtr other = Connect(SqliteText(m_file));
    _RecordsetPtr check = Open(other, L"SELECT group_concat(name, ',') FROM (SELECT name FROM t ORDER BY id)",
                               adOpenForwardOnly);
    EXPECT_EQ(L"A,b,c,new", Str(check->GetCollect(_variant_t(0L))));

    if (type != adOpenForwardOnly) {
      rs->MoveFirst();
      rs->Delete(adAffectCurrent);
      EXPECT_EQ(adErrNoCurrentRecord, CodeOf([&] { rs->GetCollect(_variant_t(0L)); }));
      rs->MoveNext();
      EXPECT_EQ(2, Id(rs)) << "the next move lands on the row after the deleted one";
      Exec(m_conn, L"INSERT INTO t(id, name) VALUES(1, 'a')");
    }
    Exec(m_conn, (L"DELETE FROM t WHERE id = " + std::to_wstring(added)).c_str());
    Exec(m_conn, L"UPDATE t SET name = 'a' WHERE id = 1");
  }
}

TEST_F(Recordsets, AddNewWithListsAndMovesSaveEdits) {
  _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM t", adOpenKeyset, adLockOptimistic);
  SAFEARRAY* names = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  SAFEARRAY* values = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  _variant_t a(L"name"), b(L"n"), va(L"listed"), vb(42L);
  LONG i = 0;
  SafeArrayPutElement(names, &i, &a);
  SafeArrayPutElement(values, &i, &va);
  i = 1;
  SafeArrayPutElement(names, &i, &b);
  SafeArrayPutElement(values, &i, &vb);
  _variant_t fl, vl;
  fl.vt = vl.vt = VT_ARRAY | VT_VARIANT;
  fl.parray = names;
  vl.parray = values;
  rs->AddNew(fl, vl);
  EXPECT_EQ(4, rs->GetRecordCount());
  EXPECT_EQ(42, Long(rs->GetCollect(_variant_t(L"n"))));
  rs->MoveFirst();
  rs->PutCollect(_variant_t(L"n"), _variant_t(5L));
  rs->MoveNext();  // saves the edit
  _RecordsetPtr check = Open(m_conn, L"SELECT n FROM t WHERE id = 1", adOpenForwardOnly);
  EXPECT_EQ(5, Long(check->GetCollect(_variant_t(0L))));
}

TEST_F(Recordsets, WritesRefusedWhereRowsCannotBeLocated) {
  Exec(m_conn, L"CREATE TABLE u(id INTEGER PRIMARY KEY, t_id INTEGER)");
  Exec(m_conn, L"CREATE TABLE w(k TEXT PRIMARY KEY, v TEXT) WITHOUT ROWID; INSERT INTO w VALUES('a', 'b')");
  Exec(m_conn, L"CREATE VIEW tv AS SELECT id, name FROM t");
  _RecordsetPtr ro = Open(m_conn, L"SELECT * FROM t", adOpenKeyset, adLockReadOnly);
  EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([&] { ro->PutCollect(_variant_t(1L), _variant_t(L"x")); }));
  EXPECT_NE(std::wstring::npos, DescriptionOf([&] { ro->AddNew(); }).find(L"read-only"));
  for (const wchar_t* sql : {L"SELECT t.name, u.id FROM t JOIN u ON u.t_id = t.id", L"SELECT count(*) FROM t",
                             L"SELECT DISTINCT name FROM t", L"SELECT * FROM w", L"SELECT * FROM tv"}) {
    SCOPED_TRACE(sql);
    _RecordsetPtr rs = Open(m_conn, sql, adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(adOpenStatic, rs->GetCursorType()) << "no keys: the rows are kept instead";
    EXPECT_EQ(adErrFeatureNotAvailable, CodeOf([&] { rs->AddNew(); }));
  }
}

TEST_F(Recordsets, FieldsByPositionAndNameWithoutCase) {
  _RecordsetPtr rs = Open(m_conn, L"SELECT id, name AS \"Full Name\" FROM t", adOpenStatic);
  FieldsPtr f = rs->GetFields();
  EXPECT_EQ(2, f->GetCount());
  EXPECT_EQ(L"Full Name", std::wstring(f->GetItem(_variant_t(1L))->GetName()));
  EXPECT_EQ(L"a", Str(f->GetItem(_variant_t(L"full name"))->GetValue()));
  EXPECT_EQ(L"a", Str(f->GetItem(_variant_t((short)1))->GetValue()));
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { f->GetItem(_variant_t(L"nope")); }));
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { f->GetItem(_variant_t(2L)); }));
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { f->GetItem(_variant_t(-1L)); }));
  EXPECT_EQ(adErrItemNotFound, CodeOf([&] { f->GetItem(vtMissing); }));
}

TEST_F(Recordsets, TablesByNameAndConnectionTexts) {
  Exec(m_conn, L"CREATE TABLE \"odd \"\"name\"\"\"(\"a column\" TEXT)");
  Exec(m_conn, L"INSERT INTO \"odd \"\"name\"\"\" VALUES('x')");
  _RecordsetPtr rs;
  rs.CreateInstance(CLSID_Recordset);
  rs->Open(_variant_t(L"odd \"name\""), _variant_t(SqliteText(m_file).c_str()), adOpenKeyset, adLockOptimistic,
           adCmdTable);
  EXPECT_EQ(L"x", Str(rs->GetCollect(_variant_t(L"a column"))));
  rs->PutCollect(_variant_t(L"a column"), _variant_t(L"y"));
  rs->Update();
  _RecordsetPtr check = Open(m_conn, L"SELECT * FROM \"odd \"\"name\"\"\"", adOpenForwardOnly);
  EXPECT_EQ(L"y", Str(check->GetCollect(_variant_t(0L))));
  _RecordsetPtr none;
  none.CreateInstance(CLSID_Recordset);
  EXPECT_EQ(adErrInvalidConnection, CodeOf([&] { none->Open(_variant_t(L"t"), vtMissing, adOpenStatic, adLockReadOnly, adCmdTable); }));
  EXPECT_EQ(ZEL_ADO_E_NOTABLE, CodeOf([&] { Open(m_conn, L"SELECT * FROM missing_table", adOpenKeyset); }));
}
