// COM apartments, reference-counted objects and their handles.
//
// An object is a C++ class deriving from IUnknown; its count starts at 0 and
// the object deletes itself when the last reference goes. A handle,
// _com_ptr_t<T>, holds one reference. There is no registry of classes:
// CreateInstance finds the creator of an interface by argument-dependent
// lookup, an overload `HRESULT ZelCreateObject(const CLSID&, T** ppOut)`
// that each stand-in declares next to its interfaces, answering
// REGDB_E_CLASSNOTREG for a class id it does not know. So nothing runs at
// load time.
#pragma once

#include "ZELExport.h"

#include <atomic>
#include <cstring>
#include <memory>

#include "platform/base/WinTypes.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
typedef GUID CLSID;
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const CLSID& REFCLSID;
typedef const IID& REFIID;
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)
#define IsEqualIID(a, b) IsEqualGUID(a, b)
extern ZEL_EXPORT const GUID GUID_NULL;

// Apartments. The first initialisation of a thread answers S_OK, another of
// the same mode S_FALSE (each needs its CoUninitialize), the other mode
// RPC_E_CHANGED_MODE without counting.
#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_DISABLE_OLE1DDE 0x4
#define COINIT_SPEED_OVER_MEMORY 0x8
ZEL_EXPORT HRESULT CoInitialize(LPVOID pvReserved);
ZEL_EXPORT HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
ZEL_EXPORT void CoUninitialize();
// TRUE while the calling thread is in an apartment; stand-ins answer
// CO_E_NOTINITIALIZED when it is not.
ZEL_EXPORT BOOL ZelComIsInitialized();

// Security set-up has nothing to do in one process; kept for the callers.
#define RPC_C_AUTHN_LEVEL_DEFAULT 0
#define RPC_C_AUTHN_LEVEL_CALL 3
#define RPC_C_IMP_LEVEL_DEFAULT 0
#define RPC_C_IMP_LEVEL_IMPERSONATE 3
#define RPC_C_AUTHN_WINNT 10
#define RPC_C_AUTHZ_NONE 0
#define EOAC_NONE 0
ZEL_EXPORT HRESULT CoInitializeSecurity(LPVOID pSecDesc, LONG cAuthSvc, LPVOID asAuthSvc, LPVOID pReserved1,
                             DWORD dwAuthnLevel, DWORD dwImpLevel, LPVOID pAuthList, DWORD dwCapabilities,
                             LPVOID pReserved3);
ZEL_EXPORT HRESULT CoSetProxyBlanket(struct IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc, LPWSTR pServerPrincName,
                          DWORD dwAuthnLevel, DWORD dwImpLevel, LPVOID pAuthInfo, DWORD dwCapabilities);

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_REMOTE_SERVER 0x10
#define CLSCTX_INPROC (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

struct IUnknown {
  IUnknown() = default;
  IUnknown(const IUnknown&) = delete;
  IUnknown& operator=(const IUnknown&) = delete;
  virtual ~IUnknown() = default;
  virtual ULONG AddRef() { return ++m_cRef; }
  virtual ULONG Release() {
    ULONG n = --m_cRef;
    if (n == 0) delete this;
    return n;
  }
  // How many references there are now: a plain read, for an owner asking
  // whether its own is the only one, where AddRef and Release would each
  // take a locked bus cycle.
  ULONG ZelRefCount() const { return m_cRef.load(); }

private:
  std::atomic<ULONG> m_cRef{0};
};
typedef IUnknown* LPUNKNOWN;

// The handle. Conversions between handles of different interfaces ask the
// object (dynamic_cast stands in for QueryInterface) and give NULL when it
// does not implement the target.
template <class T>
class _com_ptr_t {
public:
  typedef T Interface;

