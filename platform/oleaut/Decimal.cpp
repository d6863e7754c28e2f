#include "platform/oleaut/Decimal.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <string>

// The mantissa is worked on as an unsigned 128-bit integer: wide enough for
// 96 bits times any single power of ten we multiply by before checking.
namespace {

typedef unsigned __int128 u128;

const u128 kMantissaLimit = static_cast<u128>(1) << 96;  // first value that no longer fits

u128 Pow10(int n) {
  u128 p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

u128 MantissaOf(const DECIMAL& d) { return (static_cast<u128>(d.Hi32) << 64) | d.Lo64; }

bool IsNeg(const DECIMAL& d) { return (d.sign & DECIMAL_NEG) != 0; }

// Writes a value; the caller has checked m < 2^96 and scale <= 28.
void Store(DECIMAL* out, u128 m, int scale, bool neg) {
  out->wReserved = 0;
  out->scale = static_cast<BYTE>(scale);
  out->sign = (neg && m != 0) ? DECIMAL_NEG : 0;
  out->Hi32 = static_cast<ULONG>(m >> 64);
  out->Lo64 = static_cast<ULONGLONG>(m);
}

bool ValidIn(const DECIMAL* d) { return d && d->scale <= DECIMAL_MAX_SCALE && (d->sign & ~DECIMAL_NEG) == 0; }

// m / 10^k rounded half to even. k may exceed 38, giving 0.
u128 DivRoundEven(u128 m, int k) {
  if (k <= 0) return m;
  if (k > 38) return 0;
  u128 p = Pow10(k), q = m / p, r = m % p, half = p / 2;
  if (r > half || (r == half && (q & 1))) ++q;
  return q;
}

// Makes m * 10^-scale fit: drops as many low digits as needed at once (one
// rounding, never two) until the mantissa has 96 bits and the scale is at
// most 28. DISP_E_OVERFLOW when even scale 0 is too large.
HRESULT Normalize(DECIMAL* out, u128 m, int scale, bool neg) {
  int drop = scale > DECIMAL_MAX_SCALE ? scale - DECIMAL_MAX_SCALE : 0;
  u128 r = DivRoundEven(m, drop);
  while (r >= kMantissaLimit && scale - drop > 0) r = DivRoundEven(m, ++drop);
  if (r >= kMantissaLimit) return DISP_E_OVERFLOW;
  if (scale - drop < 0) {
    // a negative scale: multiply up to scale 0
    int up = drop - scale;
    if (up > 28 || r > (kMantissaLimit - 1) / Pow10(up)) return DISP_E_OVERFLOW;
    r *= Pow10(up);
    drop = scale;
  }
  Store(out, r, scale - drop, neg);
  return S_OK;
}

std::string DigitsOf(u128 m) {
  if (m == 0) return "0";
  std::string s;
  while (m) {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  }
  return s;
}

// Parses [blanks][sign]digits[.digits][e[sign]digits][blanks] into a digit
// string without leading zeros and a power of ten. Exponents are bounded so
// that a hostile "1e999999999" cannot overflow the arithmetic.
bool ParseNumber(const wchar_t* s, std::string& digits, long& pow10, bool& neg) {
  if (!s) return false;
  while (iswspace(*s)) ++s;
  neg = false;
  if (*s == L'+' || *s == L'-') neg = (*s++ == L'-');
  bool any = false;
  pow10 = 0;
  digits.clear();
  for (; *s >= L'0' && *s <= L'9'; ++s, any = true)
    if (!digits.empty() || *s != L'0') digits += static_cast<char>(*s);
  if (*s == L'.') {
    for (++s; *s >= L'0' && *s <= L'9'; ++s, any = true) {
      if (!digits.empty() || *s != L'0') digits += static_cast<char>(*s);
      --pow10;
    }
  }
  if (!any) return false;
  if (*s == L'e' || *s == L'E') {
    ++s;
    bool eneg = false;
    if (*s == L'+' || *s == L'-') eneg = (*s++ == L'-');
    if (!(*s >= L'0' && *s <= L'9')) return false;
    long e = 0;
    for (; *s >= L'0' && *s <= L'9'; ++s)
      if (e < 100000) e = e * 10 + (*s - L'0');
    pow10 += eneg ? -e : e;
  }
  while (iswspace(*s)) ++s;
  return *s == 0;
}

// The value rounded to `digits` significant digits, trailing zeros dropped.
HRESULT DecFromReal(double v, int digits, DECIMAL* out) {
  if (!out) return E_INVALIDARG;
  if (!std::isfinite(v)) return DISP_E_OVERFLOW;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits - 1);
  std::wstring w(buf, res.ptr);
  HRESULT hr = VarDecFromStr(w.c_str(), 0, 0, out);
  return FAILED(hr) ? hr : ZelDecTrim(out, out);
}

}  // namespace

