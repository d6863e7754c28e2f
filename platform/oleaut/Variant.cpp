#include "platform/oleaut/Variant.h"

#include <cstring>

#include "platform/oleaut/SafeArray.h"

namespace {

// Kept here as well as exported, so a clear (once per value read) calls
// no other exported function for a plain value.
bool ValidVarType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  VARTYPE base = vt & VT_TYPEMASK;
  bool wrapped = (vt & (VT_ARRAY | VT_BYREF)) != 0;
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return !wrapped;
    case VT_VARIANT:
      return wrapped;
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR:
    case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN: case VT_DECIMAL: case VT_I1:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
      return true;
    default:
      return false;
  }
}

void Init(VARIANTARG* pvarg) {
  memset(pvarg, 0, sizeof *pvarg);
  pvarg->vt = VT_EMPTY;
}

}  // namespace

bool ZelIsValidVarType(VARTYPE vt) { return ValidVarType(vt); }

UINT ZelVarTypeSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_DECIMAL: return sizeof(DECIMAL);
    default: return 0;
  }
}

void VariantInit(VARIANTARG* pvarg) {
  if (pvarg) Init(pvarg);
}

HRESULT VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  VARTYPE vt = pvarg->vt;
  // Empty, null, numbers, currency and dates own nothing: the common case.
  if (vt <= VT_DATE) {
    Init(pvarg);
    return S_OK;
  }
  if (!ValidVarType(vt)) return DISP_E_BADVARTYPE;
  if (vt & VT_BYREF) {
    // the referenced value belongs to someone else
  } else if (vt & VT_ARRAY) {
    HRESULT hr = SafeArrayDestroy(pvarg->parray);
    if (FAILED(hr)) return hr;
  } else if (vt == VT_BSTR) {
    SysFreeString(pvarg->bstrVal);
  } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    if (pvarg->punkVal) pvarg->punkVal->Release();
  }
  Init(pvarg);
  return S_OK;
}

namespace {

// Copies src into a fresh out (whose old content is not looked at).
HRESULT CopyInto(VARIANT* out, const VARIANT* src) {
  *out = *src;  // whole-struct copy: carries DECIMAL and every scalar
  VARTYPE vt = src->vt;
  if (vt & VT_BYREF) return S_OK;
  if (vt & VT_ARRAY) {
    out->parray = nullptr;
    if (!src->parray) return S_OK;
    HRESULT hr = SafeArrayCopy(src->parray, &out->parray);
    if (FAILED(hr)) VariantInit(out);
    return hr;
  }
  if (vt == VT_BSTR && src->bstrVal) {
    out->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal), SysStringByteLen(src->bstrVal));
    if (!out->bstrVal) {
      VariantInit(out);
      return E_OUTOFMEMORY;
    }
  }
  if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && src->punkVal) src->punkVal->AddRef();
  return S_OK;
}

// Replaces dest by an already-owned value; on failure to clear dest, frees
// the value instead so nothing leaks.
HRESULT Install(VARIANT* dest, VARIANT* value) {
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(value);
    return hr;
  }
  *dest = *value;
  return S_OK;
}

}  // namespace

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  if (!ZelIsValidVarType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  VARIANT tmp;
  HRESULT hr = CopyInto(&tmp, pvargSrc);
  return FAILED(hr) ? hr : Install(pvargDest, &tmp);
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (!pvarDest || !pvargSrc) return E_INVALIDARG;
  if (!(pvargSrc->vt & VT_BYREF)) return pvarDest == pvargSrc ? S_OK : VariantCopy(pvarDest, pvargSrc);
  if (!ZelIsValidVarType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  if (!pvargSrc->byref) return E_INVALIDARG;
  VARTYPE vt = pvargSrc->vt & ~VT_BYREF;
  VARIANT direct;
  VariantInit(&direct);
  if (vt == VT_VARIANT) {
    // one level of reference only, as a reference to a reference has no owner
    if (pvargSrc->pvarVal->vt & VT_BYREF) return E_INVALIDARG;
    direct = *pvargSrc->pvarVal;
  } else if (vt == VT_DECIMAL) {
    direct.decVal = *pvargSrc->pdecVal;
  } else if (vt & VT_ARRAY) {
    direct.parray = *pvargSrc->pparray;
  } else {
    // every other kind is at most 8 bytes at the start of the value union
    memcpy(&direct.llVal, pvargSrc->byref, ZelVarTypeSize(vt));
  }
  if (vt != VT_VARIANT) direct.vt = vt;
  VARIANT tmp;
  HRESULT hr = CopyInto(&tmp, &direct);
  return FAILED(hr) ? hr : Install(pvarDest, &tmp);
}
