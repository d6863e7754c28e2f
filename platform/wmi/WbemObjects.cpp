#include <cwctype>
#include <new>
#include <string>
#include <vector>

#include "platform/base/Utf8.h"
#include "platform/base/WinError.h"
#include "platform/wmi/Volumes.h"
#include "platform/wmi/Wbem.h"

const CLSID CLSID_WbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

namespace {

std::wstring Upper(const wchar_t* s) {
  std::wstring u(s ? s : L"");
  for (auto& c : u) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return u;
}

// The words of a query, split at white space.
std::vector<std::wstring> Words(const std::wstring& s) {
  std::vector<std::wstring> w;
  std::wstring cur;
  for (wchar_t c : s) {
    if (std::iswspace(static_cast<wint_t>(c))) {
      if (!cur.empty()) w.push_back(cur), cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) w.push_back(cur);
  return w;
}

HRESULT SetText(VARIANT* v, const std::string& utf8) {
  std::wstring w = ZelUtf8ToWide(utf8.c_str(), utf8.size());
  v->bstrVal = SysAllocString(w.c_str());
  if (!v->bstrVal) return E_OUTOFMEMORY;
  v->vt = VT_BSTR;
  return S_OK;
}

class LogicalDisk : public IWbemClassObject {
public:
  explicit LogicalDisk(ZelVolume v) : m_v(std::move(v)) {}
  HRESULT Get(LPCWSTR wszName, long, VARIANT* pVal, CIMTYPE* pType, long* plFlavor) override {
    if (!wszName || !pVal) return WBEM_E_INVALID_PARAMETER;
    if (plFlavor) *plFlavor = 0;
    VariantInit(pVal);
    std::wstring name = Upper(wszName);
    CIMTYPE type = CIM_STRING;
    HRESULT hr = S_OK;
    if (name == L"NAME" || name == L"DEVICEID") {
      hr = SetText(pVal, std::string(1, m_v.letter) + ":");
    } else if (name == L"DRIVETYPE" || name == L"MEDIATYPE") {
      type = CIM_UINT32;
      int value = name == L"DRIVETYPE" ? m_v.driveType : m_v.mediaType;
      if (value == ZEL_MEDIA_NONE) {
        pVal->vt = VT_NULL;
      } else {
        pVal->vt = VT_I4;
        pVal->lVal = value;
      }
    } else if (name == L"FILESYSTEM" || name == L"VOLUMENAME") {
      const std::string& s = name == L"FILESYSTEM" ? m_v.fileSystem : m_v.label;
      if (s.empty() && name == L"FILESYSTEM") pVal->vt = VT_NULL;
      else hr = SetText(pVal, s);
    } else if (name == L"SIZE" || name == L"FREESPACE") {
      type = CIM_UINT64;
      bool known = name == L"SIZE" ? m_v.hasSize : m_v.hasFree;
      if (!known) pVal->vt = VT_NULL;
      else hr = SetText(pVal, std::to_string(name == L"SIZE" ? m_v.size : m_v.freeSpace));
    } else {
      return WBEM_E_NOT_FOUND;
    }
    if (pType) *pType = type;
    return hr;
  }

private:
  ZelVolume m_v;
};

class DiskEnum : public IEnumWbemClassObject {
public:
  explicit DiskEnum(std::vector<ZelVolume> v) : m_volumes(std::move(v)) {}
  HRESULT Next(long, ULONG uCount, IWbemClassObject** apObjects, ULONG* puReturned) override {
    if (!apObjects || !puReturned || uCount == 0) return WBEM_E_INVALID_PARAMETER;
    ULONG n = 0;
    for (; n < uCount && m_next < m_volumes.size(); ++n, ++m_next) {
      apObjects[n] = new LogicalDisk(m_volumes[m_next]);
      apObjects[n]->AddRef();
    }
    *puReturned = n;
    return n == uCount ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
  }
  HRESULT Reset() override {
    m_next = 0;
    return S_OK;
  }

private:
  std::vector<ZelVolume> m_volumes;
  size_t m_next = 0;
};

class Services : public IWbemServices {
public:
  HRESULT ExecQuery(const BSTR strQueryLanguage, const BSTR strQuery, long, IWbemContext*,
                    IEnumWbemClassObject** ppEnum) override {
    if (!ppEnum) return WBEM_E_INVALID_PARAMETER;
    *ppEnum = nullptr;
    if (Upper(strQueryLanguage) != L"WQL") return WBEM_E_INVALID_QUERY_TYPE;
    std::vector<std::wstring> w = Words(Upper(strQuery));
    if (w.size() != 4 || w[0] != L"SELECT" || w[1] != L"*" || w[2] != L"FROM") return WBEM_E_INVALID_QUERY;
    if (w[3] != L"WIN32_LOGICALDISK") return WBEM_E_INVALID_CLASS;
    try {
      *ppEnum = new DiskEnum(ZelListVolumes(ZelWmiDiskSystem()));
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    (*ppEnum)->AddRef();
    return S_OK;
  }
};

class Locator : public IWbemLocator {
public:
  HRESULT ConnectServer(const BSTR strNetworkResource, const BSTR, const BSTR, const BSTR, long, const BSTR,
                        IWbemContext*, IWbemServices** ppNamespace) override {
    if (!ppNamespace) return WBEM_E_INVALID_PARAMETER;
    *ppNamespace = nullptr;
    // Only the local machine's namespace is served: "ROOT\CIMV2" or
    // "\\.\ROOT\CIMV2".
    std::wstring ns = Upper(strNetworkResource);
    if (ns.compare(0, 4, L"\\\\.\\") == 0) ns.erase(0, 4);
    if (ns != L"ROOT\\CIMV2") return WBEM_E_INVALID_NAMESPACE;
    *ppNamespace = new Services;
    (*ppNamespace)->AddRef();
    return S_OK;
  }
};

}  // namespace

HRESULT ZelCreateObject(const CLSID& clsid, IWbemLocator** ppOut) {
  if (!ppOut) return E_POINTER;
  *ppOut = nullptr;
  if (clsid != CLSID_WbemLocator) return REGDB_E_CLASSNOTREG;
  *ppOut = new (std::nothrow) Locator;
  if (!*ppOut) return E_OUTOFMEMORY;
  (*ppOut)->AddRef();
  return S_OK;
}
