#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "OleAutTestUtil.h"

namespace {

// Converts a copy of v; the result variant is cleared by the caller.
HRESULT To(const _variant_t& v, VARTYPE vt, _variant_t& out) {
  return VariantChangeType(&out, &v, 0, vt);
}

std::wstring Text(const _variant_t& v) {
  _variant_t out;
  EXPECT_EQ(To(v, VT_BSTR, out), S_OK);
  return out.vt == VT_BSTR ? std::wstring(out.bstrVal ? out.bstrVal : L"", SysStringLen(out.bstrVal)) : L"?";
}

_variant_t Bstr(const wchar_t* s) { return _variant_t(s); }

}  // namespace

TEST(ChangeType, IntegerBoundariesOverflowExactlyPastTheRange) {
  struct { _variant_t in; VARTYPE vt; HRESULT hr; } cases[] = {
      {_variant_t(-32768), VT_I2, S_OK},         {_variant_t(-32769), VT_I2, DISP_E_OVERFLOW},
      {_variant_t(255), VT_UI1, S_OK},           {_variant_t(256), VT_UI1, DISP_E_OVERFLOW},
      {_variant_t(-1), VT_UI4, DISP_E_OVERFLOW}, {_variant_t(-128), VT_I1, S_OK},
      {_variant_t(2147483648LL), VT_I4, DISP_E_OVERFLOW}, {_variant_t(2147483648LL), VT_UINT, S_OK},
      {_variant_t(ULLONG_MAX), VT_I8, DISP_E_OVERFLOW},   {_variant_t(ULLONG_MAX), VT_UI8, S_OK},
      {_variant_t(LLONG_MIN), VT_UI8, DISP_E_OVERFLOW},    {_variant_t(LLONG_MIN), VT_DECIMAL, S_OK},
      {_variant_t(65535.5), VT_UI2, DISP_E_OVERFLOW},      {_variant_t(65534.5), VT_UI2, S_OK},
      {_variant_t(9.3e18), VT_I8, DISP_E_OVERFLOW},        {_variant_t(std::nan("")), VT_I4, DISP_E_OVERFLOW},
      {_variant_t(INFINITY), VT_UI8, DISP_E_OVERFLOW},     {_variant_t(1e300), VT_R4, DISP_E_OVERFLOW},
      {_variant_t(1e300), VT_CY, DISP_E_OVERFLOW},         {_variant_t(1e300), VT_DATE, DISP_E_OVERFLOW},
      {Bstr(L"4294967296"), VT_UI4, DISP_E_OVERFLOW},      {Bstr(L"-9223372036854775808"), VT_I8, S_OK},
  };
  for (auto& c : cases) EXPECT_EQ(Code(c.in, c.vt), c.hr) << "to kind " << c.vt << " from " << c.in.vt;

  _variant_t out;
  ASSERT_EQ(To(_variant_t(2147483648LL), VT_UINT, out), S_OK);
  EXPECT_EQ(out.uintVal, 2147483648u);
  ASSERT_EQ(To(Bstr(L"-9223372036854775808"), VT_I8, out), S_OK);
  EXPECT_EQ(out.llVal, LLONG_MIN);
}

TEST(ChangeType, RealsToIntegersRoundHalfToEven) {
  struct { double in; LONG out; } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {1e9, 1000000000}};
  for (auto& c : cases) {
    _variant_t out;
    ASSERT_EQ(To(_variant_t(c.in), VT_I4, out), S_OK);
    EXPECT_EQ(out.lVal, c.out) << c.in;
  }
  _variant_t out;
  ASSERT_EQ(To(Bstr(L"2.5"), VT_I2, out), S_OK);
  EXPECT_EQ(out.iVal, 2);
  ASSERT_EQ(To(Bstr(L" 1e3 "), VT_UI2, out), S_OK);
  EXPECT_EQ(out.uiVal, 1000);
}

