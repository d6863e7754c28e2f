// Declared types read and written as the variants callers expect, long
// data in chunks, and bad values and statements refused clearly.
#include "AdoTest.h"

using namespace adotest;

namespace {

class Values : public AdoTest {
protected:
  void SetUp() override {
    AdoTest::SetUp();
    Exec(m_conn, L"CREATE TABLE v(id INTEGER PRIMARY KEY, i INTEGER, r REAL, s TEXT, c VARCHAR(10), b BLOB, "
                 L"d DATETIME, f BOOLEAN, m DECIMAL(10,2), x)");
  }
  _RecordsetPtr Row() { return Open(m_conn, L"SELECT * FROM v", adOpenKeyset, adLockOptimistic); }
  std::wstring Raw(const wchar_t* sql) {
    return Str(Open(m_conn, sql, adOpenForwardOnly)->GetCollect(_variant_t(0L)));
  }
};

_variant_t Bytes(const std::string& s) {
  SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, (ULONG)s.size());
  void* p;
  SafeArrayAccessData(sa, &p);
  if (!s.empty()) memcpy(p, s.data(), s.size());
  SafeArrayUnaccessData(sa);
  _variant_t v;
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = sa;
  return v;
}

std::string BytesOf(const _variant_t& v) {
  EXPECT_EQ(VT_ARRAY | VT_UI1, v.vt);
  if (v.vt != (VT_ARRAY | VT_UI1)) return "";
  LONG hi = -1;
  SafeArrayGetUBound(v.parray, 1, &hi);
  void* p;
  SafeArrayAccessData(v.parray, &p);
  std::string s((const char*)p, hi + 1);
  SafeArrayUnaccessData(v.parray);
  return s;
}

std::string Pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = (char)(i * 7 + 3);
  return s;
}

}  // namespace

TEST_F(Values, DeclaredTypesReadAsUsersExpect) {
  Exec(m_conn, L"INSERT INTO v VALUES(1, 5, 1.5, 'text', 'abc', x'0102', '2000-01-01 12:00:00', 1, '12.34', 9)");
  Exec(m_conn, L"INSERT INTO v(id, i) VALUES(2, 5000000000)");
  _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM v ORDER BY id", adOpenStatic);
  FieldsPtr f = rs->GetFields();
  struct { const wchar_t* name; VARTYPE vt; DataTypeEnum type; } want[] = {
      {L"i", VT_I4, adInteger}, {L"r", VT_R8, adDouble}, {L"s", VT_BSTR, adLongVarWChar},
      {L"c", VT_BSTR, adVarWChar}, {L"b", VT_ARRAY | VT_UI1, adLongVarBinary}, {L"d", VT_DATE, adDate},
      {L"f", VT_BOOL, adBoolean}, {L"m", VT_DECIMAL, adDecimal}, {L"x", VT_I4, adVariant}};
  for (auto& w : want) {
    SCOPED_TRACE(w.name);
    FieldPtr field = f->GetItem(_variant_t(w.name));
    EXPECT_EQ(w.vt, field->GetValue().vt);
    EXPECT_EQ(w.type, field->GetType());
  }
  EXPECT_EQ(36526.5, f->GetItem(_variant_t(L"d"))->GetValue().date);
  EXPECT_EQ(VARIANT_TRUE, f->GetItem(_variant_t(L"f"))->GetValue().boolVal);
  EXPECT_EQ(L"12.34", Str(f->GetItem(_variant_t(L"m"))->GetValue()));
  EXPECT_EQ(10, f->GetItem(_variant_t(L"c"))->GetDefinedSize());
  EXPECT_EQ(2, f->GetItem(_variant_t(L"m"))->GetNumericScale());
  EXPECT_TRUE(f->GetItem(_variant_t(L"b"))->GetAttributes() & adFldLong);
  EXPECT_FALSE(f->GetItem(_variant_t(L"i"))->GetAttributes() & adFldLong);
  EXPECT_TRUE(f->GetItem(_variant_t(L"id"))->GetAttributes() & adFldKeyColumn);
  rs->MoveNext();
  EXPECT_EQ(VT_I8, f->GetItem(_variant_t(L"i"))->GetValue().vt);
  EXPECT_EQ(5000000000LL, f->GetItem(_variant_t(L"i"))->GetValue().llVal);
  EXPECT_EQ(VT_NULL, f->GetItem(_variant_t(L"s"))->GetValue().vt);
  EXPECT_EQ(VT_NULL, f->GetItem(_variant_t(L"d"))->GetValue().vt);
}

