#include "platform/oleaut/VariantT.h"

#include <cstring>

const _variant_t vtMissing(_variant_t::ZelErrorConstant{}, DISP_E_PARAMNOTFOUND);

namespace {

void Check(HRESULT hr) {
  if (FAILED(hr)) _com_issue_error(hr);
}

// The value of v as kind vt in a fresh variant the caller clears.
VARIANT As(const VARIANT& v, VARTYPE vt) {
  VARIANT out;
  VariantInit(&out);
  Check(v.vt == vt ? VariantCopy(&out, &v) : VariantChangeType(&out, &v, 0, vt));
  return out;
}

// The short and int forms: the integer kind asked for, or a truth value.
void SetNarrow(VARIANT* v, LONG value, VARTYPE vtSrc) {
  v->vt = vtSrc;
  if (vtSrc == VT_BOOL)
    v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  else if (vtSrc == VT_I2)
    v->iVal = static_cast<SHORT>(value);
  else
    v->lVal = value;
}

BSTR CheckedBstr(BSTR b, bool hadSource) {
  if (!b && hadSource) _com_issue_error(E_OUTOFMEMORY);
  return b;
}

}  // namespace

_variant_t::_variant_t() noexcept { VariantInit(this); }

_variant_t::_variant_t(const VARIANT& varSrc) {
  VariantInit(this);
  Check(VariantCopy(this, &varSrc));
}

_variant_t::_variant_t(const VARIANT* pSrc) {
  VariantInit(this);
  if (!pSrc) _com_issue_error(E_POINTER);
  Check(VariantCopy(this, pSrc));
}

_variant_t::_variant_t(const _variant_t& varSrc) : _variant_t(static_cast<const VARIANT&>(varSrc)) {}

_variant_t::_variant_t(_variant_t&& varSrc) noexcept {
  memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&varSrc), sizeof(VARIANT));
  VariantInit(&varSrc);
}

_variant_t::_variant_t(VARIANT& varSrc, bool fCopy) {
  VariantInit(this);
  if (fCopy) {
    Check(VariantCopy(this, &varSrc));
  } else {
    memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
    VariantInit(&varSrc);
  }
}

_variant_t::_variant_t(short sSrc, VARTYPE vtSrc) {
  VariantInit(this);
  if (vtSrc != VT_I2 && vtSrc != VT_BOOL) _com_issue_error(E_INVALIDARG);
  SetNarrow(this, sSrc, vtSrc);
}

_variant_t::_variant_t(int iSrc, VARTYPE vtSrc) {
  VariantInit(this);
  if (vtSrc != VT_I4 && vtSrc != VT_INT && vtSrc != VT_ERROR && vtSrc != VT_BOOL) _com_issue_error(E_INVALIDARG);
  SetNarrow(this, iSrc, vtSrc);
}

_variant_t::_variant_t(long lSrc, VARTYPE vtSrc) {
  VariantInit(this);
  bool fits = lSrc >= INT32_MIN && lSrc <= INT32_MAX;
  if (vtSrc == VT_BOOL) {
    SetNarrow(this, lSrc != 0, VT_BOOL);
  } else if (vtSrc == VT_I8 || (vtSrc == VT_I4 && !fits)) {
    vt = VT_I8;
    llVal = lSrc;
  } else if ((vtSrc == VT_I4 || vtSrc == VT_ERROR) && fits) {
    SetNarrow(this, static_cast<LONG>(lSrc), vtSrc);
  } else {
    _com_issue_error(vtSrc == VT_ERROR ? DISP_E_OVERFLOW : E_INVALIDARG);
  }
}

_variant_t::_variant_t(long long llSrc) {
  VariantInit(this);
  vt = VT_I8;
  llVal = llSrc;
}

_variant_t::_variant_t(float fltSrc) noexcept {
  VariantInit(this);
  vt = VT_R4;
  fltVal = fltSrc;
}

_variant_t::_variant_t(double dblSrc, VARTYPE vtSrc) {
  VariantInit(this);
  if (vtSrc != VT_R8 && vtSrc != VT_DATE) _com_issue_error(E_INVALIDARG);
  vt = vtSrc;
  dblVal = dblSrc;
}

_variant_t::_variant_t(const CY& cySrc) noexcept {
  VariantInit(this);
  vt = VT_CY;
  cyVal = cySrc;
}

_variant_t::_variant_t(const _bstr_t& bstrSrc) {
  VariantInit(this);
  bstrVal = bstrSrc.copy();
  vt = VT_BSTR;
}

