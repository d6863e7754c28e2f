#include "platform/inet/FtpConnection.h"

#include "platform/base/Utf8.h"
#include "platform/inet/InternetException.h"
#include "platform/inet/InternetFile.h"

CFtpConnection::CFtpConnection(const FtpTimeouts& timeouts, LPCWSTR pstrServer, LPCWSTR pstrUserName,
                               LPCWSTR pstrPassword, INTERNET_PORT nPort, BOOL bPassive)
    : m_client(std::make_shared<FtpClient>(timeouts, bPassive != FALSE)), m_strServer(pstrServer) {
  m_client->Open(WireName(pstrServer), nPort, WireName(pstrUserName), WireName(pstrPassword));
}

CFtpConnection::~CFtpConnection() { Close(); }

void CFtpConnection::Close() { m_client->Quit(); }

std::string CFtpConnection::WireName(LPCWSTR name) {
  std::string s = ZelWideToUtf8(name);
  FtpClient::CheckArgument(s);
  return s;
}

template <class F>
BOOL CFtpConnection::Answer(F body) const {
  try {
    if (m_client->m_bBusy) ZelThrowInternet(ERROR_FTP_TRANSFER_IN_PROGRESS);
    body();
    return TRUE;
  } catch (CInternetException* e) {
    SetLastError(e->m_dwError);
    e->Delete();
    return FALSE;
  }
}

BOOL CFtpConnection::SetCurrentDirectory(LPCWSTR pstrDirName) {
  return Answer([&] { m_client->Require(2, "CWD", WireName(pstrDirName)); });
}

BOOL CFtpConnection::GetCurrentDirectory(CString& strDirName) const {
  return Answer([&] {
    FtpReply r = m_client->Require(2, "PWD");
    std::string path;
    if (!FtpParseQuotedPath(r.text, path)) ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR);
    strDirName = CString(path.c_str());
  });
}

BOOL CFtpConnection::Remove(LPCWSTR pstrFileName) {
  return Answer([&] { m_client->Require(2, "DELE", WireName(pstrFileName)); });
}

BOOL CFtpConnection::Rename(LPCWSTR pstrExisting, LPCWSTR pstrNew) {
  return Answer([&] {
    std::string to = WireName(pstrNew);  // checked before anything is sent
    m_client->Require(3, "RNFR", WireName(pstrExisting));
    m_client->Require(2, "RNTO", to);
  });
}

BOOL CFtpConnection::CreateDirectory(LPCWSTR pstrDirName) {
  return Answer([&] { m_client->Require(2, "MKD", WireName(pstrDirName)); });
}

BOOL CFtpConnection::RemoveDirectory(LPCWSTR pstrDirName) {
  return Answer([&] { m_client->Require(2, "RMD", WireName(pstrDirName)); });
}

BOOL CFtpConnection::GetFileTime(LPCWSTR pstrFileName, CTime& refTime) const {
  return Answer([&] {
    FtpReply r = m_client->Require(2, "MDTM", WireName(pstrFileName));
    long long t = 0;
    if (!FtpParseTimeVal(r.text, t)) ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR);
    refTime = CTime(static_cast<time_t>(t));
  });
}

CInternetFile* CFtpConnection::OpenFile(LPCWSTR pstrFileName, DWORD dwAccess, DWORD dwFlags, DWORD_PTR) {
  std::string name = WireName(pstrFileName);
  if (name.empty()) ZelThrowInternet(ERROR_INVALID_NAME);
  if (m_client->m_bBusy) ZelThrowInternet(ERROR_FTP_TRANSFER_IN_PROGRESS);
  char type = (dwFlags & 3) == FTP_TRANSFER_TYPE_ASCII ? 'A' : 'I';
  try {
    if (dwAccess & GENERIC_WRITE) return CInternetFile::Upload(m_client, pstrFileName, name, type);
    return OpenForReading(pstrFileName, name, type);
  } catch (CInternetException* e) {
    // A refusal (no such file, no such folder, no right) answers no file;
    // a connection that failed is the caller's exception.
    if (e->m_dwError != ERROR_INTERNET_EXTENDED_ERROR || !m_client->IsOpen()) throw;
    SetLastError(e->m_dwError);
    e->Delete();
    return NULL;
  }
}

CInternetFile* CFtpConnection::OpenForReading(LPCWSTR pstrFileName, const std::string& name, char type) {
  // SIZE answers the stored length whatever the type, and some servers
  // refuse it in ASCII, so it is asked in binary.
  m_client->SetType('I');
  FtpReply r = m_client->Command("SIZE", name);
  if (r.nCode == 213) {
    unsigned long long size = 0;
    for (char c : r.text) {
      if (c < '0' || c > '9' || size > (~0ULL) / 10 - 9) break;
      size = size * 10 + static_cast<unsigned>(c - '0');
    }
    return CInternetFile::Download(m_client, pstrFileName, name, type, size, false);
  }
  if (r.nCode == 500 || r.nCode == 502) {
    // No SIZE here: whether the file exists shows when the download starts.
    return CInternetFile::Download(m_client, pstrFileName, name, type, 0, true);
  }
  ZelSetLastResponse(r.nCode, r.text);
  ZelThrowInternet(ERROR_INTERNET_EXTENDED_ERROR, std::to_string(r.nCode) + " " + r.text);
}
