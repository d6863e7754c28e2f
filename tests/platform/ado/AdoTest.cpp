#include "AdoTest.h"

namespace adotest {

HRESULT CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const _com_error& e) {
    const wchar_t* d = e.Description();
    EXPECT_TRUE(d && *d) << "an error without a description, code " << std::hex << e.Error();
    return e.Error();
  }
  return S_OK;
}

std::wstring DescriptionOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const _com_error& e) {
    const wchar_t* d = e.Description();
    return d ? d : L"";
  }
  return L"";
}

std::wstring SqliteText(const std::string& path) {
  return L"Provider=SQLite;Data Source=" + std::wstring(path.begin(), path.end());
}

_ConnectionPtr Connect(const std::wstring& text) {
  _ConnectionPtr c;
  EXPECT_EQ(S_OK, c.CreateInstance(CLSID_Connection));
  c->Open(_bstr_t(text.c_str()), _bstr_t(L""), _bstr_t(L""), adConnectUnspecified);
  return c;
}

void Exec(const _ConnectionPtr& c, const wchar_t* sql) { c->Execute(_bstr_t(sql), nullptr, adCmdText | adExecuteNoRecords); }

_RecordsetPtr Open(const _ConnectionPtr& c, const wchar_t* sql, CursorTypeEnum cursor, LockTypeEnum lock) {
  _RecordsetPtr rs;
  EXPECT_EQ(S_OK, rs.CreateInstance(CLSID_Recordset));
  rs->Open(_variant_t(sql), _variant_t((IDispatch*)c.GetInterfacePtr()), cursor, lock, adCmdText);
  return rs;
}

long Long(const _variant_t& v) {
  _variant_t n;
  EXPECT_EQ(S_OK, VariantChangeType(&n, &v, 0, VT_I4));
  return n.lVal;
}

std::wstring Str(const _variant_t& v) {
  _variant_t s;
  EXPECT_EQ(S_OK, VariantChangeType(&s, &v, 0, VT_BSTR));
  return std::wstring(s.bstrVal, SysStringLen(s.bstrVal));
}

void AdoTest::SetUp() {
  CoInitialize(nullptr);
  m_file = m_dir.file("test.db");
  m_conn = Connect(SqliteText(m_file));
}

void AdoTest::TearDown() {
  m_conn = nullptr;
  CoUninitialize();
}

std::vector<std::wstring> Walk(const _RecordsetPtr& rs) {
  std::vector<std::wstring> out;
  long n = rs->GetFields()->GetCount();
  for (; !rs->GetadoEOF(); rs->MoveNext())
    for (long i = 0; i < n; ++i) out.push_back(Str(rs->GetCollect(_variant_t(i))));
  return out;
}

void ExpectKeysetLikeStatic(const _ConnectionPtr& c, const wchar_t* sql) {
  SCOPED_TRACE(std::wstring(sql));
  _RecordsetPtr keyset = Open(c, sql, adOpenKeyset);
  EXPECT_EQ(adOpenKeyset, keyset->GetCursorType());
  std::vector<std::wstring> got = Walk(keyset);
  std::vector<std::wstring> want = Walk(Open(c, sql, adOpenStatic));
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(want, got);
}

void WalkChangedKeyset(const _RecordsetPtr& rs, long changed, long& rows, long& holes) {
  rows = holes = 0;
  for (; !rs->GetadoEOF(); rs->MoveNext(), ++rows) {
    if (CodeOf([&] { rs->GetCollect(_variant_t(0L)); }) == adErrNoCurrentRecord) {
      ++holes;
      continue;
    }
    long id = Long(rs->GetCollect(_variant_t(0L)));
    EXPECT_EQ(0, id % 2) << "a row added after the keys were read";
    if (id == changed) {
      EXPECT_EQ(L"changed", Str(rs->GetCollect(_variant_t(1L))));
    }
  }
}

}  // namespace adotest