HRESULT VarDecFromI4(LONG lIn, DECIMAL* pdecOut) { return VarDecFromI8(lIn, pdecOut); }

HRESULT VarDecFromI8(LONG64 i64In, DECIMAL* pdecOut) {
  if (!pdecOut) return E_INVALIDARG;
  // negate in unsigned arithmetic so INT64_MIN is no overflow
  ULONG64 mag = i64In < 0 ? 0 - static_cast<ULONG64>(i64In) : static_cast<ULONG64>(i64In);
  Store(pdecOut, mag, 0, i64In < 0);
  return S_OK;
}

HRESULT VarDecFromUI8(ULONG64 ui64In, DECIMAL* pdecOut) {
  if (!pdecOut) return E_INVALIDARG;
  Store(pdecOut, ui64In, 0, false);
  return S_OK;
}

HRESULT VarDecFromR4(FLOAT fltIn, DECIMAL* pdecOut) {
  // seven significant digits, so 0.1f gives 0.1 and not 0.100000001
  return DecFromReal(fltIn, 7, pdecOut);
}

HRESULT VarDecFromR8(DOUBLE dblIn, DECIMAL* pdecOut) {
  // fifteen significant digits, the precision a double reliably carries
  return DecFromReal(dblIn, 15, pdecOut);
}

HRESULT VarDecFromCy(CY cyIn, DECIMAL* pdecOut) {
  if (!pdecOut) return E_INVALIDARG;
  HRESULT hr = VarDecFromI8(cyIn.int64, pdecOut);
  pdecOut->scale = 4;
  return hr;
}

HRESULT VarDecFromStr(LPCOLESTR strIn, LCID, ULONG, DECIMAL* pdecOut) {
  if (!pdecOut) return E_INVALIDARG;
  std::string digits;
  long pow10;
  bool neg;
  if (!ParseNumber(strIn, digits, pow10, neg)) return DISP_E_TYPEMISMATCH;
  long scale = -pow10;
  if (digits.empty()) {
    // zero keeps the scale it was written with ("0.00"), within the limit
    Store(pdecOut, 0, scale < 0 ? 0 : scale > DECIMAL_MAX_SCALE ? DECIMAL_MAX_SCALE : static_cast<int>(scale), false);
    return S_OK;
  }
  // Digits beyond what 96 bits can ever hold are rounded off first; 30 kept
  // digits plus the sticky rest decide the rounding exactly.
  if (static_cast<long>(digits.size()) - scale > 29) return DISP_E_OVERFLOW;
  if (digits.size() > 30) {
    bool sticky = digits.find_first_not_of('0', 31) != std::string::npos;
    scale -= static_cast<long>(digits.size()) - 31;
    digits.resize(31);
    if (sticky && digits.back() == '0') digits.back() = '1';  // keeps "above half" above half
  }
  if (scale > 60) {
    Store(pdecOut, 0, DECIMAL_MAX_SCALE, false);  // far below the smallest step
    return S_OK;
  }
  u128 m = 0;
  for (char c : digits) m = m * 10 + static_cast<unsigned>(c - '0');
  return Normalize(pdecOut, m, static_cast<int>(scale), neg);
}

HRESULT VarBstrFromDec(const DECIMAL* pdecIn, LCID, ULONG, BSTR* pbstrOut) {
  if (!ValidIn(pdecIn) || !pbstrOut) return E_INVALIDARG;
  std::string s = DigitsOf(MantissaOf(*pdecIn));
  size_t scale = pdecIn->scale;
  if (s.size() <= scale) s.insert(0, scale + 1 - s.size(), '0');
  if (scale) s.insert(s.size() - scale, 1, '.');
  if (IsNeg(*pdecIn) && MantissaOf(*pdecIn) != 0) s.insert(0, 1, '-');
  std::wstring w(s.begin(), s.end());
  *pbstrOut = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  return *pbstrOut ? S_OK : E_OUTOFMEMORY;
}

