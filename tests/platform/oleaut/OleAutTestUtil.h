// Small readers shared by the automation-value tests.
#pragma once

#include <string>

#include "platform/oleaut/OleAut.h"

// Takes ownership of a BSTR and gives its text.
inline std::wstring Take(BSTR b) {
  std::wstring s(b ? b : L"", SysStringLen(b));
  SysFreeString(b);
  return s;
}

inline DECIMAL Dec(const wchar_t* text) {
  DECIMAL d;
  DECIMAL_SETZERO(d);
  EXPECT_EQ(VarDecFromStr(text, 0, 0, &d), S_OK) << "text: " << std::string(text, text + wcslen(text));
  return d;
}

inline std::wstring DecText(const DECIMAL& d) {
  BSTR b = nullptr;
  EXPECT_EQ(VarBstrFromDec(&d, 0, 0, &b), S_OK);
  return Take(b);
}

// The code of converting a copy of v to vt.
inline HRESULT Code(const VARIANT& v, VARTYPE vt) {
  VARIANT out;
  VariantInit(&out);
  HRESULT hr = VariantChangeType(&out, &v, 0, vt);
  VariantClear(&out);
  return hr;
}
