#include <cmath>
#include <string>

#include "platform/oleaut/TextForm.h"
#include "platform/oleaut/Variant.h"

// Conversions go through four common forms: a 128-bit integer (wide enough
// for every integer kind, signed or not), a double, a DECIMAL and a CY. Each
// target kind asks for the form it is made from, and each source kind knows
// how to give every form, so each pair is covered once.
namespace {

typedef __int128 i128;

bool IsIntegerKind(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
      return true;
    default:
      return false;
  }
}

i128 IntegerOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1: return v.cVal;
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_INT: return v.intVal;
    case VT_I8: return v.llVal;
    case VT_UI1: return v.bVal;
    case VT_UI2: return v.uiVal;
    case VT_UI4: return v.ulVal;
    case VT_UINT: return v.uintVal;
    case VT_UI8: return v.ullVal;
    case VT_ERROR: return v.scode;
    case VT_BOOL: return v.boolVal ? -1 : 0;
    default: return 0;
  }
}

// Reals round half to even; NaN, infinities and values beyond 64 bits
// overflow here, before any cast could be undefined.
HRESULT RoundReal(double d, i128& out) {
  if (!(d > -18446744073709551616.0 && d < 18446744073709551616.0)) return DISP_E_OVERFLOW;
  double f = std::floor(d), diff = d - f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0)) f += 1;
  out = static_cast<i128>(f);
  return S_OK;
}

HRESULT DecToInteger(const DECIMAL& d, i128& out) {
  if (!(d.sign & DECIMAL_NEG)) {
    ULONG64 u;
    HRESULT hr = VarUI8FromDec(&d, &u);
    out = u;
    return hr;
  }
  LONG64 s;
  HRESULT hr = VarI8FromDec(&d, &s);
  out = s;
  return hr;
}