HRESULT VarR8FromDec(const DECIMAL* pdecIn, DOUBLE* pdblOut) {
  // through the exact text, so the double is the nearest one to the value
  if (!ValidIn(pdecIn) || !pdblOut) return E_INVALIDARG;
  std::string s = DigitsOf(MantissaOf(*pdecIn)) + "e-" + std::to_string(pdecIn->scale);
  double d = 0;
  std::from_chars(s.data(), s.data() + s.size(), d);
  *pdblOut = IsNeg(*pdecIn) ? -d : d;
  return S_OK;
}

HRESULT VarR4FromDec(const DECIMAL* pdecIn, FLOAT* pfltOut) {
  if (!pfltOut) return E_INVALIDARG;
  double d;
  HRESULT hr = VarR8FromDec(pdecIn, &d);
  if (SUCCEEDED(hr)) *pfltOut = static_cast<FLOAT>(d);
  return hr;
}

HRESULT VarI8FromDec(const DECIMAL* pdecIn, LONG64* pi64Out) {
  if (!ValidIn(pdecIn) || !pi64Out) return E_INVALIDARG;
  u128 m = DivRoundEven(MantissaOf(*pdecIn), pdecIn->scale);
  u128 limit = static_cast<u128>(INT64_MAX) + (IsNeg(*pdecIn) ? 1 : 0);
  if (m > limit) return DISP_E_OVERFLOW;
  *pi64Out = IsNeg(*pdecIn) ? static_cast<LONG64>(0 - static_cast<ULONG64>(m)) : static_cast<LONG64>(m);
  return S_OK;
}

HRESULT VarUI8FromDec(const DECIMAL* pdecIn, ULONG64* pi64Out) {
  if (!ValidIn(pdecIn) || !pi64Out) return E_INVALIDARG;
  u128 m = DivRoundEven(MantissaOf(*pdecIn), pdecIn->scale);
  if (m > UINT64_MAX || (IsNeg(*pdecIn) && m != 0)) return DISP_E_OVERFLOW;
  *pi64Out = static_cast<ULONG64>(m);
  return S_OK;
}

HRESULT VarI4FromDec(const DECIMAL* pdecIn, LONG* plOut) {
  if (!plOut) return E_INVALIDARG;
  LONG64 v;
  HRESULT hr = VarI8FromDec(pdecIn, &v);
  if (FAILED(hr)) return hr;
  if (v < INT32_MIN || v > INT32_MAX) return DISP_E_OVERFLOW;
  *plOut = static_cast<LONG>(v);
  return S_OK;
}

HRESULT VarCyFromDec(const DECIMAL* pdecIn, CY* pcyOut) {
  if (!pcyOut) return E_INVALIDARG;
  DECIMAL four;
  HRESULT hr = ZelDecRescale(pdecIn, 4, &four);
  if (FAILED(hr)) return hr;
  four.scale = 0;
  return VarI8FromDec(&four, &pcyOut->int64);
}

HRESULT VarDecCmp(const DECIMAL* pdecLeft, const DECIMAL* pdecRight) {
  if (!ValidIn(pdecLeft) || !ValidIn(pdecRight)) return E_INVALIDARG;
  u128 a = MantissaOf(*pdecLeft), b = MantissaOf(*pdecRight);
  bool na = IsNeg(*pdecLeft) && a != 0, nb = IsNeg(*pdecRight) && b != 0;
  if (a == 0 && b == 0) return VARCMP_EQ;
  if (na != nb) return na ? VARCMP_LT : VARCMP_GT;
  // Compare magnitudes without scaling up: split the finer one at the
  // coarser one's scale and compare the whole part, then the remainder.
  int sa = pdecLeft->scale, sb = pdecRight->scale, mag;
  if (sa == sb) {
    mag = a < b ? -1 : a > b ? 1 : 0;
  } else if (sa > sb) {
    u128 p = Pow10(sa - sb), q = a / p;
    mag = q < b ? -1 : q > b ? 1 : (a % p ? 1 : 0);
  } else {
    u128 p = Pow10(sb - sa), q = b / p;
    mag = a < q ? -1 : a > q ? 1 : (b % p ? -1 : 0);
  }
  if (na) mag = -mag;
  return mag < 0 ? VARCMP_LT : mag > 0 ? VARCMP_GT : VARCMP_EQ;
}

