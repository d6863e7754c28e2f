// Keyset cursors against the rows the same statement gives a static cursor:
// the keys may be read alone or row by row, blocks of rows fetched in rowid
// order or by lookup, and the rows must be the same, in the same order.
#include "AdoTest.h"

using namespace adotest;

namespace {

// n runs against the rowid, and has an index that could carry the keys
// alone in its own order; that order and the rowid's begin on the same row.
const wchar_t* const kTable[] = {
    L"CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, n INTEGER, \"from\" TEXT)",
    L"CREATE INDEX t_n ON t(n)",
    (L"WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 1500) "
     L"INSERT INTO t SELECT i * 2, 'r' || i, iif(i = 1, -1, (1500 - i) % 700), 'f' || (i % 3) FROM s"),
};

class Keysets : public AdoTest {
protected:
  void SetUp() override {
    AdoTest::SetUp();
    for (const wchar_t* sql : kTable) Exec(m_conn, sql);
  }
};

}  // namespace

TEST_F(Keysets, SameRowsInSameOrderAsAStaticCursor) {
  const wchar_t* statements[] = {
      L"SELECT name, n FROM t",
      L"SELECT * FROM t WHERE n > 100",
      L"SELECT name FROM t",  // the index alone would give the keys in n order
      L"SELECT n FROM t WHERE n BETWEEN 10 AND 20",
      L"SELECT name, \"from\" FROM t WHERE \"from\" = 'f1'",
      L"SELECT [from], name AS \"x FROM y\" FROM t NOT INDEXED WHERE id > 1000",
      L"SELECT name FROM t WHERE id > 400 AND id < 2100",
      L"SELECT name FROM t WHERE id IN (8, 2, 40, 6) OR n = 5",
      L"SELECT name FROM t ORDER BY n, id",
      L"SELECT name FROM t ORDER BY id DESC",
      L"SELECT name FROM t WHERE n = (SELECT max(n) FROM t)",
      L"SELECT name FROM t LIMIT 700 OFFSET 3",
      L"SELECT name FROM t GROUP BY n",
      L"/* leading */ SELECT ALL name -- the name\n FROM t WHERE name LIKE 'r1%'",
  };
  for (const wchar_t* sql : statements) ExpectKeysetLikeStatic(m_conn, sql);
}

TEST_F(Keysets, RisingBlocksSeeOtherConnectionsChanges) {
  _RecordsetPtr rs = Open(m_conn, L"SELECT id, name FROM t WHERE id > 100", adOpenKeyset);
  EXPECT_EQ(1450, rs->GetRecordCount());
  _ConnectionPtr other = Connect(SqliteText(m_file));
  // In the second block: a row gone, a row changed, rows added between
  // keys and past the last one, none of which the keyset has.
  Exec(other, L"DELETE FROM t WHERE id IN (1200, 1202)");
  Exec(other, L"UPDATE t SET name = 'changed' WHERE id = 1204");
  Exec(other, L"INSERT INTO t(id, name) VALUES (1201, 'new'), (1203, 'new'), (5001, 'new')");
  long rows = 0, holes = 0;
  WalkChangedKeyset(rs, 1204, rows, holes);
  EXPECT_EQ(1450, rows);
  EXPECT_EQ(2, holes);
  rs->MoveFirst();
  EXPECT_EQ(102, Long(rs->GetCollect(_variant_t(L"id"))));
}
