#include "platform/oleaut/SafeArray.h"

#include <cstdlib>
#include <cstring>

// The element kind is kept in a word just before the descriptor, where the
// descriptor itself has no room for it.
namespace {

const size_t kPrefix = 16;

VARTYPE& KindOf(SAFEARRAY* psa) { return *reinterpret_cast<VARTYPE*>(reinterpret_cast<char*>(psa) - sizeof(DWORD)); }

USHORT FeaturesOf(VARTYPE vt) {
  USHORT f = FADF_HAVEVARTYPE;
  if (vt == VT_BSTR) f |= FADF_BSTR;
  if (vt == VT_UNKNOWN) f |= FADF_UNKNOWN;
  if (vt == VT_DISPATCH) f |= FADF_DISPATCH;
  if (vt == VT_VARIANT) f |= FADF_VARIANT;
  return f;
}

// Total element count, or false when it (or its bytes) would not fit memory.
bool CountOf(const SAFEARRAYBOUND* b, UINT cDims, ULONG cb, size_t& count) {
  count = 1;
  for (UINT i = 0; i < cDims; ++i)
    if (__builtin_mul_overflow(count, static_cast<size_t>(b[i].cElements), &count)) return false;
  size_t bytes;
  return !__builtin_mul_overflow(count, static_cast<size_t>(cb), &bytes) && bytes < (static_cast<size_t>(1) << 40);
}

size_t CountOf(SAFEARRAY* psa) {
  size_t n = 1;
  for (USHORT i = 0; i < psa->cDims; ++i) n *= psa->rgsabound[i].cElements;
  return n;
}

// Frees what elements [from, to) own and zeroes them.
void ReleaseElements(SAFEARRAY* psa, size_t from, size_t to) {
  char* p = static_cast<char*>(psa->pvData);
  for (size_t i = from; i < to; ++i) {
    void* e = p + i * psa->cbElements;
    if (psa->fFeatures & FADF_BSTR) SysFreeString(*static_cast<BSTR*>(e));
    if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH))
      if (IUnknown* u = *static_cast<IUnknown**>(e)) u->Release();
    if (psa->fFeatures & FADF_VARIANT) VariantClear(static_cast<VARIANT*>(e));
  }
  if (to > from) memset(p + from * psa->cbElements, 0, (to - from) * psa->cbElements);
}

// Copies one element value into an element slot the caller has emptied,
// with the ownership rules of the kind. For BSTR and objects `src` is the
// address of the pointer.
HRESULT CopyElement(SAFEARRAY* psa, void* dst, const void* src) {
  if (psa->fFeatures & FADF_BSTR) {
    BSTR s = *static_cast<const BSTR*>(src);
    BSTR c = s ? SysAllocStringByteLen(reinterpret_cast<LPCSTR>(s), SysStringByteLen(s)) : nullptr;
    if (s && !c) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(dst) = c;
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* u = *static_cast<IUnknown* const*>(src);
    if (u) u->AddRef();
    *static_cast<IUnknown**>(dst) = u;
  } else if (psa->fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(dst));
    return VariantCopy(static_cast<VARIANT*>(dst), static_cast<const VARIANT*>(src));
  } else {
    memcpy(dst, src, psa->cbElements);
  }
  return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  ULONG cb = ZelVarTypeSize(vt);
  size_t count;
  if (cb == 0 || cDims == 0 || cDims > 0xFFFF || !rgsabound || !CountOf(rgsabound, cDims, cb, count)) return nullptr;
  size_t descBytes = sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
  char* block = static_cast<char*>(calloc(1, kPrefix + descBytes));
  if (!block) return nullptr;
  SAFEARRAY* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
  psa->pvData = calloc(count ? count : 1, cb);
  if (!psa->pvData) {
    free(block);
    return nullptr;
  }
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = FeaturesOf(vt);
  psa->cbElements = cb;
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[i] = rgsabound[cDims - 1 - i];  // stored last-to-first
  KindOf(psa) = vt;
  return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND b = {cElements, lLbound};
  return SafeArrayCreate(vt, 1, &b);
}

