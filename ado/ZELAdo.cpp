// ZELAdo: construction, copying, connecting, and the COM error report.
#include "ZELAdo.h"

#include "ZELAdoInternal.h"
#include "platform/base/WinError.h"

namespace {
const wchar_t kSource[] = L".\\ZELAdo";
const wchar_t kMdbFormat[] =
    L"Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=%s;Jet OLEDB:Database Password=%s";

const wchar_t* Text(const wchar_t* s) { return s ? s : L""; }
}  // namespace

ZELAdo::ZELAdo(ZELLog* pParent, int nLevel, const wchar_t* pszName) : ZELLog(pParent, nLevel, pszName) {}

ZELAdo::ZELAdo(const ZELAdo& src) : ZELLog(src) { *this = src; }

ZELAdo::~ZELAdo() {
  // A platform failure while closing has nowhere to go from a destructor;
  // the handles are released below either way.
  try {
    Disconnect();
  } catch (...) {
  }
  m_pCommand = NULL;
  m_pRecordset = NULL;
  m_pConnection = NULL;
}

ZELAdo& ZELAdo::operator=(const ZELAdo& src) {
  if (this == &src) return *this;
  ZELLog::operator=(src);
  // _com_ptr_t takes the new reference before it releases the old one.
  m_pConnection = src.m_pConnection;
  m_pRecordset = src.m_pRecordset;
  m_pCommand = src.m_pCommand;
  m_strConnectionString = src.m_strConnectionString;
  m_strConnectionID = src.m_strConnectionID;
  m_strConnectionPassword = src.m_strConnectionPassword;
  return *this;
}

int ZELAdo::Clone(ZELAdo& src) {
  if (!src.IsConnected()) {
    SetLog_Warning(ZEL_CATEGORY_COM, L"Source ADO must be connected", L"Clone", 0);
    return 0;
  }
  // Copies first: src may be this object, whose strings Connect rewrites.
  CString strConnection = src.m_strConnectionString;
  CString strID = src.m_strConnectionID;
  CString strPassword = src.m_strConnectionPassword;
  return Connect(strConnection, strID, strPassword);
}

int ZELAdo::Connect(const wchar_t* pszConnection) {
  CString strConnection = Text(pszConnection);
  Disconnect();
  BOOL bDone = Guard(kAdoConnect, kDisconnect, [&] {
    HRESULT hr = m_pConnection.CreateInstance(CLSID_Connection);
    if (FAILED(hr)) _com_issue_error(hr);
    m_pConnection->Open(_bstr_t(strConnection.GetString()), _bstr_t(L""), _bstr_t(L""), adOptionUnspecified);
  });
  if (!bDone) return 0;
  m_strConnectionString = strConnection;
  m_strConnectionID.Empty();
  m_strConnectionPassword.Empty();
  return 1;
}

int ZELAdo::Connect(const wchar_t* pszConnection, const wchar_t* pszID, const wchar_t* pszPassword) {
  CString strConnection = Text(pszConnection), strID = Text(pszID), strPassword = Text(pszPassword);
  Disconnect();
  BOOL bDone = Guard(kAdoConnectAs, kDisconnect, [&] {
    HRESULT hr = m_pConnection.CreateInstance(CLSID_Connection);
    if (FAILED(hr)) _com_issue_error(hr);
    m_pConnection->Open(_bstr_t(strConnection.GetString()), _bstr_t(strID.GetString()),
                        _bstr_t(strPassword.GetString()), adOptionUnspecified);
  });
  if (!bDone) return 0;
  m_strConnectionString = strConnection;
  m_strConnectionID = strID;
  m_strConnectionPassword = strPassword;
  return 1;
}

int ZELAdo::ConnectMDB(const wchar_t* pszFile, const wchar_t* pszPassword) {
  CString strConnection;
  strConnection.Format(kMdbFormat, Text(pszFile), Text(pszPassword));
  if (!Connect(strConnection)) return 0;
  m_strConnectionString = strConnection;
  m_strConnectionID.Empty();
  m_strConnectionPassword = Text(pszPassword);
  return 1;
}

int ZELAdo::Reconnect() {
  CString strConnection = m_strConnectionString, strID = m_strConnectionID, strPassword = m_strConnectionPassword;
  return Connect(strConnection, strID, strPassword);
}

void ZELAdo::Disconnect() {
  CloseRecordset();
  CloseCommand();
  if (m_pConnection != NULL) {
    if (m_pConnection->GetState() == adStateOpen) m_pConnection->Close();
    m_pConnection = NULL;
  }
}

int ZELAdo::IsConnected() {
  if (m_pConnection == NULL) return 0;
  return m_pConnection->GetState() == adStateOpen ? 1 : 0;
}

void ZELAdo::CheckDisconnect(long nCode) {
  // Only the connection's own failure drops it, without Close: the engine
  // behind it is gone, and the last reference ends it.
  if (nCode == static_cast<long>(E_FAIL) && m_pConnection != NULL) m_pConnection = NULL;
}

CString ZELAdo::GetComErrorMessage(HRESULT hr) {
  wchar_t* pszText = NULL;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           NULL, static_cast<DWORD>(hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<LPWSTR>(&pszText), 0, NULL);
  CString strText;
  if (n > 0 && pszText != NULL) {
    strText = CString(pszText, static_cast<int>(n));
    LocalFree(pszText);
    int nLength = strText.GetLength();
    if (nLength >= 2 && strText[nLength - 1] == L'\n') {
      --nLength;
      if (strText[nLength - 1] == L'\r') --nLength;
      strText = strText.Left(nLength);
    }
    return strText;
  }
  if (pszText != NULL) LocalFree(pszText);
  DWORD dwCode = static_cast<DWORD>(hr);
  if (dwCode >= 0x80040201u && dwCode <= 0x8004FFFFu)
    strText.Format(L"IDispatch error #%d", static_cast<int>(dwCode - 0x80040200u));
  else
    strText.Format(L"Unknown error 0x%0lX", static_cast<LONG>(hr));
  return strText;
}

// Every failure is reported as a COM error: a framework or system failure
// by its own code, memory that ran out as the platform's E_OUTOFMEMORY.
void ZELAdo::ReportFailure(ZelAdoSite site, const ZELFailure& f, AfterAction nAfter) {
  HRESULT hr = f.origin == ZELFailure::kSystem ? HRESULT_FROM_WIN32(static_cast<DWORD>(f.nCode))
                                               : static_cast<HRESULT>(f.nCode);
  ReportComError(hr, f.strDescription.IsEmpty() ? NULL : f.strDescription.GetString(), site,
                 nAfter);
}

void ZELAdo::ReportComError(HRESULT hr, const wchar_t* pszDescription, ZelAdoSite site, AfterAction nAfter) {
  const ZELReportSite& at = ZelAdoSiteOf(site);
  SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_COM, hr, GetComErrorMessage(hr), pszDescription, kSource, at.pszFunction, at.nLine,
         ZEL_LOG_FLAG_REPORT);
  switch (nAfter) {
    case kDisconnect:
      Disconnect();
      break;
    case kCheckDisconnect:
      CheckDisconnect(hr);
      break;
    case kCloseCommand:
      CloseCommand();
      break;
    case kNoAction:
      break;
  }
}

_variant_t ZELAdo::ConnectionVariant() const {
  return _variant_t(static_cast<IDispatch*>(m_pConnection.GetInterfacePtr()), true);
}
