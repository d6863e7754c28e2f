// Typed field values, rows, field lists and the static conversions.
#include "AdoTest.h"

class AdoFieldTest : public AdoTest {
protected:
  void SetUp() override {
    AdoTest::SetUp();
    // The server writes rows by their primary key, a text one here.
    Prepare(m_ado, {Pg() ? L"CREATE TABLE v (t TEXT PRIMARY KEY, d DATE, r DOUBLE PRECISION, i INTEGER, x NUMERIC(10,2))"
                         : L"CREATE TABLE v (t TEXT, d DATE, r REAL, i INTEGER, x NUMERIC(10,2))",
                    L"INSERT INTO v VALUES ('42', '2000-01-01', 4.9, 7, 12.34)",
                    L"INSERT INTO v VALUES ('4.9', NULL, NULL, NULL, NULL)",
                    L"INSERT INTO v VALUES ('x', NULL, NULL, NULL, NULL)",
                    L"INSERT INTO v VALUES ('', NULL, NULL, NULL, NULL)"});
    ASSERT_EQ(1, m_ado.OpenRecordset(L"SELECT * FROM v", adOpenStatic, adLockOptimistic));
  }
  ZELAdo m_ado;
};

TEST_P(AdoFieldTest, TextReadAsLongAndDouble) {
  // '42', '4.9', 'x', '': _wtoi and _wtof rules on the text of the value.
  const long longs[] = {42, 4, 0, 0};
  const double doubles[] = {42.0, 4.9, 0.0, 0.0};
  for (int row = 0; row < 4; row++, m_ado.MoveNext()) {
    long n = -1;
    double d = -1;
    EXPECT_EQ(1, m_ado.GetFieldValueByIndex(0, n));
    EXPECT_EQ(longs[row], n);
    EXPECT_EQ(1, m_ado.GetFieldValueByName(L"t", d));
    EXPECT_DOUBLE_EQ(doubles[row], d);
  }
  EXPECT_EQ(0, m_ado.GetLogCount()) << LastLog(m_ado);
}

TEST_P(AdoFieldTest, NullAndEmptyValues) {
  m_ado.MoveNext();  // second row: NULLs
  CString text = L"stale";
  EXPECT_EQ(0, m_ado.GetFieldValueByName(L"r", text)) << "a null has no text";
  EXPECT_TRUE(text.IsEmpty());
  long n = 99;
  EXPECT_EQ(0, m_ado.GetFieldValueByName(L"i", n));
  EXPECT_EQ(99, n) << "a failed conversion leaves the number";
  m_ado.MoveNext();
  m_ado.MoveNext();  // fourth row: an empty text
  text = L"stale";
  EXPECT_EQ(1, m_ado.GetFieldValueByIndex(0, text));
  EXPECT_TRUE(text.IsEmpty());
  // An empty variant converts to the empty text.
  EXPECT_EQ(1, ZELAdo::VariantToString(_variant_t(), text));
  EXPECT_TRUE(text.IsEmpty());
}

