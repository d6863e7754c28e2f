#include <gtest/gtest.h>

#include <climits>

#include "OleAutTestUtil.h"
#include "ProbeObject.h"

namespace {

template <class T>
HRESULT ExtractCode(const _variant_t& v) {
  try {
    T value = static_cast<T>(v);
    (void)value;
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

}  // namespace

TEST(VariantT, ConstructorsPickTheKind) {
  EXPECT_EQ(_variant_t(static_cast<short>(1)).vt, VT_I2);
  EXPECT_EQ(_variant_t(static_cast<LONG>(1)).vt, VT_I4);
  EXPECT_EQ(_variant_t(1).vt, VT_I4);
  EXPECT_EQ(_variant_t(1L).vt, VT_I4);
  _variant_t wide(5000000000L);  // a 64-bit long that does not fit stays whole
  EXPECT_EQ(wide.vt, VT_I8);
  EXPECT_EQ(wide.llVal, 5000000000L);
  EXPECT_EQ(_variant_t(1LL).vt, VT_I8);
  EXPECT_EQ(_variant_t(1UL).vt, VT_UI4);
  EXPECT_EQ(_variant_t(ULONG_MAX).vt, VT_UI8);
  EXPECT_EQ(_variant_t(1u).vt, VT_UI4);
  EXPECT_EQ(_variant_t(static_cast<BYTE>(1)).vt, VT_UI1);
  EXPECT_EQ(_variant_t('a').vt, VT_I1);
  EXPECT_EQ(_variant_t(1.0f).vt, VT_R4);
  EXPECT_EQ(_variant_t(1.0, VT_DATE).vt, VT_DATE);
  EXPECT_EQ(_variant_t(true).boolVal, VARIANT_TRUE);
  EXPECT_EQ(_variant_t(static_cast<short>(3), VT_BOOL).boolVal, VARIANT_TRUE);
  EXPECT_STREQ(_variant_t("\xC3\xA9").bstrVal, L"\u00e9");
  DECIMAL d = Dec(L"-1.25");
  _variant_t dv(d);
  EXPECT_EQ(dv.vt, VT_DECIMAL);
  EXPECT_EQ(dv.decVal.scale, 2);
  EXPECT_EQ(dv.decVal.sign, DECIMAL_NEG);
  EXPECT_THROW(_variant_t(1.0, VT_BSTR), _com_error);
}

TEST(VariantT, ExtractorsConvertOrThrowWithTheCode) {
  _variant_t text(L"300");
  EXPECT_EQ(static_cast<short>(text), 300);
  EXPECT_EQ(static_cast<double>(text), 300.0);
  EXPECT_EQ(ExtractCode<BYTE>(text), DISP_E_OVERFLOW);
  EXPECT_EQ(ExtractCode<LONG>(_variant_t(L"abc")), DISP_E_TYPEMISMATCH);
  _variant_t null;
  null.vt = VT_NULL;
  EXPECT_EQ(ExtractCode<double>(null), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(ExtractCode<LONG>(_variant_t(5000000000LL)), DISP_E_OVERFLOW);
  EXPECT_EQ(static_cast<long>(_variant_t(5000000000LL)), 5000000000L);
  EXPECT_EQ(static_cast<ULONGLONG>(_variant_t(L"18446744073709551615")), ULLONG_MAX);
  EXPECT_TRUE(static_cast<bool>(_variant_t(L"TRUE")));
  EXPECT_EQ(static_cast<_bstr_t>(_variant_t(2.5)), _bstr_t(L"2.5"));
  EXPECT_EQ(_bstr_t(_variant_t(36526.0, VT_DATE)), _bstr_t(L"2000-01-01"));
  CY cy = _variant_t(L"1.5");
  EXPECT_EQ(cy.int64, 15000);
  DECIMAL d = _variant_t(L"-0.50");
  EXPECT_EQ(DecText(d), L"-0.50");
  EXPECT_EQ(d.wReserved, 0);
}

TEST(VariantT, MissingEqualityAndOwnership) {
  EXPECT_EQ(vtMissing.vt, VT_ERROR);
  EXPECT_EQ(vtMissing.scode, DISP_E_PARAMNOTFOUND);
  EXPECT_TRUE(_variant_t(DISP_E_PARAMNOTFOUND, VT_ERROR) == vtMissing);

  EXPECT_TRUE(_variant_t(L"a") == _variant_t(L"a"));
  EXPECT_TRUE(_variant_t(L"a") != _variant_t(L"b"));
  EXPECT_TRUE(_variant_t(1) != _variant_t(static_cast<short>(1)));  // same value, other kind
  EXPECT_TRUE(_variant_t(Dec(L"1.50")) == _variant_t(Dec(L"1.5")));

  _variant_t v(L"moved");
  VARIANT raw = v.Detach();
  EXPECT_EQ(v.vt, VT_EMPTY);
  _variant_t back;
  back.Attach(raw);
  EXPECT_EQ(raw.vt, VT_EMPTY);
  EXPECT_STREQ(back.bstrVal, L"moved");
  _variant_t twelve(L"12"), junk(L"x");
  back.ChangeType(VT_I4, &twelve);
  EXPECT_EQ(back.lVal, 12);
  EXPECT_THROW(back.ChangeType(VT_I4, &junk), _com_error);
  EXPECT_EQ(back.lVal, 12);
}

TEST(VariantT, ObjectReferencesAndArrayCopies) {
  int alive = 0;
  {
    Probe* p = new Probe(&alive);
    _variant_t a(static_cast<IDispatch*>(p));
    _variant_t b = a;
    IUnknown* unk = b;  // a new reference
    EXPECT_EQ(unk, static_cast<IUnknown*>(p));
    unk->Release();
    _variant_t asUnknown;
    ASSERT_EQ(VariantChangeType(&asUnknown, &a, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(Code(a, VT_BSTR), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(alive, 0);

  VARIANT arr;
  VariantInit(&arr);
  arr.vt = VT_ARRAY | VT_UI1;
  arr.parray = SafeArrayCreateVector(VT_UI1, 0, 3);
  _variant_t owner(arr, false);
  _variant_t copy = owner;
  EXPECT_NE(copy.parray, owner.parray);  // deep copy
  EXPECT_EQ(Code(owner, VT_BSTR), DISP_E_TYPEMISMATCH);
  _variant_t sameKind;
  ASSERT_EQ(VariantChangeType(&sameKind, &owner, 0, VT_ARRAY | VT_UI1), S_OK);
}

TEST(ComError, DescriptionAndSystemText) {
  try {
    ZelThrowComError(E_FAIL, L"engine said no");
    FAIL();
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
    EXPECT_TRUE(e.Description() == L"engine said no");
    ASSERT_NE(e.ErrorMessage(), nullptr);
    EXPECT_GT(wcslen(e.ErrorMessage()), 0u);
    EXPECT_EQ(e.ErrorMessage(), e.ErrorMessage());  // made once and kept
  }
  _com_error plain(static_cast<HRESULT>(0x80040E14));
  EXPECT_TRUE(!plain.Description());
  EXPECT_STREQ(plain.ErrorMessage(), L"");  // no system text for provider codes
  EXPECT_EQ(_com_error(static_cast<HRESULT>(0x80040205)).WCode(), 5);
  _com_error copy = plain;
  EXPECT_EQ(copy.Error(), plain.Error());
}
