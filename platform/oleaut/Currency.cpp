#include "platform/oleaut/Decimal.h"

// Currency goes through DECIMAL for everything but whole numbers, so the
// rounding and range rules are the decimal ones and are written once.

HRESULT VarCyFromI8(LONG64 i64In, CY* pcyOut) {
  if (!pcyOut) return E_INVALIDARG;
  if (i64In > INT64_MAX / 10000 || i64In < INT64_MIN / 10000) return DISP_E_OVERFLOW;
  pcyOut->int64 = i64In * 10000;
  return S_OK;
}

HRESULT VarCyFromR8(DOUBLE dblIn, CY* pcyOut) {
  DECIMAL d;
  HRESULT hr = VarDecFromR8(dblIn, &d);
  return FAILED(hr) ? hr : VarCyFromDec(&d, pcyOut);
}

HRESULT VarCyFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, CY* pcyOut) {
  DECIMAL d;
  HRESULT hr = VarDecFromStr(strIn, lcid, dwFlags, &d);
  return FAILED(hr) ? hr : VarCyFromDec(&d, pcyOut);
}

HRESULT VarR8FromCy(CY cyIn, DOUBLE* pdblOut) {
  DECIMAL d;
  VarDecFromCy(cyIn, &d);
  return VarR8FromDec(&d, pdblOut);
}

HRESULT VarI8FromCy(CY cyIn, LONG64* pi64Out) {
  DECIMAL d;
  VarDecFromCy(cyIn, &d);
  return VarI8FromDec(&d, pi64Out);
}

HRESULT VarBstrFromCy(CY cyIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut) {
  DECIMAL d;
  VarDecFromCy(cyIn, &d);
  ZelDecTrim(&d, &d);
  return VarBstrFromDec(&d, lcid, dwFlags, pbstrOut);
}
