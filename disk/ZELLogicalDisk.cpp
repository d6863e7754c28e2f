#include "ZELLogicalDisk.h"

#include <cstdlib>

#include "ZELGF.h"

namespace {

// The service gives 64-bit counts as decimal text. Text that is not a
// whole number counts as 0 rather than as its leading digits.
LONGLONG DecimalText(const VARIANT& v) {
  if (v.vt != VT_BSTR || !v.bstrVal || !v.bstrVal[0]) return 0;
  LONGLONG n = 0;
  for (const wchar_t* p = v.bstrVal; *p; ++p) {
    if (*p < L'0' || *p > L'9') return 0;
    if (n > (INT64_MAX - (*p - L'0')) / 10) return 0;
    n = n * 10 + (*p - L'0');
  }
  return n;
}

// One property into a VARIANT the caller owns; FALSE when the service
// cannot give it.
class Property {
public:
  Property() { VariantInit(&m_v); }
  ~Property() { VariantClear(&m_v); }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;
  bool Read(IWbemClassObject* p, const wchar_t* name) {
    VariantClear(&m_v);
    return !FAILED(p->Get(name, 0, &m_v, NULL, NULL));
  }
  const VARIANT& v() const { return m_v; }
  // The value as the given kind, whatever kind it came as; NULL when it
  // does not convert.
  const VARIANT* As(VARTYPE vt) {
    if (m_v.vt != vt && FAILED(VariantChangeType(&m_v, &m_v, 0, vt))) return NULL;
    return &m_v;
  }

private:
  VARIANT m_v;
};

}  // namespace

ZELLogicalDisk::ZELLogicalDisk() : m_pCallBack(NULL), m_bFormatResult(0), m_bFormatting(0) {}

ZELLogicalDisk::~ZELLogicalDisk() {}

int ZELLogicalDisk::EnumerateLogicalDisk() { return EnumerateDisk(0); }

int ZELLogicalDisk::EnumerateRemovalDisk() { return EnumerateDisk(1); }

int ZELLogicalDisk::GetCount() { return static_cast<int>(m_arrDisk.GetSize()); }

int ZELLogicalDisk::GetDriveInfo(int index, __ZEL_PHYSICAL_DISK& info) {
  if (index < 0 || index >= GetCount()) return FALSE;
  info = m_arrDisk[index];
  return TRUE;
}

int ZELLogicalDisk::EnumerateDisk(int bRemovableOnly) {
  m_arrDisk.RemoveAll();
  if (FAILED(CoInitializeEx(NULL, COINIT_MULTITHREADED))) return 0;
  IWbemLocator* pLocator = NULL;
  IWbemServices* pServices = NULL;
  IEnumWbemClassObject* pEnum = NULL;
  BSTR ns = SysAllocString(L"ROOT\\CIMV2");
  BSTR language = SysAllocString(L"WQL");
  BSTR query = SysAllocString(L"Select * from Win32_LogicalDisk");
  bool ready = ns && language && query;
  ready = ready && !FAILED(CoInitializeSecurity(NULL, -1, NULL, NULL, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                RPC_C_IMP_LEVEL_IMPERSONATE, NULL, EOAC_NONE, NULL));
  ready = ready && !FAILED(CoCreateInstance(CLSID_WbemLocator, NULL, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                            &pLocator));
  ready = ready && !FAILED(pLocator->ConnectServer(ns, NULL, NULL, NULL, 0, NULL, NULL, &pServices));
  ready = ready && !FAILED(CoSetProxyBlanket(pServices, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, NULL,
                                             RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, NULL, EOAC_NONE));
  ready = ready && !FAILED(pServices->ExecQuery(language, query, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                                NULL, &pEnum));
  while (ready) {
    ZELGF::PeekMsg(NULL);
    IWbemClassObject* pObject = NULL;
    ULONG nReturned = 0;
    HRESULT hr = pEnum->Next(static_cast<long>(WBEM_INFINITE), 1, &pObject, &nReturned);
    if (nReturned == 1 && pObject) {
      __ZEL_PHYSICAL_DISK record{};
      if (GetDriveInfo(pObject, record, bRemovableOnly)) m_arrDisk.Add(record);
      pObject->Release();
    }
    if (hr != S_OK) break;
  }
  if (pEnum) pEnum->Release();
  if (pServices) pServices->Release();
  if (pLocator) pLocator->Release();
  SysFreeString(ns);
  SysFreeString(language);
  SysFreeString(query);
  CoUninitialize();
  return GetCount();
}

int ZELLogicalDisk::GetDriveInfo(IWbemClassObject* pObject, __ZEL_PHYSICAL_DISK& info, int bRemovableOnly) {
  Property p;
  if (!p.Read(pObject, L"Name")) return FALSE;
  const VARIANT* name = p.As(VT_BSTR);
  info.strName = name ? CString(name->bstrVal) : CString();
  if (!p.Read(pObject, L"DriveType")) return FALSE;
  const VARIANT* type = p.As(VT_I4);
  LONG driveType = type ? type->lVal : 0;
  if (bRemovableOnly && driveType != 2) return FALSE;
  info.nDriveType = driveType;
  if (!p.Read(pObject, L"MediaType")) return FALSE;
  if (p.v().vt == VT_I4) {
    if (bRemovableOnly && p.v().lVal != 11) return FALSE;
    info.nMediaType = p.v().lVal;
  } else {
    info.nMediaType = 0;
  }
  if (!p.Read(pObject, L"FileSystem")) return FALSE;
  info.strFileSystem = p.v().vt == VT_BSTR ? CString(p.v().bstrVal) : CString();
  if (!p.Read(pObject, L"Size")) return FALSE;
  info.nSize = DecimalText(p.v());
  if (!p.Read(pObject, L"FreeSpace")) return FALSE;
  info.nFreeSpace = DecimalText(p.v());
  return TRUE;
}
