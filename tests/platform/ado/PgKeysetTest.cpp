// Keyset cursors of the server engine against the rows the same statement
// gives a static cursor: keys are primary keys (an integer one, and a text
// and integer pair numbered by the connection), rows fetched by key in
// blocks, other connections' changes seen when a block is read.
#include "AdoTest.h"
#include "support/PgCluster.h"

using namespace adotest;

namespace {

class PgKeysets : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(NULL);
    m_text = zeltest::SharedPgCluster().ConnText(zeltest::FreshPgDatabase());
    m_conn = Connect(m_text);
    Exec(m_conn, L"CREATE TABLE t (id integer PRIMARY KEY, name text, n integer, \"from\" text)");
    Exec(m_conn, L"INSERT INTO t SELECT i * 2, 'r' || i, (1500 - i) % 700, 'f' || (i % 3) FROM generate_series(1, 1500) i");
    Exec(m_conn, L"CREATE TABLE pair (code text, k integer, v text, PRIMARY KEY (code, k))");
    Exec(m_conn, L"INSERT INTO pair SELECT 'c' || (i % 7), i, 'v' || i FROM generate_series(1, 1200) i");
  }
  void TearDown() override {
    m_conn = nullptr;
    CoUninitialize();
  }
  std::wstring m_text;
  _ConnectionPtr m_conn;
};

}  // namespace

TEST_F(PgKeysets, SameRowsInSameOrderAsAStaticCursor) {
  const wchar_t* statements[] = {
      L"SELECT name, n FROM t",
      L"SELECT * FROM t WHERE n > 100 ORDER BY n, id",
      L"SELECT \"from\", name AS \"x FROM y\" FROM t WHERE id > 1000 ORDER BY id DESC",
      L"SELECT name FROM t WHERE id IN (8, 2, 40, 6) OR n = 5 ORDER BY name",
      L"SELECT name FROM t ORDER BY id LIMIT 700 OFFSET 3",
      L"/* leading */ SELECT ALL name -- the name\n FROM t WHERE name LIKE 'r1%' ORDER BY id",
      L"SELECT v, k FROM pair WHERE code = 'c3' ORDER BY k",
      L"SELECT v FROM pair ORDER BY v",
  };
  for (const wchar_t* sql : statements) ExpectKeysetLikeStatic(m_conn, sql);
  // Rows of no single keyed table are kept whole.
  EXPECT_EQ(adOpenStatic, Open(m_conn, L"SELECT count(*) FROM t", adOpenKeyset)->GetCursorType());
  EXPECT_EQ(adOpenStatic, Open(m_conn, L"SELECT DISTINCT n FROM t", adOpenKeyset)->GetCursorType());
}

TEST_F(PgKeysets, BlocksSeeOtherConnectionsChangesAndWritesGoByKey) {
  _RecordsetPtr rs = Open(m_conn, L"SELECT id, name FROM t WHERE id > 100 ORDER BY id", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(1450, rs->GetRecordCount());
  _ConnectionPtr other = Connect(m_text);
  Exec(other, L"DELETE FROM t WHERE id IN (1200, 1202)");
  Exec(other, L"UPDATE t SET name = 'changed' WHERE id = 1204");
  Exec(other, L"INSERT INTO t (id, name) VALUES (1201, 'new'), (5001, 'new')");
  long rows = 0, holes = 0;
  WalkChangedKeyset(rs, 1204, rows, holes);
  EXPECT_EQ(1450, rows);
  EXPECT_EQ(2, holes);

  // A row of the text-and-integer key written and deleted through the cursor.
  _RecordsetPtr pairs = Open(m_conn, L"SELECT v FROM pair WHERE code = 'c1' ORDER BY k", adOpenKeyset, adLockOptimistic);
  pairs->GetFields()->GetItem(_variant_t(0L))->PutValue(_variant_t(L"first"));
  pairs->Update();
  pairs->MoveNext();
  pairs->Delete(adAffectCurrent);
  _RecordsetPtr check = Open(other, L"SELECT v FROM pair WHERE code = 'c1' ORDER BY k LIMIT 2", adOpenStatic);
  EXPECT_EQ(L"first", Str(check->GetCollect(_variant_t(0L))));
  check->MoveNext();
  EXPECT_EQ(L"v15", Str(check->GetCollect(_variant_t(0L)))) << "the second row (k = 8) is gone";
}