HRESULT ToInteger(const VARIANT& v, i128& out) {
  if (IsIntegerKind(v.vt) || v.vt == VT_BOOL || v.vt == VT_EMPTY || v.vt == VT_ERROR) {
    out = IntegerOf(v);
    return S_OK;
  }
  switch (v.vt) {
    case VT_R4: return RoundReal(v.fltVal, out);
    case VT_R8: case VT_DATE: return RoundReal(v.dblVal, out);
    case VT_CY: {
      LONG64 i;
      HRESULT hr = VarI8FromCy(v.cyVal, &i);
      out = i;
      return hr;
    }
    case VT_DECIMAL: return DecToInteger(v.decVal, out);
    case VT_BSTR: {
      DECIMAL d;
      HRESULT hr = VarDecFromStr(v.bstrVal ? v.bstrVal : L"", 0, 0, &d);
      return FAILED(hr) ? hr : DecToInteger(d, out);
    }
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToReal(const VARIANT& v, double& out, bool forDate) {
  if (IsIntegerKind(v.vt) || v.vt == VT_BOOL || v.vt == VT_EMPTY) {
    out = static_cast<double>(IntegerOf(v));
    return S_OK;
  }
  switch (v.vt) {
    case VT_R4: out = v.fltVal; return S_OK;
    case VT_R8: case VT_DATE: out = v.dblVal; return S_OK;
    case VT_CY: return VarR8FromCy(v.cyVal, &out);
    case VT_DECIMAL: return VarR8FromDec(&v.decVal, &out);
    case VT_BSTR: {
      const wchar_t* s = v.bstrVal ? v.bstrVal : L"";
      if (forDate && SUCCEEDED(VarDateFromStr(s, 0, 0, &out))) return S_OK;
      return VarR8FromStr(s, 0, 0, &out);
    }
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToDecimal(const VARIANT& v, DECIMAL& out) {
  switch (v.vt) {
    case VT_R4: return VarDecFromR4(v.fltVal, &out);
    case VT_R8: case VT_DATE: return VarDecFromR8(v.dblVal, &out);
    case VT_CY: return VarDecFromCy(v.cyVal, &out);
    case VT_DECIMAL: out = v.decVal; out.wReserved = 0; return S_OK;
    case VT_BSTR: return VarDecFromStr(v.bstrVal ? v.bstrVal : L"", 0, 0, &out);
    case VT_ERROR: return DISP_E_TYPEMISMATCH;
    default: break;
  }
  i128 i;
  HRESULT hr = ToInteger(v, i);
  if (FAILED(hr)) return hr;
  return i < 0 ? VarDecFromI8(static_cast<LONG64>(i), &out) : VarDecFromUI8(static_cast<ULONG64>(i), &out);
}

HRESULT ToCurrency(const VARIANT& v, CY& out) {
  switch (v.vt) {
    case VT_R4: case VT_R8: case VT_DATE: {
      double d;
      ToReal(v, d, false);
      return VarCyFromR8(d, &out);
    }
    case VT_ERROR: return DISP_E_TYPEMISMATCH;
    case VT_CY: out = v.cyVal; return S_OK;
    default: break;
  }
  DECIMAL d;
  HRESULT hr = ToDecimal(v, d);
  return FAILED(hr) ? hr : VarCyFromDec(&d, &out);
}

HRESULT ToBool(const VARIANT& v, VARIANT_BOOL& out) {
  if (v.vt == VT_BSTR) return VarBoolFromStr(v.bstrVal ? v.bstrVal : L"", 0, 0, &out);
  bool on;
  if (IsIntegerKind(v.vt) || v.vt == VT_BOOL || v.vt == VT_EMPTY) {
    on = IntegerOf(v) != 0;
  } else if (v.vt == VT_R4) {
    on = v.fltVal != 0;
  } else if (v.vt == VT_R8 || v.vt == VT_DATE) {
    on = v.dblVal != 0;
  } else if (v.vt == VT_CY) {
    on = v.cyVal.int64 != 0;
  } else if (v.vt == VT_DECIMAL) {
    on = v.decVal.Lo64 != 0 || v.decVal.Hi32 != 0;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  out = on ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ToText(const VARIANT& v, USHORT wFlags, BSTR& out) {
  out = nullptr;
  switch (v.vt) {
    case VT_EMPTY: out = SysAllocStringLen(L"", 0); return out ? S_OK : E_OUTOFMEMORY;
    case VT_BSTR:
      out = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal));
      return out ? S_OK : E_OUTOFMEMORY;
    case VT_BOOL: return VarBstrFromBool(v.boolVal, 0, wFlags, &out);
    case VT_R4: return VarBstrFromR4(v.fltVal, 0, 0, &out);
    case VT_R8: return VarBstrFromR8(v.dblVal, 0, 0, &out);
    case VT_DATE: return VarBstrFromDate(v.date, 0, 0, &out);
    case VT_CY: return VarBstrFromCy(v.cyVal, 0, 0, &out);
    case VT_DECIMAL: return VarBstrFromDec(&v.decVal, 0, 0, &out);
    case VT_UI8: return VarBstrFromUI8(v.ullVal, 0, 0, &out);
    default:
      if (!IsIntegerKind(v.vt)) return DISP_E_TYPEMISMATCH;
      return VarBstrFromI8(static_cast<LONG64>(IntegerOf(v)), 0, 0, &out);
  }
}

// Stores an integer into an integer kind (or ERROR) after the range check.
HRESULT StoreInteger(i128 i, VARTYPE vt, bool fromTrue, VARIANT& out) {
  struct Range {
    VARTYPE vt;
    i128 lo, hi;
  };
  static const Range kRanges[] = {
      {VT_I1, INT8_MIN, INT8_MAX},       {VT_I2, INT16_MIN, INT16_MAX},   {VT_I4, INT32_MIN, INT32_MAX},
      {VT_INT, INT32_MIN, INT32_MAX},    {VT_ERROR, INT32_MIN, INT32_MAX}, {VT_I8, INT64_MIN, INT64_MAX},
      {VT_UI1, 0, UINT8_MAX},            {VT_UI2, 0, UINT16_MAX},         {VT_UI4, 0, UINT32_MAX},
      {VT_UINT, 0, UINT32_MAX},          {VT_UI8, 0, UINT64_MAX}};
  for (const Range& r : kRanges) {
    if (r.vt != vt) continue;
    if (fromTrue && r.lo == 0) i = r.hi;  // true is all bits set
    if (i < r.lo || i > r.hi) return DISP_E_OVERFLOW;
    out.vt = vt;
    // the unsigned 64-bit store covers every narrower kind: the union
    // members share their low bytes on this little-endian platform
    out.ullVal = 0;
    switch (vt) {
      case VT_I1: out.cVal = static_cast<CHAR>(i); break;
      case VT_I2: out.iVal = static_cast<SHORT>(i); break;
      case VT_I4: case VT_INT: case VT_ERROR: out.lVal = static_cast<LONG>(i); break;
      case VT_I8: out.llVal = static_cast<LONGLONG>(i); break;
      case VT_UI1: out.bVal = static_cast<BYTE>(i); break;
      case VT_UI2: out.uiVal = static_cast<USHORT>(i); break;
      case VT_UI4: case VT_UINT: out.ulVal = static_cast<ULONG>(i); break;
      default: out.ullVal = static_cast<ULONGLONG>(i); break;
    }
    return S_OK;
  }
  return DISP_E_BADVARTYPE;
}

HRESULT CheckedDate(double d, VARIANT& out) {
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(d, &st)) return DISP_E_OVERFLOW;
  out.vt = VT_DATE;
  out.date = d;
  return S_OK;
}

HRESULT ToObject(const VARIANT& v, VARTYPE vt, VARIANT& out) {
  if (v.vt != VT_UNKNOWN && v.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
  IUnknown* p = v.punkVal;
  if (vt == VT_DISPATCH && v.vt == VT_UNKNOWN && p) {
    p = dynamic_cast<IDispatch*>(p);  // the stand-in for asking the object
    if (!p) return E_NOINTERFACE;
  }
  if (p) p->AddRef();
  out.vt = vt;
  if (vt == VT_DISPATCH)
    out.pdispVal = static_cast<IDispatch*>(p);
  else
    out.punkVal = p;
  return S_OK;
}

// Makes `out` (empty on entry) of kind vt from the direct value v.
HRESULT Convert(const VARIANT& v, USHORT wFlags, VARTYPE vt, VARIANT& out) {
  if (vt & VT_ARRAY) {
    if (v.vt != vt) return DISP_E_TYPEMISMATCH;
    return VariantCopy(&out, &v);
  }
  if (v.vt & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  if (vt == VT_EMPTY) return S_OK;
  if (v.vt == VT_NULL || vt == VT_NULL) {
    if (v.vt != VT_NULL && v.vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    if (vt != VT_NULL) return DISP_E_TYPEMISMATCH;
    out.vt = VT_NULL;
    return S_OK;
  }
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) return ToObject(v, vt, out);
  if (v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH) return DISP_E_TYPEMISMATCH;
  if ((vt == VT_ERROR) != (v.vt == VT_ERROR) && !IsIntegerKind(vt == VT_ERROR ? v.vt : vt))
    return DISP_E_TYPEMISMATCH;
  HRESULT hr;
  if (IsIntegerKind(vt) || vt == VT_ERROR) {
    i128 i;
    hr = ToInteger(v, i);
    return FAILED(hr) ? hr : StoreInteger(i, vt, v.vt == VT_BOOL && v.boolVal, out);
  }
  switch (vt) {
    case VT_R4: {
      double d;
      hr = ToReal(v, d, false);
      if (FAILED(hr)) return hr;
      if (std::isfinite(d) && std::fabs(d) > 3.4028234663852886e38) return DISP_E_OVERFLOW;
      out.vt = VT_R4;
      out.fltVal = static_cast<FLOAT>(d);
      return S_OK;
    }
    case VT_R8: {
      hr = ToReal(v, out.dblVal, false);
      if (SUCCEEDED(hr)) out.vt = VT_R8;
      return hr;
    }
    case VT_DATE: {
      double d;
      hr = ToReal(v, d, true);
      return FAILED(hr) ? hr : CheckedDate(d, out);
    }
    case VT_CY:
      hr = ToCurrency(v, out.cyVal);
      if (SUCCEEDED(hr)) out.vt = VT_CY;
      return hr;
    case VT_DECIMAL: {
      DECIMAL d;
      hr = ToDecimal(v, d);
      if (FAILED(hr)) return hr;
      out.decVal = d;
      out.vt = VT_DECIMAL;  // overlays wReserved
      return S_OK;
    }
    case VT_BOOL:
      hr = ToBool(v, out.boolVal);
      if (SUCCEEDED(hr)) out.vt = VT_BOOL;
      return hr;
    case VT_BSTR:
      hr = ToText(v, wFlags, out.bstrVal);
      if (SUCCEEDED(hr)) out.vt = VT_BSTR;
      return hr;
    default:
      return DISP_E_BADVARTYPE;
  }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID, USHORT wFlags, VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  if (!ZelIsValidVarType(pvarSrc->vt) || !ZelIsValidVarType(vt) || (vt & VT_BYREF)) return DISP_E_BADVARTYPE;
  if (!ZelIsValidVarType(pvargDest->vt)) return DISP_E_BADVARTYPE;
  // work on a direct copy, so dest may be src and a failure changes nothing
  VARIANT direct, out;
  VariantInit(&direct);
  VariantInit(&out);
  HRESULT hr = VariantCopyInd(&direct, pvarSrc);
  if (SUCCEEDED(hr)) hr = Convert(direct, wFlags, vt, out);
  VariantClear(&direct);
  if (FAILED(hr)) {
    VariantClear(&out);
    return hr;
  }
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&out);
    return hr;
  }
  *pvargDest = out;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