HRESULT SafeArrayDestroyData(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(psa, 0, CountOf(psa));
  return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  HRESULT hr = SafeArrayDestroyData(psa);
  if (FAILED(hr)) return hr;
  free(psa->pvData);
  free(reinterpret_cast<char*>(psa) - kPrefix);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  SAFEARRAYBOUND bounds[64];
  SAFEARRAYBOUND* b = psa->cDims <= 64 ? bounds : new SAFEARRAYBOUND[psa->cDims];
  for (USHORT i = 0; i < psa->cDims; ++i) b[i] = psa->rgsabound[psa->cDims - 1 - i];
  SAFEARRAY* out = SafeArrayCreate(KindOf(psa), psa->cDims, b);
  if (b != bounds) delete[] b;
  if (!out) return E_OUTOFMEMORY;
  size_t n = CountOf(psa);
  for (size_t i = 0; i < n; ++i) {
    HRESULT hr = CopyElement(out, static_cast<char*>(out->pvData) + i * out->cbElements,
                             static_cast<char*>(psa->pvData) + i * psa->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(out);
      return hr;
    }
  }
  *ppsaOut = out;
  return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew) {
  if (!psa || !psaboundNew) return E_INVALIDARG;
  if (psa->cLocks || (psa->fFeatures & FADF_FIXEDSIZE)) return DISP_E_ARRAYISLOCKED;
  // the last dimension is the most significant one in memory, so only the
  // tail of the data grows or shrinks
  size_t oldCount = CountOf(psa);
  SAFEARRAYBOUND saved = psa->rgsabound[0];
  psa->rgsabound[0] = *psaboundNew;
  size_t newCount;
  if (!CountOf(psa->rgsabound, psa->cDims, psa->cbElements, newCount)) {
    psa->rgsabound[0] = saved;
    return E_OUTOFMEMORY;
  }
  if (newCount < oldCount) ReleaseElements(psa, newCount, oldCount);
  void* data = realloc(psa->pvData, (newCount ? newCount : 1) * psa->cbElements);
  if (!data) {
    psa->rgsabound[0] = saved;  // the released tail stays zeroed, still valid
    return E_OUTOFMEMORY;
  }
  psa->pvData = data;
  if (newCount > oldCount)
    memset(static_cast<char*>(data) + oldCount * psa->cbElements, 0, (newCount - oldCount) * psa->cbElements);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  *pvt = KindOf(psa);
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - nDim];
  // computed wide: a large count from a low bound could pass LONG's range
  *plUbound = static_cast<LONG>(static_cast<LONGLONG>(b.lLbound) + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks >= 0xFFFF) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  HRESULT hr = SafeArrayLock(psa);
  *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
  return hr;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData) {
  if (!psa || !rgIndices || !ppvData) return E_INVALIDARG;
  // the first index varies fastest in memory
  size_t cell = 0, stride = 1;
  for (USHORT d = 0; d < psa->cDims; ++d) {
    const SAFEARRAYBOUND& b = psa->rgsabound[psa->cDims - 1 - d];
    LONGLONG at = static_cast<LONGLONG>(rgIndices[d]) - b.lLbound;
    if (at < 0 || at >= static_cast<LONGLONG>(b.cElements)) return DISP_E_BADINDEX;
    cell += static_cast<size_t>(at) * stride;
    stride *= b.cElements;
  }
  *ppvData = static_cast<char*>(psa->pvData) + cell * psa->cbElements;
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!pv && !(psa && (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)))) return E_INVALIDARG;
  void* slot;
  HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &slot);
  if (FAILED(hr)) return hr;
  // copy first, then swap in, so a failed copy leaves the old element
  alignas(16) char fresh[sizeof(VARIANT)];
  bool pointerKind = psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH);
  hr = CopyElement(psa, fresh, pointerKind ? &pv : pv);
  if (FAILED(hr)) return hr;
  size_t index = (static_cast<char*>(slot) - static_cast<char*>(psa->pvData)) / psa->cbElements;
  ReleaseElements(psa, index, index + 1);
  memcpy(slot, fresh, psa->cbElements);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!pv) return E_INVALIDARG;
  void* slot;
  HRESULT hr = SafeArrayPtrOfIndex(psa, rgIndices, &slot);
  return FAILED(hr) ? hr : CopyElement(psa, pv, slot);
}
