// What the ZELAdo source files share: the guarded region, in which
// everything the database layer raises becomes one report and an
// after-action, and the field and parameter keys.
#pragma once

#include <new>

#include "ZELAdo.h"

template <class Body>
BOOL ZELAdo::Guard(const wchar_t* pszFunction, int nLine, AfterAction nAfter, Body&& body) {
  try {
    body();
    return TRUE;
  } catch (const _com_error& e) {
    _bstr_t description = e.Description();
    ReportComError(e.Error(), description.length() ? static_cast<const wchar_t*>(description) : NULL, pszFunction,
                   nLine, nAfter);
  } catch (const std::bad_alloc&) {
    // A string or value that could not be made is reported like the
    // platform's own allocation failure.
    ReportComError(E_OUTOFMEMORY, NULL, pszFunction, nLine, nAfter);
  }
  return FALSE;
}

// The handle, or the platform's invalid-pointer error when there is none.
template <class T>
T* ZelAdoNeed(const _com_ptr_t<T>& p) {
  if (p == NULL) _com_issue_error(E_POINTER);
  return p.GetInterfacePtr();
}

// Keys of fields and parameters: a VT_I4 position or a VT_BSTR name.
inline _variant_t ZelAdoPositionKey(long nIndex) { return _variant_t(static_cast<LONG>(nIndex)); }
inline _variant_t ZelAdoNameKey(const wchar_t* pszName) { return _variant_t(pszName ? pszName : L""); }
