// SAFEARRAY: a bounded array of automation values with the Windows layout.
// Dimensions are stored last-to-first in rgsabound, as on Windows, so
// dimension 1 (the leftmost index) is rgsabound[cDims - 1]. Elements of kind
// BSTR, VARIANT, UNKNOWN and DISPATCH are owned by the array.
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/Variant.h"

typedef struct tagSAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
} SAFEARRAYBOUND, *LPSAFEARRAYBOUND;

struct tagSAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

#define FADF_AUTO 0x0001
#define FADF_STATIC 0x0002
#define FADF_EMBEDDED 0x0004
#define FADF_FIXEDSIZE 0x0010
#define FADF_RECORD 0x0020
#define FADF_HAVEIID 0x0040
#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800

// Element kinds: I1 I2 I4 I8 UI1 UI2 UI4 UI8 INT UINT R4 R8 CY DATE BSTR
// DISPATCH ERROR BOOL VARIANT UNKNOWN DECIMAL. NULL for any other kind, for
// cDims 0, or for a size that does not fit memory.
ZEL_EXPORT SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
ZEL_EXPORT SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// DISP_E_ARRAYISLOCKED while locked (the array is not destroyed then).
ZEL_EXPORT HRESULT SafeArrayDestroy(SAFEARRAY* psa);
ZEL_EXPORT HRESULT SafeArrayDestroyData(SAFEARRAY* psa);  // frees elements, keeps shape
ZEL_EXPORT HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
// Changes the element count of the last (rightmost) dimension, keeping the
// elements that stay and freeing those that go.
ZEL_EXPORT HRESULT SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew);

ZEL_EXPORT UINT SafeArrayGetDim(SAFEARRAY* psa);
ZEL_EXPORT UINT SafeArrayGetElemsize(SAFEARRAY* psa);
ZEL_EXPORT HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// nDim counts from 1; DISP_E_BADINDEX for a dimension the array does not have.
ZEL_EXPORT HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
ZEL_EXPORT HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);

ZEL_EXPORT HRESULT SafeArrayLock(SAFEARRAY* psa);
ZEL_EXPORT HRESULT SafeArrayUnlock(SAFEARRAY* psa);  // E_UNEXPECTED when not locked
ZEL_EXPORT HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
ZEL_EXPORT HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
// rgIndices has one index per dimension, leftmost first. DISP_E_BADINDEX
// when out of bounds.
ZEL_EXPORT HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData);
// Put copies pv into the array (a BSTR's text, a VARIANT deeply, an object
// with a new reference); Get copies out the same way, so the caller frees
// what Get gives.
ZEL_EXPORT HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
ZEL_EXPORT HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