  _com_ptr_t() = default;
  // From T*, NULL, 0 or nullptr: one form, so none is ambiguous.
  _com_ptr_t(T* p) : m_p(p) { AddRefIf(); }
  _com_ptr_t(T* p, bool fAddRef) : m_p(p) { if (fAddRef) AddRefIf(); }
  _com_ptr_t(const _com_ptr_t& o) : m_p(o.m_p) { AddRefIf(); }
  _com_ptr_t(_com_ptr_t&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  template <class U>
  _com_ptr_t(const _com_ptr_t<U>& o) : m_p(dynamic_cast<T*>(o.GetInterfacePtr())) { AddRefIf(); }
  ~_com_ptr_t() { Release(); }

  _com_ptr_t& operator=(const _com_ptr_t& o) { return *this = o.m_p; }
  _com_ptr_t& operator=(_com_ptr_t&& o) noexcept {
    if (this != std::addressof(o)) {
      T* old = m_p;
      m_p = o.m_p;
      o.m_p = nullptr;
      if (old) old->Release();
    }
    return *this;
  }
  _com_ptr_t& operator=(T* p) {
    if (p) p->AddRef();  // first, in case p is what we hold
    T* old = m_p;
    m_p = p;
    if (old) old->Release();
    return *this;
  }
  template <class U>
  _com_ptr_t& operator=(const _com_ptr_t<U>& o) { return *this = dynamic_cast<T*>(o.GetInterfacePtr()); }

  void Attach(T* p) { Release(); m_p = p; }
  void Attach(T* p, bool fAddRef) { if (fAddRef && p) p->AddRef(); Attach(p); }
  T* Detach() { T* p = m_p; m_p = nullptr; return p; }
  void Release() {
    if (m_p) {
      T* p = m_p;
      m_p = nullptr;
      p->Release();
    }
  }
  void AddRef() { AddRefIf(); }

  T* GetInterfacePtr() const { return m_p; }
  T*& GetInterfacePtr() { return m_p; }
  operator T*() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  // For out-parameters: drops what the handle held and gives the slot.
  T** operator&() { Release(); return &m_p; }

  template <class U>
  HRESULT QueryInterface(REFIID, U*& p) const {
    if (!m_p) return E_POINTER;
    p = dynamic_cast<U*>(m_p);
    if (!p) return E_NOINTERFACE;
    p->AddRef();
    return S_OK;
  }

  // CO_E_NOTINITIALIZED outside an apartment; otherwise whatever the
  // stand-in's creator answers. Aggregation is not supported.
  HRESULT CreateInstance(REFCLSID clsid, IUnknown* pOuter = NULL, DWORD dwClsContext = CLSCTX_ALL) {
    (void)dwClsContext;
    Release();
    if (!ZelComIsInitialized()) return CO_E_NOTINITIALIZED;
    if (pOuter) return CLASS_E_NOAGGREGATION;
    T* p = nullptr;
    HRESULT hr = ZelCreateObject(clsid, &p);
    if (SUCCEEDED(hr)) {
      if (!p) return E_POINTER;
      m_p = p;
    }
    return hr;
  }

  friend bool operator==(const _com_ptr_t& a, const _com_ptr_t& b) { return a.m_p == b.m_p; }
  friend bool operator!=(const _com_ptr_t& a, const _com_ptr_t& b) { return a.m_p != b.m_p; }
  // One pointer form only: NULL (an integer constant on some compilers),
  // 0 and nullptr all convert to T*, so none of them is ambiguous.
  friend bool operator==(const _com_ptr_t& a, T* b) { return a.m_p == b; }
  friend bool operator!=(const _com_ptr_t& a, T* b) { return a.m_p != b; }
  friend bool operator==(T* a, const _com_ptr_t& b) { return a == b.m_p; }
  friend bool operator!=(T* a, const _com_ptr_t& b) { return a != b.m_p; }

private:
  void AddRefIf() { if (m_p) m_p->AddRef(); }
  T* m_p = nullptr;
};

// Handles of different interfaces are equal when they hold the same object.
template <class T, class U>
bool operator==(const _com_ptr_t<T>& a, const _com_ptr_t<U>& b) {
  return dynamic_cast<const void*>(a.GetInterfacePtr()) == dynamic_cast<const void*>(b.GetInterfacePtr());
}
template <class T, class U>
bool operator!=(const _com_ptr_t<T>& a, const _com_ptr_t<U>& b) { return !(a == b); }

typedef _com_ptr_t<IUnknown> IUnknownPtr;
// The iid argument is kept for the shape of callers' declarations.
#define _COM_SMARTPTR_TYPEDEF(Interface, iid) typedef _com_ptr_t<Interface> Interface##Ptr

// The one-call form: creates through the same creator as CreateInstance.
template <class T>
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* pOuter, DWORD dwClsContext, REFIID, T** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  _com_ptr_t<T> p;
  HRESULT hr = p.CreateInstance(clsid, pOuter, dwClsContext);
  if (SUCCEEDED(hr)) *ppv = p.Detach();
  return hr;
}