TEST(ChangeType, EveryKindToTextAndBack) {
  DECIMAL dec = Dec(L"-12.3400");
  CY cy;
  cy.int64 = 123450;
  struct { _variant_t v; const wchar_t* text; } cases[] = {
      {_variant_t(static_cast<char>(-5)), L"-5"}, {_variant_t(static_cast<short>(-300)), L"-300"},
      {_variant_t(70000), L"70000"},              {_variant_t(LLONG_MIN), L"-9223372036854775808"},
      {_variant_t(static_cast<BYTE>(200)), L"200"}, {_variant_t(static_cast<unsigned short>(65535)), L"65535"},
      {_variant_t(4000000000u), L"4000000000"},   {_variant_t(ULLONG_MAX), L"18446744073709551615"},
      {_variant_t(7, VT_INT), L"7"},              {_variant_t(0.1f), L"0.1"},
      {_variant_t(0.1), L"0.1"},                  {_variant_t(0.125), L"0.125"},
      {_variant_t(123456789012345.0), L"123456789012345"}, {_variant_t(-2.5e-7), L"-2.5E-07"},
      {_variant_t(0.00001), L"0.00001"},          {_variant_t(cy), L"12.345"},
      {_variant_t(36526.5, VT_DATE), L"2000-01-01 12:00:00"}, {_variant_t(true), L"-1"},
      {_variant_t(false), L"0"},                  {_variant_t(dec), L"-12.3400"},
      {Bstr(L"text"), L"text"},                   {_variant_t(), L""},
  };
  for (auto& c : cases) {
    EXPECT_EQ(Text(c.v), c.text) << "kind " << c.v.vt;
    // and back from the text to the same kind and value
    if (c.v.vt == VT_EMPTY || c.v.vt == VT_BSTR) continue;
    _variant_t back;
    ASSERT_EQ(To(Bstr(c.text), c.v.vt, back), S_OK) << "kind " << c.v.vt;
    EXPECT_TRUE(back == c.v) << "kind " << c.v.vt;
  }
  EXPECT_EQ(Text(_variant_t(1.0 / 3)), L"0.333333333333333");
  EXPECT_EQ(Text(_variant_t(0.1 + 0.2)), L"0.3");
  EXPECT_EQ(Text(_variant_t(1e20)), L"1E+20");
  EXPECT_EQ(Text(_variant_t(1e15)), L"1E+15");
  EXPECT_EQ(Text(_variant_t(-0.0)), L"0");
  EXPECT_EQ(Code(_variant_t(std::nan("")), VT_BSTR), DISP_E_OVERFLOW);
}

TEST(ChangeType, TextThatIsNoNumberIsAMismatch) {
  for (VARTYPE vt : {VT_I1, VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8, VT_INT, VT_UINT, VT_R4, VT_R8, VT_CY,
                     VT_DECIMAL, VT_DATE, VT_BOOL}) {
    for (const wchar_t* bad : {L"", L"abc", L"12abc", L"1,5", L"nan", L"inf", L"--1"})
      EXPECT_EQ(Code(Bstr(bad), vt), DISP_E_TYPEMISMATCH) << "kind " << vt << " text " << bad[0];
  }
  EXPECT_EQ(Code(Bstr(L"1e400"), VT_R8), DISP_E_OVERFLOW);
  _variant_t tiny;
  ASSERT_EQ(To(Bstr(L"1e-400"), VT_R8, tiny), S_OK);
  EXPECT_EQ(tiny.dblVal, 0.0);
}

