// The management service: a locator connects to the namespace ROOT\CIMV2,
// whose one class Win32_LogicalDisk is queried with
// "SELECT * FROM Win32_LogicalDisk" (WQL, any case, nothing after the
// class). The query takes a snapshot of the volumes (Volumes.h); each
// object answers Name and DeviceID ("E:"), DriveType and MediaType (VT_I4;
// MediaType VT_NULL when unknown), FileSystem, Size and FreeSpace (VT_BSTR,
// sizes as decimal text as the original gives 64-bit counts; VT_NULL when
// unknown) and VolumeName.
#pragma once

#include "ZELExport.h"
#include "platform/base/Com.h"
#include "platform/oleaut/Variant.h"

typedef long CIMTYPE;
#define CIM_SINT32 3
#define CIM_STRING 8
#define CIM_UINT32 19
#define CIM_UINT64 21

#define WBEM_INFINITE 0xFFFFFFFF
#define WBEM_FLAG_RETURN_IMMEDIATELY 0x10
#define WBEM_FLAG_FORWARD_ONLY 0x20
#define WBEM_S_NO_ERROR 0
#define WBEM_S_FALSE 1
#define WBEM_E_FAILED ((HRESULT)0x80041001L)
#define WBEM_E_NOT_FOUND ((HRESULT)0x80041002L)
#define WBEM_E_INVALID_PARAMETER ((HRESULT)0x80041008L)
#define WBEM_E_INVALID_NAMESPACE ((HRESULT)0x8004100EL)
#define WBEM_E_INVALID_CLASS ((HRESULT)0x80041010L)
#define WBEM_E_INVALID_QUERY ((HRESULT)0x80041017L)
#define WBEM_E_INVALID_QUERY_TYPE ((HRESULT)0x80041018L)

struct IWbemContext : IUnknown {};

struct IWbemClassObject : IUnknown {
  // The property into pVal (which the caller clears); WBEM_E_NOT_FOUND for
  // a name the class does not have.
  virtual HRESULT Get(LPCWSTR wszName, long lFlags, VARIANT* pVal, CIMTYPE* pType, long* plFlavor) = 0;
};

struct IEnumWbemClassObject : IUnknown {
  // At most uCount objects into apObjects; WBEM_S_FALSE with fewer when the
  // results are exhausted.
  virtual HRESULT Next(long lTimeout, ULONG uCount, IWbemClassObject** apObjects, ULONG* puReturned) = 0;
  virtual HRESULT Reset() = 0;
};

struct IWbemServices : IUnknown {
  virtual HRESULT ExecQuery(const BSTR strQueryLanguage, const BSTR strQuery, long lFlags, IWbemContext* pCtx,
                            IEnumWbemClassObject** ppEnum) = 0;
};

struct IWbemLocator : IUnknown {
  virtual HRESULT ConnectServer(const BSTR strNetworkResource, const BSTR strUser, const BSTR strPassword,
                                const BSTR strLocale, long lSecurityFlags, const BSTR strAuthority,
                                IWbemContext* pCtx, IWbemServices** ppNamespace) = 0;
};

_COM_SMARTPTR_TYPEDEF(IWbemClassObject, IID_IWbemClassObject);
_COM_SMARTPTR_TYPEDEF(IEnumWbemClassObject, IID_IEnumWbemClassObject);
_COM_SMARTPTR_TYPEDEF(IWbemServices, IID_IWbemServices);
_COM_SMARTPTR_TYPEDEF(IWbemLocator, IID_IWbemLocator);

ZEL_EXPORT extern const CLSID CLSID_WbemLocator;
ZEL_EXPORT extern const IID IID_IWbemLocator;
// The creator CoCreateInstance finds: REGDB_E_CLASSNOTREG for any class
// but the locator.
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, IWbemLocator** ppOut);
