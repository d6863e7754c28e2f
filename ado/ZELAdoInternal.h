// What the ZELAdo source files share: the guarded region, in which a
// failure of the database layer becomes one report and an after-action,
// and the field and parameter keys.
#pragma once

#include "AdoSites.h"
#include "ZELAdo.h"

// The library's one failure frame, reporting from the class's site table.
template <class Body>
BOOL ZELAdo::Guard(ZelAdoSite site, AfterAction nAfter, Body&& body) {
  return ZelGuarded(body, [&](const ZELFailure& f) { ReportFailure(site, f, nAfter); });
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
