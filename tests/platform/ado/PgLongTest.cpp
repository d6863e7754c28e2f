// Long binary values of the server engine, which move in 4 MB pieces: sizes
// around the piece size arrive whole (nothing lost or doubled at a piece's
// edge, checked byte by byte on the server), and a value another connection
// keeps changing is read as one version or refused, never mixed.
#include "AdoTest.h"
#include "platform/ado/ValueConvert.h"
#include "support/PgCluster.h"

#include <atomic>
#include <thread>

using namespace adotest;

namespace {

constexpr size_t kPiece = 4u << 20;

// Every byte differs from its neighbours and the pattern does not repeat
// with the piece size, so a piece shifted, lost or doubled shows.
std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

std::string Bytes(const _variant_t& v) {
  if (v.vt != (VT_ARRAY | VT_UI1)) return std::string();
  LONG upper = -1;
  void* data = nullptr;
  SafeArrayGetUBound(v.parray, 1, &upper);
  SafeArrayAccessData(v.parray, &data);
  std::string s(static_cast<const char*>(data), static_cast<size_t>(upper + 1));
  SafeArrayUnaccessData(v.parray);
  return s;
}

// The whole field through GetChunk, in chunks of an odd size.
std::string Chunks(const FieldPtr& f) {
  std::string all;
  for (;;) {
    _variant_t v = f->GetChunk(1000003);
    if (v.vt != (VT_ARRAY | VT_UI1)) return all;
    all += Bytes(v);
  }
}

class PgLong : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(NULL);
    m_db = zeltest::FreshPgDatabase();
    m_conn = Connect(zeltest::SharedPgCluster().ConnText(m_db));
    Exec(m_conn, L"CREATE TABLE b (id integer PRIMARY KEY, data bytea)");
  }
  void TearDown() override {
    m_conn = nullptr;
    CoUninitialize();
  }
  std::string Server(const std::string& sql) {
    std::string out = zeltest::SharedPgCluster().Sql(sql, m_db);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  // The server's length and bytes at the edges of every piece of row id.
  void ExpectStored(long id, const std::string& want) {
    std::string where = " FROM b WHERE id = " + std::to_string(id);
    ASSERT_EQ(std::to_string(want.size()), Server("SELECT octet_length(data)" + where));
    for (size_t edge = kPiece; edge <= want.size() + 1; edge += kPiece)
      for (size_t at : {edge - 1, edge}) {
        if (at >= want.size()) continue;
        EXPECT_EQ(std::to_string(static_cast<unsigned char>(want[at])),
                  Server("SELECT get_byte(data, " + std::to_string(at) + ")" + where))
            << "byte " << at << " of " << want.size();
      }
  }
  std::string m_db;
  _ConnectionPtr m_conn;
};

}  // namespace