TEST_F(Values, WrittenValuesAreStoredInTheEnginesKinds) {
  _RecordsetPtr rs = Row();
  rs->AddNew();
  rs->PutCollect(_variant_t(L"i"), _variant_t(L"42"));
  rs->PutCollect(_variant_t(L"r"), _variant_t(2.25));
  rs->PutCollect(_variant_t(L"d"), _variant_t(36526.0));  // a day number into a date column
  rs->PutCollect(_variant_t(L"f"), _variant_t(true));
  DECIMAL dec;
  _variant_t decText(L"-7.50");
  _variant_t decVar;
  VariantChangeType(&decVar, &decText, 0, VT_DECIMAL);
  dec = decVar.decVal;
  rs->PutCollect(_variant_t(L"m"), _variant_t(dec));
  rs->PutCollect(_variant_t(L"b"), Bytes(std::string("\0\1\2", 3)));
  rs->PutCollect(_variant_t(L"s"), _variant_t(L"\u00e9t\u00e9 \u4e2d"));
  rs->Update();
  EXPECT_EQ(L"integer|42", Raw(L"SELECT typeof(i) || '|' || i FROM v"));
  EXPECT_EQ(L"text|2000-01-01", Raw(L"SELECT typeof(d) || '|' || d FROM v"));
  EXPECT_EQ(L"integer|1", Raw(L"SELECT typeof(f) || '|' || f FROM v"));
  EXPECT_EQ(L"real|-7.5", Raw(L"SELECT typeof(m) || '|' || m FROM v"));
  EXPECT_EQ(L"blob|3", Raw(L"SELECT typeof(b) || '|' || length(b) FROM v"));
  EXPECT_EQ(L"\u00e9t\u00e9 \u4e2d", Raw(L"SELECT s FROM v"));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, CodeOf([&] { rs->PutCollect(_variant_t(L"i"), _variant_t(L"abc")); }));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, CodeOf([&] { rs->PutCollect(_variant_t(L"d"), _variant_t(L"not a date")); }));
  rs->PutCollect(_variant_t(L"s"), _variant_t());  // empty writes null
  rs->Update();
  EXPECT_EQ(L"null", Raw(L"SELECT typeof(s) FROM v"));
}

TEST_F(Values, ChunksComeInPiecesOfTheAskedLength) {
  Exec(m_conn, L"INSERT INTO v(id) VALUES(1)");
  _RecordsetPtr rs = Row();
  for (size_t size : {2500u, 1025u, 0u}) {
    SCOPED_TRACE(size);
    std::string data = Pattern(size);
    FieldPtr b = rs->GetFields()->GetItem(_variant_t(L"b"));
    // Appended in pieces of 1024, the last one shorter.
    for (size_t at = 0; at < size; at += 1024) b->AppendChunk(Bytes(data.substr(at, 1024)));
    if (size == 0) b->PutValue(Bytes(""));
    rs->Update();
    EXPECT_EQ((long)size, b->GetActualSize());
    std::string back;
    std::vector<size_t> pieces;
    for (;;) {
      _variant_t chunk = b->GetChunk(1024);
      if (chunk.vt == VT_EMPTY) break;
      pieces.push_back(BytesOf(chunk).size());
      back += BytesOf(chunk);
    }
    EXPECT_EQ(data, back);
    std::vector<size_t> want;
    if (size == 2500) want = {1024, 1024, 452};
    if (size == 1025) want = {1024, 1};
    EXPECT_EQ(want, pieces);
    rs->MoveFirst();
  }
  FieldPtr s = rs->GetFields()->GetItem(_variant_t(L"s"));
  s->AppendChunk(_variant_t(L"h\u00e9l"));
  s->AppendChunk(_variant_t(L"lo"));
  rs->Update();
  EXPECT_EQ(5, s->GetActualSize());
  EXPECT_EQ(L"h\u00e9", Str(s->GetChunk(2)));
  EXPECT_EQ(L"llo", Str(s->GetChunk(10)));
  EXPECT_EQ(VT_EMPTY, s->GetChunk(10).vt);
}