_variant_t::_variant_t(const wchar_t* pSrc) {
  VariantInit(this);
  bstrVal = CheckedBstr(SysAllocString(pSrc), pSrc != nullptr);
  vt = VT_BSTR;
}

_variant_t::_variant_t(const char* pSrc) {
  VariantInit(this);
  bstrVal = CheckedBstr(ZelBstrFromUtf8(pSrc), pSrc != nullptr);
  vt = VT_BSTR;
}

_variant_t::_variant_t(IDispatch* pSrc, bool fAddRef) noexcept {
  VariantInit(this);
  vt = VT_DISPATCH;
  pdispVal = pSrc;
  if (fAddRef && pSrc) pSrc->AddRef();
}

_variant_t::_variant_t(bool boolSrc) noexcept {
  VariantInit(this);
  vt = VT_BOOL;
  boolVal = boolSrc ? VARIANT_TRUE : VARIANT_FALSE;
}

_variant_t::_variant_t(IUnknown* pSrc, bool fAddRef) noexcept {
  VariantInit(this);
  vt = VT_UNKNOWN;
  punkVal = pSrc;
  if (fAddRef && pSrc) pSrc->AddRef();
}

_variant_t::_variant_t(const DECIMAL& decSrc) noexcept {
  decVal = decSrc;
  vt = VT_DECIMAL;  // overlays decVal.wReserved
}

_variant_t::_variant_t(BYTE bSrc) noexcept {
  VariantInit(this);
  vt = VT_UI1;
  bVal = bSrc;
}

_variant_t::_variant_t(char cSrc) noexcept {
  VariantInit(this);
  vt = VT_I1;
  cVal = cSrc;
}

_variant_t::_variant_t(signed char cSrc) noexcept : _variant_t(static_cast<char>(cSrc)) {}

_variant_t::_variant_t(unsigned short usSrc) noexcept {
  VariantInit(this);
  vt = VT_UI2;
  uiVal = usSrc;
}

_variant_t::_variant_t(unsigned int uiSrc) noexcept {
  VariantInit(this);
  vt = VT_UI4;
  ulVal = uiSrc;
}

_variant_t::_variant_t(unsigned long ulSrc) noexcept {
  VariantInit(this);
  if (ulSrc <= UINT32_MAX) {
    vt = VT_UI4;
    ulVal = static_cast<ULONG>(ulSrc);
  } else {
    vt = VT_UI8;
    ullVal = ulSrc;
  }
}

_variant_t::_variant_t(unsigned long long ullSrc) noexcept {
  VariantInit(this);
  vt = VT_UI8;
  ullVal = ullSrc;
}

_variant_t::~_variant_t() { VariantClear(this); }

_variant_t::operator short() const { return As(*this, VT_I2).iVal; }
_variant_t::operator int() const { return As(*this, VT_I4).lVal; }
_variant_t::operator long() const { return As(*this, VT_I8).llVal; }
_variant_t::operator float() const { return As(*this, VT_R4).fltVal; }
_variant_t::operator double() const { return As(*this, VT_R8).dblVal; }
_variant_t::operator CY() const { return As(*this, VT_CY).cyVal; }
_variant_t::operator bool() const { return As(*this, VT_BOOL).boolVal != 0; }
_variant_t::operator BYTE() const { return As(*this, VT_UI1).bVal; }
_variant_t::operator char() const { return As(*this, VT_I1).cVal; }
_variant_t::operator unsigned short() const { return As(*this, VT_UI2).uiVal; }
_variant_t::operator unsigned int() const { return As(*this, VT_UI4).ulVal; }
_variant_t::operator unsigned long() const { return As(*this, VT_UI8).ullVal; }

_variant_t::operator DECIMAL() const {
  DECIMAL d = As(*this, VT_DECIMAL).decVal;
  d.wReserved = 0;
  return d;
}

// The converted variant owns a string or a reference, which passes on.
_variant_t::operator _bstr_t() const { return _bstr_t(As(*this, VT_BSTR).bstrVal, false); }
_variant_t::operator IDispatch*() const { return As(*this, VT_DISPATCH).pdispVal; }
_variant_t::operator IUnknown*() const { return As(*this, VT_UNKNOWN).punkVal; }

_variant_t& _variant_t::operator=(const VARIANT& varSrc) {
  Check(VariantCopy(this, &varSrc));
  return *this;
}

_variant_t& _variant_t::operator=(const VARIANT* pSrc) {
  if (!pSrc) _com_issue_error(E_POINTER);
  return *this = *pSrc;
}

_variant_t& _variant_t::operator=(const _variant_t& varSrc) { return *this = static_cast<const VARIANT&>(varSrc); }