TEST(ChangeType, TruthValues) {
  struct { const wchar_t* text; VARIANT_BOOL b; } cases[] = {
      {L"true", VARIANT_TRUE}, {L"FALSE", VARIANT_FALSE}, {L" True ", VARIANT_TRUE}, {L"-1", VARIANT_TRUE},
      {L"0", VARIANT_FALSE},   {L"0.0", VARIANT_FALSE},   {L"2.5", VARIANT_TRUE}};
  for (auto& c : cases) {
    _variant_t out;
    ASSERT_EQ(To(Bstr(c.text), VT_BOOL, out), S_OK) << c.text[0];
    EXPECT_EQ(out.boolVal, c.b);
  }
  EXPECT_EQ(Code(Bstr(L"yes"), VT_BOOL), DISP_E_TYPEMISMATCH);
  _variant_t out;
  ASSERT_EQ(To(_variant_t(0.001), VT_BOOL, out), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE);
  ASSERT_EQ(To(_variant_t(true), VT_UI1, out), S_OK);
  EXPECT_EQ(out.bVal, 255);
  ASSERT_EQ(To(_variant_t(true), VT_DECIMAL, out), S_OK);
  EXPECT_EQ(DecText(out.decVal), L"-1");
  VARIANT t = _variant_t(true).Detach();
  VARIANT alpha;
  VariantInit(&alpha);
  ASSERT_EQ(VariantChangeType(&alpha, &t, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_EQ(Take(alpha.bstrVal), L"True");
}

TEST(ChangeType, EmptyNullAndError) {
  _variant_t empty, null, out;
  null.vt = VT_NULL;
  ASSERT_EQ(To(empty, VT_I4, out), S_OK);
  EXPECT_EQ(out.lVal, 0);
  ASSERT_EQ(To(empty, VT_BOOL, out), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_FALSE);
  ASSERT_EQ(To(empty, VT_DATE, out), S_OK);
  EXPECT_EQ(out.date, 0.0);
  for (VARTYPE vt : {VT_I2, VT_I4, VT_R8, VT_BSTR, VT_BOOL, VT_DATE, VT_CY, VT_DECIMAL, VT_UI8, VT_ERROR})
    EXPECT_EQ(Code(null, vt), DISP_E_TYPEMISMATCH) << vt;
  EXPECT_EQ(Code(null, VT_NULL), S_OK);
  EXPECT_EQ(Code(null, VT_EMPTY), S_OK);
  EXPECT_EQ(Code(_variant_t(5), VT_NULL), DISP_E_TYPEMISMATCH);

  // the absent value is a code: integers only
  EXPECT_EQ(Code(vtMissing, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Code(vtMissing, VT_R8), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(To(vtMissing, VT_I8, out), S_OK);
  EXPECT_EQ(out.llVal, static_cast<LONG>(DISP_E_PARAMNOTFOUND));
  ASSERT_EQ(To(_variant_t(5), VT_ERROR, out), S_OK);
  EXPECT_EQ(out.scode, 5);
  EXPECT_EQ(Code(_variant_t(true), VT_ERROR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Code(_variant_t(1), static_cast<VARTYPE>(99)), DISP_E_BADVARTYPE);
}

TEST(ChangeType, DatesFromNumbersAndText) {
  _variant_t out;
  ASSERT_EQ(To(Bstr(L"2000-01-01"), VT_DATE, out), S_OK);
  EXPECT_EQ(out.date, 36526.0);
  ASSERT_EQ(To(Bstr(L"36526.5"), VT_DATE, out), S_OK);  // a day number reads too
  EXPECT_EQ(out.date, 36526.5);
  ASSERT_EQ(To(_variant_t(36526.5, VT_DATE), VT_I4, out), S_OK);
  EXPECT_EQ(out.lVal, 36526);  // half to even
  ASSERT_EQ(To(_variant_t(36526.75, VT_DATE), VT_DECIMAL, out), S_OK);
  EXPECT_EQ(DecText(out.decVal), L"36526.75");
  EXPECT_EQ(Code(_variant_t(3000000), VT_DATE), DISP_E_OVERFLOW);
}

TEST(ChangeType, InPlaceByReferenceAndFailureLeavesDestination) {
  _variant_t v(L"42");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 42);

  _variant_t keep(L"keep"), bad(L"x");
  EXPECT_EQ(VariantChangeType(&keep, &bad, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(keep.vt, VT_BSTR);
  EXPECT_STREQ(keep.bstrVal, L"keep");

  double target = 2.5;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_R8 | VT_BYREF;
  ref.pdblVal = &target;
  _variant_t out;
  ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
  EXPECT_STREQ(out.bstrVal, L"2.5");
}

TEST(ChangeType, EveryNumericPairBothWays) {
  const VARTYPE kinds[] = {VT_I1, VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8, VT_INT,
                           VT_UINT, VT_R4, VT_R8, VT_CY, VT_DATE, VT_DECIMAL, VT_BSTR};
  for (VARTYPE from : kinds) {
    _variant_t start;
    ASSERT_EQ(To(_variant_t(100), from, start), S_OK) << from;
    for (VARTYPE to : kinds) {
      _variant_t there, back;
      ASSERT_EQ(To(start, to, there), S_OK) << from << " -> " << to;
      ASSERT_EQ(To(there, from, back), S_OK) << to << " -> " << from;
      if (from == VT_BSTR && to == VT_DATE) continue;  // "100" comes back as the date's own text
      EXPECT_TRUE(back == start) << from << " <-> " << to;
    }
  }
}