TEST_F(Values, AFailedSaveKeepsTheAppendedValue) {
  // The pending value is lent to the engine on save; a write the engine
  // refuses must leave it whole, to be saved once the fault is mended.
  Exec(m_conn, L"CREATE TABLE n(id INTEGER PRIMARY KEY, b BLOB, tag TEXT NOT NULL)");
  _RecordsetPtr rs = Open(m_conn, L"SELECT * FROM n", adOpenKeyset, adLockOptimistic);
  std::string data = Pattern(5000);
  rs->AddNew();
  FieldPtr b = rs->GetFields()->GetItem(_variant_t(L"b"));
  for (size_t at = 0; at < data.size(); at += 1024) b->AppendChunk(Bytes(data.substr(at, 1024)));
  EXPECT_EQ(HRESULT(0x80040E2F), CodeOf([&] { rs->Update(); }));
  EXPECT_EQ(5000, b->GetActualSize());
  rs->PutCollect(_variant_t(L"tag"), _variant_t(L"mended"));
  b->AppendChunk(Bytes("!"));
  rs->Update();
  EXPECT_EQ(data + "!", BytesOf(Open(m_conn, L"SELECT b FROM n", adOpenForwardOnly)->GetCollect(_variant_t(0L))));
}

TEST_F(Values, LargeValuesAndOddNamesRoundTrip) {
  std::string big = Pattern(5 * 1024 * 1024);
  std::wstring text(5 * 1024 * 1024, L'q');
  _RecordsetPtr rs = Row();
  rs->AddNew();
  rs->PutCollect(_variant_t(L"b"), Bytes(big));
  rs->PutCollect(_variant_t(L"s"), _variant_t(text.c_str()));
  rs->Update();
  _ConnectionPtr other = Connect(SqliteText(m_file));
  _RecordsetPtr check = Open(other, L"SELECT b, s FROM v", adOpenForwardOnly);
  EXPECT_EQ(big, BytesOf(check->GetCollect(_variant_t(0L))));
  EXPECT_EQ(text, Str(check->GetCollect(_variant_t(1L))));
}

TEST_F(Values, BadStatementTextIsRefusedNotCut) {
  std::wstring withNul(L"DELETE FROM v; SELECT 1");
  withNul[14] = 0;
  Exec(m_conn, L"INSERT INTO v(id) VALUES(1)");
  EXPECT_EQ(ZEL_ADO_E_SYNTAX,
            CodeOf([&] { m_conn->Execute(_bstr_t(SysAllocStringLen(withNul.data(), (UINT)withNul.size()), false),
                                          nullptr, adCmdText); }));
  std::wstring lone = L"SELECT 'x'";
  lone[8] = (wchar_t)0xD800;
  EXPECT_EQ(ZEL_ADO_E_SYNTAX, CodeOf([&] { Exec(m_conn, lone.c_str()); }));
  EXPECT_EQ(L"1", Raw(L"SELECT count(*) FROM v")) << "nothing of a refused text ran";
  EXPECT_EQ(S_OK, CodeOf([&] { Exec(m_conn, L"  -- only a comment\n"); }));
}
