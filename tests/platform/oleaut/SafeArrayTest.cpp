#include <gtest/gtest.h>

#include "OleAutTestUtil.h"
#include "ProbeObject.h"

TEST(SafeArray, VectorBoundsAndBadDimension) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_UI1, 0, 4);
  ASSERT_NE(psa, nullptr);
  LONG lo = -1, hi = -1;
  EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lo), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(psa, 1, &hi), S_OK);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 3);
  EXPECT_EQ(SafeArrayGetUBound(psa, 2, &hi), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetLBound(psa, 0, &lo), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetDim(psa), 1u);
  EXPECT_EQ(SafeArrayGetElemsize(psa), 1u);
  VARTYPE vt;
  EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
  EXPECT_EQ(vt, VT_UI1);

  BYTE b = 0xAB;
  LONG i = 4;
  EXPECT_EQ(SafeArrayPutElement(psa, &i, &b), DISP_E_BADINDEX);
  i = -1;
  EXPECT_EQ(SafeArrayGetElement(psa, &i, &b), DISP_E_BADINDEX);
  i = 3;
  ASSERT_EQ(SafeArrayPutElement(psa, &i, &b), S_OK);
  BYTE* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(psa, reinterpret_cast<void**>(&data)), S_OK);
  EXPECT_EQ(data[3], 0xAB);
  EXPECT_EQ(data[0], 0);  // new arrays are zeroed
  EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
  EXPECT_EQ(SafeArrayUnlock(psa), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);

  EXPECT_EQ(SafeArrayCreateVector(static_cast<VARTYPE>(VT_NULL), 0, 1), nullptr);
  SAFEARRAYBOUND huge[2] = {{0x80000000u, 0}, {0x80000000u, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
}

TEST(SafeArray, VariantAndStringElementsAreCopiedInAndOut) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  ASSERT_NE(psa, nullptr);
  _variant_t text(L"first");
  LONG i = 0;
  ASSERT_EQ(SafeArrayPutElement(psa, &i, &text), S_OK);
  text = L"changed";  // the array kept its own copy
  VARIANT got;
  ASSERT_EQ(SafeArrayGetElement(psa, &i, &got), S_OK);
  EXPECT_STREQ(got.bstrVal, L"first");
  VariantClear(&got);  // the caller owns what Get gives
  _variant_t number(7);
  ASSERT_EQ(SafeArrayPutElement(psa, &i, &number), S_OK);  // replaces and frees the string

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
  ASSERT_EQ(SafeArrayGetElement(copy, &i, &got), S_OK);
  EXPECT_EQ(got.vt, VT_I4);
  EXPECT_EQ(got.lVal, 7);
  SafeArrayDestroy(copy);

  SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 1, 1);
  BSTR s = SysAllocString(L"mine");
  i = 1;
  ASSERT_EQ(SafeArrayPutElement(strings, &i, s), S_OK);
  SysFreeString(s);
  BSTR out = nullptr;
  ASSERT_EQ(SafeArrayGetElement(strings, &i, &out), S_OK);
  EXPECT_EQ(Take(out), L"mine");
  SafeArrayDestroy(strings);
}

TEST(SafeArray, ObjectsAreCountedAndReleased) {
  int alive = 0;
  {
    _com_ptr_t<IUnknown> obj(new Probe(&alive));
    SAFEARRAY* psa = SafeArrayCreateVector(VT_UNKNOWN, 0, 3);
    LONG i = 2;
    ASSERT_EQ(SafeArrayPutElement(psa, &i, obj.GetInterfacePtr()), S_OK);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    SafeArrayDestroy(psa);
    obj = nullptr;
    EXPECT_EQ(alive, 1);  // the copy still holds it
    SafeArrayDestroy(copy);
  }
  EXPECT_EQ(alive, 0);
}

TEST(SafeArray, RedimKeepsHeadAndFreesTail) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 3);
  for (LONG i = 0; i < 3; ++i) {
    _bstr_t s(std::to_wstring(i).c_str());
    SafeArrayPutElement(psa, &i, s.GetBSTR());
  }
  SAFEARRAYBOUND smaller = {2, 0};
  ASSERT_EQ(SafeArrayRedim(psa, &smaller), S_OK);
  LONG hi, i = 1;
  SafeArrayGetUBound(psa, 1, &hi);
  EXPECT_EQ(hi, 1);
  BSTR got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(psa, &i, &got), S_OK);
  EXPECT_EQ(Take(got), L"1");
  SAFEARRAYBOUND larger = {5, 0};
  ASSERT_EQ(SafeArrayRedim(psa, &larger), S_OK);
  i = 4;
  ASSERT_EQ(SafeArrayGetElement(psa, &i, &got), S_OK);
  EXPECT_EQ(got, nullptr);  // grown slots are empty strings
  SafeArrayDestroy(psa);
}

TEST(SafeArray, TwoDimensionsIndexLeftmostFastest) {
  SAFEARRAYBOUND b[2] = {{2, 1}, {3, 10}};  // [1..2][10..12]
  SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, b);
  ASSERT_NE(psa, nullptr);
  LONG lo, hi;
  SafeArrayGetLBound(psa, 2, &lo);
  SafeArrayGetUBound(psa, 1, &hi);
  EXPECT_EQ(lo, 10);
  EXPECT_EQ(hi, 2);
  LONG idx[2] = {2, 11}, v = 99;
  ASSERT_EQ(SafeArrayPutElement(psa, idx, &v), S_OK);
  LONG* data;
  SafeArrayAccessData(psa, reinterpret_cast<void**>(&data));
  EXPECT_EQ(data[1 + 1 * 2], 99);
  SafeArrayUnaccessData(psa);
  LONG outside[2] = {3, 11};
  EXPECT_EQ(SafeArrayGetElement(psa, outside, &v), DISP_E_BADINDEX);
  SafeArrayDestroy(psa);
}
