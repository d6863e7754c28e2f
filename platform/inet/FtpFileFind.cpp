#include "platform/inet/FtpFileFind.h"

#include <fnmatch.h>

#include <ctime>

#include "platform/base/Utf8.h"
#include "platform/inet/FtpConnection.h"
#include "platform/inet/InternetException.h"

namespace {

// The whole answer of a listing request, bounded.
std::string ReadListing(FtpClient& client, const char* verb, const std::string& dir) {
  FtpSocket data = client.OpenData(verb, dir, 'A');
  client.m_bBusy = true;
  std::string out;
  try {
    char buf[16384];
    for (;;) {
      size_t n = data.RecvSome(buf, sizeof buf, client.Timeouts().nReceiveMs);
      if (n == 0) break;
      if (out.size() + n > CFtpFileFind::kMaxListing)
        ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR, "The listing is too long.");
      out.append(buf, n);
    }
    data.Close();
    client.FinishData();
  } catch (CInternetException*) {
    client.m_bBusy = false;
    data.Close();
    client.AbandonData(true);
    throw;
  }
  client.m_bBusy = false;
  return out;
}

}  // namespace

CFtpFileFind::CFtpFileFind(CFtpConnection* pConnection, DWORD_PTR) : m_pConnection(pConnection) {}

CFtpFileFind::~CFtpFileFind() { Close(); }

void CFtpFileFind::Close() {
  m_entries.clear();
  m_nCurrent = -1;
}

BOOL CFtpFileFind::FindFile(LPCWSTR pstrName, DWORD) {
  Close();
  CString pattern(pstrName && *pstrName ? pstrName : L"*");
  int slash = pattern.ReverseFind(L'/');
  CString mask = pattern.Mid(slash + 1);
  m_strRoot = slash < 0 ? CString() : pattern.Left(slash == 0 ? 1 : slash);
  try {
    std::shared_ptr<FtpClient> client = m_pConnection->Client();
    if (client->m_bBusy) ZelThrowInternet(ERROR_FTP_TRANSFER_IN_PROGRESS);
    std::string dir = CFtpConnection::WireName(m_strRoot);
    std::string maskWire = CFtpConnection::WireName(mask);
    bool mlsd = client->HasFeature("MLST");
    std::string data;
    if (mlsd) {
      try {
        data = ReadListing(*client, "MLSD", dir);
      } catch (CInternetException* e) {
        // A server that announces MLST but cannot list with it gets LIST.
        if (e->m_dwError != ERROR_INTERNET_EXTENDED_ERROR || !client->IsOpen()) throw;
        e->Delete();
        mlsd = false;
      }
    }
    if (!mlsd) data = ReadListing(*client, "LIST", dir);
    FtpListing parser(static_cast<long long>(::time(nullptr)));
    for (FtpEntry& e : parser.Parse(data, mlsd)) {
      if (maskWire == "*" || ::fnmatch(maskWire.c_str(), e.name.c_str(), 0) == 0) m_entries.push_back(std::move(e));
    }
  } catch (CInternetException* e) {
    SetLastError(e->m_dwError);
    e->Delete();
    return FALSE;
  }
  if (m_entries.empty()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL CFtpFileFind::FindNextFile() {
  if (m_nCurrent + 1 >= static_cast<long>(m_entries.size())) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  ++m_nCurrent;
  return m_nCurrent + 1 < static_cast<long>(m_entries.size());
}

const FtpEntry* CFtpFileFind::Current() const {
  return m_nCurrent >= 0 && m_nCurrent < static_cast<long>(m_entries.size()) ? &m_entries[m_nCurrent] : nullptr;
}

BOOL CFtpFileFind::IsDots() const {
  const FtpEntry* e = Current();
  return e && (e->name == "." || e->name == "..");
}

BOOL CFtpFileFind::MatchesMask(DWORD dwMask) const {
  const FtpEntry* e = Current();
  if (!e) return FALSE;
  DWORD attr = e->bDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  return (attr & dwMask) != 0;
}

CString CFtpFileFind::GetFileName() const {
  const FtpEntry* e = Current();
  return e ? CString(e->name.c_str()) : CString();
}

CString CFtpFileFind::GetFilePath() const {
  CString name = GetFileName();
  if (m_strRoot.IsEmpty() || name.IsEmpty()) return name;
  return m_strRoot == L"/" ? L"/" + name : m_strRoot + L"/" + name;
}

ULONGLONG CFtpFileFind::GetLength() const {
  const FtpEntry* e = Current();
  return e ? e->nSize : 0;
}

BOOL CFtpFileFind::GetLastWriteTime(CTime& refTime) const {
  const FtpEntry* e = Current();
  if (!e) return FALSE;
  refTime = CTime(static_cast<time_t>(e->tmWrite));
  return TRUE;
}
