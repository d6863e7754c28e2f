// The session, the remote folder and the remote file management of ZELFtp.
#include "ZELFtp.h"

#include <memory>

#include "ZELGF.h"
#include "ZELResult.h"
#include "ftp/FtpReport.h"

ZELFtp::ZELFtp(ZELLog* pLog, int nLevel, const wchar_t* pszName)
    : ZELLog(pLog, nLevel, pszName),
      m_session(L"ZEL FTP Session", 1, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0),
      m_pConnection(NULL),
      m_pFileFind(NULL),
      m_bConnected(FALSE),
      m_bProcessing(FALSE),
      m_strLocalDir(ZELGF::MakePath(NULL, L"ZELFtp_Download")) {}

ZELFtp::~ZELFtp() {
  m_session.Close();
  Disconnect();
}

int ZELFtp::Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password, int port) {
  if (ZELGF::IsEmpty(server)) return FtpReportCode(*this, kSiteConnectEmpty, ZEL_RESULT_NO_SERVER, server);
  DWORD type = 0;
  CString host, object;
  INTERNET_PORT urlPort = 0;
  if (!AfxParseURL(server, type, host, object, urlPort))
    return FtpReportCode(*this, kSiteConnectNotUrl, ZEL_RESULT_NO_SERVER, server);
  if (type != AFX_INET_SERVICE_FTP || host.IsEmpty())
    return FtpReportCode(*this, kSiteConnectNotFtp, ZEL_RESULT_NOT_FTP_URL, server);
  Disconnect();
  if (port < 0 || port > 65535) return FtpReportCode(*this, kSiteConnectNoObject, ZEL_RESULT_SESSION, server);
  BOOL ok = ZelGuarded(
      [&] {
        m_pConnection = m_session.GetFtpConnection(host, user, password, static_cast<INTERNET_PORT>(port), FALSE);
      },
      [&](const ZELFailure& f) { FtpReportFailure(*this, kSiteConnectFailed, f, server); });
  if (!ok) return ZEL_RESULT_SESSION;
  if (!m_pConnection) return FtpReportCode(*this, kSiteConnectNoObject, ZEL_RESULT_SESSION, server);
  m_bConnected = TRUE;
  m_strServerName = host;
  return ZEL_RESULT_OK;
}

void ZELFtp::Disconnect() {
  CloseFF();
  if (m_pConnection) {
    m_pConnection->Close();
    delete m_pConnection;
    m_pConnection = NULL;
  }
  m_strRemoteDir.Empty();
  m_strServerName.Empty();
  m_bConnected = FALSE;
  m_bProcessing = FALSE;
}

void ZELFtp::SetLocalDir(const wchar_t* dir) {
  if (ZELGF::IsValidPathName(dir)) m_strLocalDir = dir;
}

CString ZELFtp::GetAbsolutePath(const wchar_t* path) {
  CString r(path);
  r.Replace(L'\\', L'/');
  if (r == L"..") {
    int i = m_strRemoteDir.ReverseFind(L'/');
    r = i >= 1 ? m_strRemoteDir.Left(i) : CString(L"/");
  }
  if (!r.IsEmpty() && r[0] == L'/') return r;
  return m_strRemoteDir + L"/" + r;
}