HRESULT VarDecAdd(const DECIMAL* pdecLeft, const DECIMAL* pdecRight, DECIMAL* pdecResult) {
  if (!ValidIn(pdecLeft) || !ValidIn(pdecRight) || !pdecResult) return E_INVALIDARG;
  u128 a = MantissaOf(*pdecLeft), b = MantissaOf(*pdecRight);
  int sa = pdecLeft->scale, sb = pdecRight->scale;
  // Bring both to the finer scale; where that would not fit 126 bits the
  // finer operand gives up digits instead, which the result could not hold.
  const u128 room = static_cast<u128>(-1) >> 2;
  while (sa != sb) {
    u128& coarse = sa < sb ? a : b;
    int& sc = sa < sb ? sa : sb;
    if (coarse <= room / 10) {
      coarse *= 10;
      ++sc;
    } else {
      u128& fine = sa < sb ? b : a;
      int& sf = sa < sb ? sb : sa;
      fine = DivRoundEven(fine, 1);
      --sf;
    }
  }
  bool na = IsNeg(*pdecLeft), nb = IsNeg(*pdecRight);
  u128 m;
  bool neg;
  if (na == nb) {
    m = a + b;
    neg = na;
  } else if (a >= b) {
    m = a - b;
    neg = na;
  } else {
    m = b - a;
    neg = nb;
  }
  return Normalize(pdecResult, m, sa, neg);
}

HRESULT VarDecNeg(const DECIMAL* pdecIn, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult) return E_INVALIDARG;
  Store(pdecResult, MantissaOf(*pdecIn), pdecIn->scale, !IsNeg(*pdecIn));
  return S_OK;
}

HRESULT VarDecSub(const DECIMAL* pdecLeft, const DECIMAL* pdecRight, DECIMAL* pdecResult) {
  DECIMAL neg;
  HRESULT hr = VarDecNeg(pdecRight, &neg);
  return FAILED(hr) ? hr : VarDecAdd(pdecLeft, &neg, pdecResult);
}

HRESULT VarDecAbs(const DECIMAL* pdecIn, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult) return E_INVALIDARG;
  Store(pdecResult, MantissaOf(*pdecIn), pdecIn->scale, false);
  return S_OK;
}

HRESULT VarDecFix(const DECIMAL* pdecIn, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult) return E_INVALIDARG;
  Store(pdecResult, MantissaOf(*pdecIn) / Pow10(pdecIn->scale), 0, IsNeg(*pdecIn));
  return S_OK;
}

HRESULT VarDecInt(const DECIMAL* pdecIn, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult) return E_INVALIDARG;
  u128 p = Pow10(pdecIn->scale), m = MantissaOf(*pdecIn), q = m / p;
  if (IsNeg(*pdecIn) && m % p) ++q;  // toward minus infinity
  Store(pdecResult, q, 0, IsNeg(*pdecIn));
  return S_OK;
}

HRESULT VarDecRound(const DECIMAL* pdecIn, int cDecimals, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult || cDecimals < 0) return E_INVALIDARG;
  if (cDecimals >= pdecIn->scale) {
    *pdecResult = *pdecIn;
    return S_OK;
  }
  Store(pdecResult, DivRoundEven(MantissaOf(*pdecIn), pdecIn->scale - cDecimals), cDecimals, IsNeg(*pdecIn));
  return S_OK;
}

HRESULT ZelDecRescale(const DECIMAL* pdecIn, int scale, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult || scale < 0 || scale > DECIMAL_MAX_SCALE) return E_INVALIDARG;
  int up = scale - pdecIn->scale;
  if (up <= 0) return VarDecRound(pdecIn, scale, pdecResult);
  u128 m = MantissaOf(*pdecIn);
  if (m > (kMantissaLimit - 1) / Pow10(up)) return DISP_E_OVERFLOW;
  Store(pdecResult, m * Pow10(up), scale, IsNeg(*pdecIn));
  return S_OK;
}

HRESULT ZelDecTrim(const DECIMAL* pdecIn, DECIMAL* pdecResult) {
  if (!ValidIn(pdecIn) || !pdecResult) return E_INVALIDARG;
  u128 m = MantissaOf(*pdecIn);
  int scale = pdecIn->scale;
  for (; scale > 0 && m % 10 == 0; --scale) m /= 10;
  Store(pdecResult, m, scale, IsNeg(*pdecIn));
  return S_OK;
}
