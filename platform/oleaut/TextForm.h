// Text forms of numbers and truth values, fixed whatever the locale.
// Doubles print with up to 15 significant digits and no trailing zeros; a
// decimal exponent is used ("1E+20", "1.5E-07") for magnitudes of 1E+15 and
// above or below 1E-05. NaN and infinities have no text (DISP_E_OVERFLOW). Parsing takes optional surrounding blanks, a sign, digits with an
// optional point and an optional exponent; anything else is
// DISP_E_TYPEMISMATCH.
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/Decimal.h"

ZEL_EXPORT HRESULT VarR8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DOUBLE* pdblOut);
ZEL_EXPORT HRESULT VarR4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, FLOAT* pfltOut);
ZEL_EXPORT HRESULT VarBstrFromR8(DOUBLE dblIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
ZEL_EXPORT HRESULT VarBstrFromR4(FLOAT fltIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);  // 7 digits
// Integers from text read the text as a number and round half to even, so
// "2.5" gives 2 and "1e3" gives 1000.
ZEL_EXPORT HRESULT VarI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, LONG64* pi64Out);
ZEL_EXPORT HRESULT VarUI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG64* pi64Out);
ZEL_EXPORT HRESULT VarBstrFromI8(LONG64 i64In, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
ZEL_EXPORT HRESULT VarBstrFromUI8(ULONG64 ui64In, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
// "true"/"false" in any case, or any number (nonzero is true).
ZEL_EXPORT HRESULT VarBoolFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, VARIANT_BOOL* pboolOut);
// "-1" for true and "0" for false (so the text reads back as a number);
// "True"/"False" with VARIANT_ALPHABOOL.
ZEL_EXPORT HRESULT VarBstrFromBool(VARIANT_BOOL boolIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