int ZELFtp::SetRemoteDir(const wchar_t* path) {
  if (!ZELGF::IsValidPathName(path)) return FtpReportCode(*this, kSiteSetDirInvalid, ZEL_RESULT_INVALID_NAME, path);
  if (!m_bConnected) return FtpReportCode(*this, kSiteSetDirOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  CString abs = GetAbsolutePath(path);
  if (abs.CompareNoCase(m_strRemoteDir) == 0) return ZEL_RESULT_OK;
  CString now;
  if (!m_pConnection->SetCurrentDirectory(abs) || !m_pConnection->GetCurrentDirectory(now)) {
    FtpReportLastError(*this, kSiteSetDirRefused, ZEL_CATEGORY_RESULT, abs);
    return ZEL_RESULT_INVALID_NAME;
  }
  m_strRemoteDir = now;
  return ZEL_RESULT_OK;
}

int ZELFtp::MoveUpDir() { return SetRemoteDir(GetAbsolutePath(L"..")); }

int ZELFtp::CreateFileW(const wchar_t* path) {
  if (!ZELGF::IsValidFileName(path))
    return FtpReportCode(*this, kSiteCreateFileInvalid, ZEL_RESULT_INVALID_NAME, path);
  if (!m_bConnected) return FtpReportCode(*this, kSiteCreateFileOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  std::unique_ptr<CInternetFile> file;
  BOOL ok = ZelGuarded(
      [&] {
        file.reset(m_pConnection->OpenFile(path, GENERIC_WRITE, FTP_TRANSFER_TYPE_ASCII, 1));
        if (file) file->Close();
      },
      [&](const ZELFailure& f) { FtpReportFailure(*this, kSiteCreateFileFailed, f, path); });
  if (!ok) return ZEL_RESULT_FILE_CREATE;
  if (!file) return FtpReportCode(*this, kSiteCreateFileNoObject, ZEL_RESULT_REMOTE_OPEN, path);
  return ZEL_RESULT_OK;
}

namespace {

// Where a management operation reports, and what it answers when refused.
struct ManageSites {
  FtpSite invalid, offline, refused;
  long nCategory;
  int nRefused;
};

// The shape of the management operations: a name, then the connection,
// then one request, whose refusal is reported from the last error.
template <class Request>
int Manage(ZELFtp& ftp, BOOL bConnected, const ManageSites& s, const wchar_t* name, const wchar_t* refusedDetail,
           Request request) {
  if (!ZELGF::IsValidFileName(name)) return FtpReportCode(ftp, s.invalid, ZEL_RESULT_INVALID_NAME, name);
  if (!bConnected) return FtpReportCode(ftp, s.offline, ZEL_RESULT_NOT_CONNECTED, NULL);
  if (!request()) {
    FtpReportLastError(ftp, s.refused, s.nCategory, refusedDetail);
    return s.nRefused;
  }
  return ZEL_RESULT_OK;
}

}  // namespace

int ZELFtp::DeleteFileW(const wchar_t* path) {
  static const ManageSites s = {kSiteDeleteFileInvalid, kSiteDeleteFileOffline, kSiteDeleteFileRefused,
                                ZEL_CATEGORY_SYSTEM, ZEL_RESULT_FILE_DELETE};
  return Manage(*this, m_bConnected, s, path, path, [&] { return m_pConnection->Remove(path); });
}

int ZELFtp::RenameFile(const wchar_t* oldName, const wchar_t* newName) {
  if (!ZELGF::IsValidFileName(oldName))
    return FtpReportCode(*this, kSiteRenameFileOld, ZEL_RESULT_INVALID_NAME, oldName);
  static const ManageSites s = {kSiteRenameFileNew, kSiteRenameFileOffline, kSiteRenameFileRefused,
                                ZEL_CATEGORY_SYSTEM, ZEL_RESULT_FILE_RENAME};
  return Manage(*this, m_bConnected, s, newName, oldName, [&] { return m_pConnection->Rename(oldName, newName); });
}

int ZELFtp::CreateDir(const wchar_t* path, int bEnter) {
  static const ManageSites s = {kSiteCreateDirInvalid, kSiteCreateDirOffline, kSiteCreateDirRefused,
                                ZEL_CATEGORY_RESULT, ZEL_RESULT_DIR_CREATE};
  int r = Manage(*this, m_bConnected, s, path, path, [&] { return m_pConnection->CreateDirectory(path); });
  if (r == ZEL_RESULT_OK && bEnter) SetRemoteDir(path);
  return r;
}

int ZELFtp::DeleteDir(const wchar_t* path) {
  static const ManageSites s = {kSiteDeleteDirInvalid, kSiteDeleteDirOffline, kSiteDeleteDirRefused,
                                ZEL_CATEGORY_RESULT, ZEL_RESULT_DIR_DELETE};
  return Manage(*this, m_bConnected, s, path, path, [&] { return m_pConnection->RemoveDirectory(path); });
}

int ZELFtp::RenameDir(const wchar_t* oldName, const wchar_t* newName) {
  if (!ZELGF::IsValidFileName(newName))
    return FtpReportCode(*this, kSiteRenameDirInvalid, ZEL_RESULT_INVALID_NAME, oldName);
  static const ManageSites s = {kSiteRenameDirInvalid, kSiteRenameDirOffline, kSiteRenameDirRefused,
                                ZEL_CATEGORY_RESULT, ZEL_RESULT_DIR_RENAME};
  return Manage(*this, m_bConnected, s, oldName, newName, [&] { return m_pConnection->Rename(oldName, newName); });
}