TEST_P(AdoFieldTest, DatesAndDecimals) {
  COleDateTime dt;
  ASSERT_EQ(1, m_ado.GetFieldValueByName(L"d", dt)) << LastLog(m_ado);
  EXPECT_EQ(COleDateTime::valid, dt.GetStatus());
  EXPECT_DOUBLE_EQ(36526.0, dt.m_dt);
  COleDateTime notDate;
  notDate.m_dt = 123.0;
  EXPECT_EQ(0, m_ado.GetFieldValueByName(L"t", notDate));
  EXPECT_EQ(COleDateTime::invalid, notDate.GetStatus());
  EXPECT_DOUBLE_EQ(123.0, notDate.m_dt) << "the day number stays";

  DECIMAL dec;
  ASSERT_EQ(1, m_ado.GetFieldValueByName(L"x", dec)) << LastLog(m_ado);
  _variant_t vDec(dec);
  CString text;
  ASSERT_EQ(1, ZELAdo::VariantToString(vDec, text));
  EXPECT_EQ(CString(L"12.34"), text);

  // A date written through the typed writer is its day number.
  COleDateTime y2k;
  y2k.m_dt = 36526.0;
  y2k.m_status = COleDateTime::valid;
  ASSERT_EQ(1, m_ado.SetFieldValueByName(L"r", y2k)) << LastLog(m_ado);
  ASSERT_EQ(1, m_ado.Update());
  double d = 0;
  ASSERT_EQ(1, m_ado.GetFieldValueByName(L"r", d));
  EXPECT_DOUBLE_EQ(36526.0, d);
  ASSERT_EQ(1, m_ado.SetFieldValueByName(L"d", y2k));
  ASSERT_EQ(1, m_ado.Update());
  dt.m_status = COleDateTime::invalid;
  ASSERT_EQ(1, m_ado.GetFieldValueByName(L"d", dt));
  EXPECT_DOUBLE_EQ(36526.0, dt.m_dt);
}

TEST_P(AdoFieldTest, UnknownFieldIsReportedAndKeepsTheConnection) {
  _variant_t v(L"untouched");
  EXPECT_EQ(0, m_ado.GetFieldValue(_variant_t(L"nope"), v));
  EXPECT_EQ(VT_EMPTY, v.vt) << "the value is cleared first";
  ExpectOneReport(m_ado, L"ZELAdo::GetFieldValue", 1117, static_cast<HRESULT>(0x800A0CC1));
  v = _variant_t(L"untouched");
  EXPECT_EQ(0, m_ado.GetFieldValueByName(L"nope", v));
  EXPECT_EQ(_variant_t(L"untouched"), v) << "a typed reader leaves its output";
  ExpectOneReport(m_ado, L"ZELAdo::GetFieldValue", 1117, static_cast<HRESULT>(0x800A0CC1));
  long n = 5;
  EXPECT_EQ(0, m_ado.GetFieldValueByIndex(99, n));
  EXPECT_EQ(5, n);
  ExpectOneReport(m_ado, L"ZELAdo::GetFieldValue", 1117, static_cast<HRESULT>(0x800A0CC1));
  EXPECT_EQ(0, m_ado.SetFieldValueByName(L"nope", 1L));
  ExpectOneReport(m_ado, L"ZELAdo::SetFieldValue", 1567, static_cast<HRESULT>(0x800A0CC1));
  EXPECT_EQ(1, m_ado.IsConnected());
}

TEST_P(AdoFieldTest, OneVariantTakesEveryKindInTurn) {
  // The same variant read again and again, across kinds and rows, holds
  // only the last value; a failed read by position leaves it whole.
  _variant_t v(L"before");
  for (long i : {0L, 3L, 0L, 4L, 2L, 0L}) ASSERT_EQ(1, m_ado.GetFieldValueByIndex(i, v)) << LastLog(m_ado);
  EXPECT_EQ(VT_BSTR, v.vt);
  EXPECT_EQ(std::wstring(L"42"), std::wstring(v.bstrVal, SysStringLen(v.bstrVal)));
  for (long bad : {99L, -1L}) {
    EXPECT_EQ(0, m_ado.GetFieldValueByIndex(bad, v));
    ExpectOneReport(m_ado, L"ZELAdo::GetFieldValue", 1117, static_cast<HRESULT>(0x800A0CC1));
    EXPECT_EQ(_variant_t(L"42"), v);
  }
  m_ado.MoveNext();
  ASSERT_EQ(1, m_ado.GetFieldValueByIndex(2, v));
  EXPECT_EQ(VT_NULL, v.vt);
  ASSERT_EQ(1, m_ado.GetFieldValueByIndex(0, v));
  EXPECT_EQ(_variant_t(L"4.9"), v);
  while (!m_ado.IsEOF()) m_ado.MoveNext();
  EXPECT_EQ(0, m_ado.GetFieldValueByIndex(0, v)) << "no current record";
  EXPECT_EQ(_variant_t(L"4.9"), v);
  EXPECT_EQ(1, m_ado.GetLogCount());
}