_variant_t& _variant_t::operator=(_variant_t&& varSrc) noexcept {
  if (this != &varSrc) {
    VariantClear(this);
    memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&varSrc), sizeof(VARIANT));
    VariantInit(&varSrc);
  }
  return *this;
}

_variant_t& _variant_t::operator=(short sSrc) { return *this = _variant_t(sSrc); }
_variant_t& _variant_t::operator=(int iSrc) { return *this = _variant_t(iSrc); }
_variant_t& _variant_t::operator=(long lSrc) { return *this = _variant_t(lSrc); }
_variant_t& _variant_t::operator=(long long llSrc) { return *this = _variant_t(llSrc); }
_variant_t& _variant_t::operator=(float fltSrc) { return *this = _variant_t(fltSrc); }
_variant_t& _variant_t::operator=(double dblSrc) { return *this = _variant_t(dblSrc); }
_variant_t& _variant_t::operator=(const CY& cySrc) { return *this = _variant_t(cySrc); }
_variant_t& _variant_t::operator=(const _bstr_t& bstrSrc) { return *this = _variant_t(bstrSrc); }
_variant_t& _variant_t::operator=(const wchar_t* pSrc) { return *this = _variant_t(pSrc); }
_variant_t& _variant_t::operator=(const char* pSrc) { return *this = _variant_t(pSrc); }
_variant_t& _variant_t::operator=(IDispatch* pSrc) { return *this = _variant_t(pSrc); }
_variant_t& _variant_t::operator=(bool boolSrc) { return *this = _variant_t(boolSrc); }
_variant_t& _variant_t::operator=(IUnknown* pSrc) { return *this = _variant_t(pSrc); }
_variant_t& _variant_t::operator=(const DECIMAL& decSrc) { return *this = _variant_t(decSrc); }
_variant_t& _variant_t::operator=(BYTE bSrc) { return *this = _variant_t(bSrc); }
_variant_t& _variant_t::operator=(char cSrc) { return *this = _variant_t(cSrc); }
_variant_t& _variant_t::operator=(unsigned short usSrc) { return *this = _variant_t(usSrc); }
_variant_t& _variant_t::operator=(unsigned int uiSrc) { return *this = _variant_t(uiSrc); }
_variant_t& _variant_t::operator=(unsigned long ulSrc) { return *this = _variant_t(ulSrc); }
_variant_t& _variant_t::operator=(unsigned long long ullSrc) { return *this = _variant_t(ullSrc); }

bool _variant_t::operator==(const VARIANT& varSrc) const noexcept {
  if (vt != varSrc.vt) return false;
  if (vt & (VT_ARRAY | VT_BYREF)) return parray == varSrc.parray;  // identity
  switch (vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_R4: return fltVal == varSrc.fltVal;
    case VT_R8: case VT_DATE: return dblVal == varSrc.dblVal;
    case VT_DECIMAL: return VarDecCmp(&decVal, &varSrc.decVal) == VARCMP_EQ;
    case VT_BSTR: {
      UINT n = SysStringByteLen(bstrVal);
      return n == SysStringByteLen(varSrc.bstrVal) && (n == 0 || memcmp(bstrVal, varSrc.bstrVal, n) == 0);
    }
    default: return memcmp(&llVal, &varSrc.llVal, ZelVarTypeSize(vt)) == 0;
  }
}

bool _variant_t::operator==(const VARIANT* pSrc) const noexcept { return pSrc ? *this == *pSrc : false; }
bool _variant_t::operator!=(const VARIANT& varSrc) const noexcept { return !(*this == varSrc); }
bool _variant_t::operator!=(const VARIANT* pSrc) const noexcept { return !(*this == pSrc); }

void _variant_t::Clear() { Check(VariantClear(this)); }

void _variant_t::Attach(VARIANT& varSrc) {
  Clear();
  memcpy(static_cast<VARIANT*>(this), &varSrc, sizeof(VARIANT));
  VariantInit(&varSrc);
}

VARIANT _variant_t::Detach() {
  VARIANT out = *this;
  VariantInit(this);
  return out;
}

VARIANT& _variant_t::GetVARIANT() noexcept { return *this; }

VARIANT* _variant_t::GetAddress() {
  Clear();
  return this;
}

void _variant_t::ChangeType(VARTYPE vartype, const _variant_t* pSrc) {
  if (!pSrc) pSrc = this;
  if (pSrc == this && vt == vartype) return;
  Check(VariantChangeType(this, pSrc, 0, vartype));
}

void _variant_t::SetString(const char* pSrc) { *this = pSrc; }