TEST_F(PgLong, SizesAroundThePieceArriveWhole) {
  const size_t sizes[] = {0, 1, kPiece - 1, kPiece, kPiece + 1, 2 * kPiece + 1};
  // Added through AppendChunk in uneven chunks, then rewritten whole by Update.
  long id = 0;
  for (size_t n : sizes) {
    std::string bytes = Pattern(n);
    _RecordsetPtr rs = Open(m_conn, L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic);
    rs->AddNew();
    rs->GetFields()->GetItem(L"id")->PutValue(_variant_t(++id));
    FieldPtr data = rs->GetFields()->GetItem(L"data");
    size_t at = 0;
    do {
      data->AppendChunk(zelado::ByteArray(bytes.data() + at, std::min<size_t>(3000017, n - at)));
      at += 3000017;
    } while (at < n);
    rs->Update();
    ExpectStored(id, bytes);
  }
  Exec(m_conn, L"UPDATE b SET data = NULL WHERE id = 1");
  for (id = 1; id <= 6; ++id) {
    std::string want = id == 1 ? std::string() : Pattern(sizes[id - 1]);
    std::wstring sql = L"SELECT id, data FROM b WHERE id = " + std::to_wstring(id);
    // A keyset reads by key in pieces; a static cursor over keys fetches each row.
    _RecordsetPtr keyset = Open(m_conn, sql.c_str(), adOpenKeyset, adLockOptimistic);
    ASSERT_EQ(adOpenKeyset, keyset->GetCursorType());
    EXPECT_TRUE(want == Chunks(keyset->GetFields()->GetItem(L"data"))) << "keyset, " << want.size() << " bytes";
    _RecordsetPtr fixed = Open(m_conn, sql.c_str(), adOpenStatic, adLockOptimistic);
    EXPECT_TRUE(want == Bytes(fixed->GetFields()->GetItem(L"data")->GetValue())) << "static, " << want.size();
    _RecordsetPtr forward = Open(m_conn, sql.c_str(), adOpenForwardOnly);
    EXPECT_TRUE(want == Bytes(forward->GetFields()->GetItem(L"data")->GetValue())) << "forward, " << want.size();
    if (id == 1) {
      EXPECT_EQ(VT_NULL, keyset->GetFields()->GetItem(L"data")->GetValue().vt);
    }
  }

  // Update rewrites a long value by key, inside a caller's transaction too,
  // and a rolled-back one leaves the old value and no staged pieces.
  std::string longer = Pattern(kPiece + 5);
  m_conn->BeginTrans();
  _RecordsetPtr rs = Open(m_conn, L"SELECT id, data FROM b WHERE id = 2", adOpenKeyset, adLockOptimistic);
  rs->GetFields()->GetItem(L"data")->PutValue(zelado::ByteArray(longer.data(), longer.size()));
  rs->Update();
  m_conn->RollbackTrans();
  EXPECT_EQ("1", Server("SELECT octet_length(data) FROM b WHERE id = 2"));
  rs = Open(m_conn, L"SELECT id, data FROM b WHERE id = 2", adOpenKeyset, adLockOptimistic);
  rs->GetFields()->GetItem(L"data")->PutValue(zelado::ByteArray(longer.data(), longer.size()));
  rs->Update();
  ExpectStored(2, longer);
}

TEST_F(PgLong, KeysetTextsEndingOddlyStayKeyed) {
  Exec(m_conn, L"INSERT INTO b VALUES (1, '\\x0102'), (2, NULL)");
  for (const wchar_t* sql : {L"SELECT id, data FROM b;", L"SELECT data FROM b ORDER BY id -- last\n",
                             L"SELECT data, id AS data FROM b ORDER BY id DESC LIMIT 5"}) {
    _RecordsetPtr rs = Open(m_conn, sql, adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(adOpenKeyset, rs->GetCursorType()) << sql;
    EXPECT_EQ(2, rs->GetRecordCount()) << sql;
  }
}

// Another connection rewrites the value with 'a' x 9 MB and 'b' x 13 MB in
// turn while it is read in pieces: each read is all one letter at that
// letter's length, or refused as a value that kept changing (lock code).
TEST_F(PgLong, AValueChangedBetweenPiecesIsReadAsOneVersion) {
  const std::string a = "convert_to(repeat('a', 9437184), 'UTF8')", b = "convert_to(repeat('b', 13631488), 'UTF8')";
  Server("INSERT INTO b VALUES (1, " + a + ")");
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; !done; ++i) Server("UPDATE b SET data = " + (i % 2 ? a : b) + " WHERE id = 1");
  });
  int refused = 0;
  for (int i = 0; i < 12; ++i) {
    std::string got;
    HRESULT hr = CodeOf([&] {
      _RecordsetPtr rs = Open(m_conn, L"SELECT id, data FROM b", adOpenKeyset, adLockOptimistic);
      got = Bytes(rs->GetFields()->GetItem(L"data")->GetValue());
    });
    if (hr != S_OK) {
      EXPECT_EQ(static_cast<HRESULT>(0x80040E31), hr);
      ++refused;
      continue;
    }
    ASSERT_FALSE(got.empty());
    size_t want = got[0] == 'a' ? 9437184 : 13631488;
    EXPECT_EQ(want, got.size());
    EXPECT_EQ(std::string::npos, got.find_first_not_of(got[0])) << "read " << i << " mixes two versions";
  }
  done = true;
  writer.join();
  EXPECT_LT(refused, 12);
}
