#include "platform/oleaut/TextForm.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>

namespace {

HRESULT MakeBstr(const std::string& s, BSTR* out) {
  if (!out) return E_INVALIDARG;
  std::wstring w(s.begin(), s.end());
  *out = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// The text without surrounding blanks, as ASCII; false for other characters.
bool TrimmedAscii(const wchar_t* s, std::string& out) {
  if (!s) return false;
  while (std::iswspace(*s)) ++s;
  const wchar_t* e = s + wcslen(s);
  while (e > s && std::iswspace(e[-1])) --e;
  out.clear();
  for (; s < e; ++s) {
    if (*s <= 0 || *s > 0x7e) return false;
    out += static_cast<char>(*s);
  }
  return true;
}

// `digits` significant digits, trailing zeros dropped; the plain form for
// magnitudes in [1E-05, 1E+15), an exponent form otherwise.
std::string FormatReal(double v, int digits) {
  if (v == 0) return "0";
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
  std::string sci(buf, res.ptr);  // [-]d.ddddde[+-]xx
  size_t epos = sci.find('e');
  int exp = std::atoi(sci.c_str() + epos + 1);
  bool neg = sci[0] == '-';
  std::string mant;
  for (size_t i = neg ? 1 : 0; i < epos; ++i)
    if (sci[i] != '.') mant += sci[i];
  while (mant.size() > 1 && mant.back() == '0') mant.pop_back();
  std::string out = neg ? "-" : "";
  if (exp >= 15 || exp < -5) {
    out += mant.substr(0, 1);
    if (mant.size() > 1) out += "." + mant.substr(1);
    char e[16];
    snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
    return out + e;
  }
  if (exp < 0) return out + "0." + std::string(static_cast<size_t>(-exp - 1), '0') + mant;
  size_t whole = static_cast<size_t>(exp) + 1;
  if (mant.size() <= whole) return out + mant + std::string(whole - mant.size(), '0');
  return out + mant.substr(0, whole) + "." + mant.substr(whole);
}

}  // namespace

HRESULT VarR8FromStr(LPCOLESTR strIn, LCID, ULONG, DOUBLE* pdblOut) {
  if (!strIn || !pdblOut) return E_INVALIDARG;
  std::string t;
  if (!TrimmedAscii(strIn, t)) return DISP_E_TYPEMISMATCH;
  size_t at = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
  // from_chars would also take "inf" and "nan", which are no numbers here
  bool digitFirst = at < t.size() && (isdigit(static_cast<unsigned char>(t[at])) ||
                                      (t[at] == '.' && at + 1 < t.size() && isdigit(static_cast<unsigned char>(t[at + 1]))));
  if (!digitFirst) return DISP_E_TYPEMISMATCH;
  double d = 0;
  const char* end = t.data() + t.size();
  auto res = std::from_chars(t.data() + at, end, d);
  if (res.ptr != end) return DISP_E_TYPEMISMATCH;
  if (res.ec == std::errc::result_out_of_range) {
    size_t e = t.find_first_of("eE");
    bool tiny = e != std::string::npos ? t[e + 1] == '-' : t.find_first_not_of("+-0.") == std::string::npos;
    if (!tiny) return DISP_E_OVERFLOW;
    d = 0;
  }
  *pdblOut = t[0] == '-' ? -d : d;
  return S_OK;
}

HRESULT VarR4FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, FLOAT* pfltOut) {
  if (!pfltOut) return E_INVALIDARG;
  double d;
  HRESULT hr = VarR8FromStr(strIn, lcid, dwFlags, &d);
  if (FAILED(hr)) return hr;
  if (std::fabs(d) > 3.402823466e38) return DISP_E_OVERFLOW;
  *pfltOut = static_cast<FLOAT>(d);
  return S_OK;
}

HRESULT VarBstrFromR8(DOUBLE dblIn, LCID, ULONG, BSTR* pbstrOut) {
  if (!std::isfinite(dblIn)) return DISP_E_OVERFLOW;
  return MakeBstr(FormatReal(dblIn, 15), pbstrOut);
}

HRESULT VarBstrFromR4(FLOAT fltIn, LCID, ULONG, BSTR* pbstrOut) {
  if (!std::isfinite(fltIn)) return DISP_E_OVERFLOW;
  return MakeBstr(FormatReal(fltIn, 7), pbstrOut);
}

HRESULT VarI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, LONG64* pi64Out) {
  DECIMAL d;
  HRESULT hr = VarDecFromStr(strIn, lcid, dwFlags, &d);
  return FAILED(hr) ? hr : VarI8FromDec(&d, pi64Out);
}

HRESULT VarUI8FromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, ULONG64* pi64Out) {
  DECIMAL d;
  HRESULT hr = VarDecFromStr(strIn, lcid, dwFlags, &d);
  return FAILED(hr) ? hr : VarUI8FromDec(&d, pi64Out);
}

HRESULT VarBstrFromI8(LONG64 i64In, LCID, ULONG, BSTR* pbstrOut) { return MakeBstr(std::to_string(i64In), pbstrOut); }

HRESULT VarBstrFromUI8(ULONG64 ui64In, LCID, ULONG, BSTR* pbstrOut) {
  return MakeBstr(std::to_string(ui64In), pbstrOut);
}

HRESULT VarBoolFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, VARIANT_BOOL* pboolOut) {
  if (!strIn || !pboolOut) return E_INVALIDARG;
  std::string t;
  if (TrimmedAscii(strIn, t)) {
    if (strcasecmp(t.c_str(), "true") == 0) return *pboolOut = VARIANT_TRUE, S_OK;
    if (strcasecmp(t.c_str(), "false") == 0) return *pboolOut = VARIANT_FALSE, S_OK;
  }
  double d;
  HRESULT hr = VarR8FromStr(strIn, lcid, dwFlags, &d);
  if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? (*pboolOut = VARIANT_TRUE, S_OK) : hr;
  *pboolOut = d != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT VarBstrFromBool(VARIANT_BOOL boolIn, LCID, ULONG dwFlags, BSTR* pbstrOut) {
  if (dwFlags & VARIANT_ALPHABOOL) return MakeBstr(boolIn ? "True" : "False", pbstrOut);
  return MakeBstr(boolIn ? "-1" : "0", pbstrOut);
}