TEST_P(AdoFieldTest, RowsAndFieldLists) {
  _variant_t row;
  ASSERT_EQ(1, m_ado.GetRowValue(row));
  ASSERT_EQ(VT_ARRAY | VT_VARIANT, row.vt);
  LONG upper = -1;
  SafeArrayGetUBound(row.parray, 1, &upper);
  EXPECT_EQ(4, upper);
  LONG index = 4;
  _variant_t last;
  SafeArrayGetElement(row.parray, &index, &last);
  CString text;
  ZELAdo::VariantToString(last, text);
  EXPECT_EQ(CString(L"12.34"), text);

  CStringArray names;
  ASSERT_EQ(5, m_ado.GetFieldList(names));
  ASSERT_EQ(5, names.GetSize());
  EXPECT_EQ(CString(L"t"), names[0]);
  EXPECT_EQ(CString(L"x"), names[4]);
  EXPECT_EQ(5, m_ado.GetFieldCount());

  while (!m_ado.IsEOF()) m_ado.MoveNext();
  row = _variant_t(L"stale");
  EXPECT_EQ(0, m_ado.GetRowValue(row));
  EXPECT_EQ(VT_EMPTY, row.vt);
  EXPECT_EQ(0, m_ado.GetLogCount()) << LastLog(m_ado);
}

TEST(AdoConversions, StaticConversions) {
  long n = 0;
  EXPECT_EQ(1, ZELAdo::VariantToLong(_variant_t(3.7), n));
  EXPECT_EQ(3, n);
  EXPECT_EQ(1, ZELAdo::VariantToLong(_variant_t(L"  -12abc"), n));
  EXPECT_EQ(-12, n);
  EXPECT_EQ(1, ZELAdo::VariantToLong(_variant_t(L"99999999999"), n));
  EXPECT_EQ(2147483647, n) << "clamped as _wtoi clamps";
  _variant_t null;
  null.vt = VT_NULL;
  n = 8;
  EXPECT_EQ(0, ZELAdo::VariantToLong(null, n));
  EXPECT_EQ(8, n);

  double d = 0;
  EXPECT_EQ(1, ZELAdo::VariantToDouble(_variant_t(L" 2.5e3xyz"), d));
  EXPECT_DOUBLE_EQ(2500.0, d);

  BOOL b = 7;
  EXPECT_EQ(1, ZELAdo::VariantToBool(_variant_t(true), b));
  EXPECT_EQ(1, b);
  EXPECT_EQ(1, ZELAdo::VariantToBool(_variant_t(L"0"), b));
  EXPECT_EQ(0, b);

  DECIMAL dec;
  memset(&dec, 0xFF, sizeof dec);
  EXPECT_EQ(0, ZELAdo::VariantToDecimal(_variant_t(L"not a number"), dec));
  DECIMAL zero;
  memset(&zero, 0, sizeof zero);
  EXPECT_EQ(0, memcmp(&dec, &zero, sizeof dec));

  // Already of the kind: nothing happens, and the answer is 0.
  _variant_t v(L"text");
  EXPECT_EQ(S_OK, ZELAdo::VariantChangeType(v, VT_BSTR));
  EXPECT_EQ(VT_BSTR, v.vt);
  _variant_t src(L"17");
  EXPECT_EQ(S_OK, ZELAdo::VariantChangeType(v, VT_I4, &src));
  EXPECT_EQ(VT_I4, v.vt);
  EXPECT_EQ(17, v.lVal);
  EXPECT_NE(S_OK, ZELAdo::VariantChangeType(v, VT_I4, &null));
}
ZEL_BOTH_ENGINES(AdoFieldTest);
