#include "platform/base/Com.h"

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

namespace {

// The apartment of the calling thread: its mode and how many successful
// initialisations are still to be undone.
struct Apartment {
  DWORD mode = 0;
  int count = 0;
};
thread_local Apartment t_apartment;

DWORD ModeOf(DWORD dwCoInit) {
  return (dwCoInit & COINIT_APARTMENTTHREADED) ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
}

}  // namespace

HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
  if (pvReserved) return E_INVALIDARG;
  DWORD mode = ModeOf(dwCoInit);
  Apartment& a = t_apartment;
  if (a.count == 0) {
    a.mode = mode;
    a.count = 1;
    return S_OK;
  }
  if (a.mode != mode) return RPC_E_CHANGED_MODE;
  ++a.count;
  return S_FALSE;
}

HRESULT CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  // An unbalanced call is ignored rather than driving the count negative.
  if (t_apartment.count > 0) --t_apartment.count;
}

BOOL ZelComIsInitialized() { return t_apartment.count > 0 ? TRUE : FALSE; }

HRESULT CoInitializeSecurity(LPVOID, LONG, LPVOID, LPVOID, DWORD, DWORD, LPVOID, DWORD, LPVOID) {
  return ZelComIsInitialized() ? S_OK : CO_E_NOTINITIALIZED;
}

HRESULT CoSetProxyBlanket(IUnknown* pProxy, DWORD, DWORD, LPWSTR, DWORD, DWORD, LPVOID, DWORD) {
  return pProxy ? S_OK : E_INVALIDARG;
}
