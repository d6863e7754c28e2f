// One logged-in FTP connection. The operations answering BOOL leave the
// reason of a FALSE in GetLastError (ERROR_INTERNET_EXTENDED_ERROR for a
// refusal, whose reply InternetGetLastResponseInfoW gives); OpenFile and
// the constructor throw CInternetException* instead.
#pragma once

#include <memory>
#include <string>

#include "platform/inet/FtpClient.h"
#include "platform/inet/InetTypes.h"
#include "platform/mfc/Time.h"

class CInternetFile;

class ZEL_EXPORT CFtpConnection {
public:
  CFtpConnection(const FtpTimeouts& timeouts, LPCWSTR pstrServer, LPCWSTR pstrUserName, LPCWSTR pstrPassword,
                 INTERNET_PORT nPort, BOOL bPassive);
  CFtpConnection(const CFtpConnection&) = delete;
  CFtpConnection& operator=(const CFtpConnection&) = delete;
  virtual ~CFtpConnection();

  // Says goodbye to the server; files still open fail from then on.
  virtual void Close();

  BOOL SetCurrentDirectory(LPCWSTR pstrDirName);
  BOOL GetCurrentDirectory(CString& strDirName) const;
  BOOL Remove(LPCWSTR pstrFileName);
  BOOL Rename(LPCWSTR pstrExisting, LPCWSTR pstrNew);
  BOOL CreateDirectory(LPCWSTR pstrDirName);
  BOOL RemoveDirectory(LPCWSTR pstrDirName);
  // The last-write time the server keeps for a file (MDTM), to the second;
  // an extension of ours, for listings whose dates carry only minutes.
  BOOL GetFileTime(LPCWSTR pstrFileName, CTime& refTime) const;

  // GENERIC_READ answers a file only when the server knows it (its size is
  // asked for; the download itself starts with the first Read). GENERIC_WRITE
  // starts the upload. The caller owns the file. A request the server
  // refuses answers NULL with the last error set; a failed connection
  // throws.
  CInternetFile* OpenFile(LPCWSTR pstrFileName, DWORD dwAccess = GENERIC_READ,
                          DWORD dwFlags = FTP_TRANSFER_TYPE_BINARY, DWORD_PTR dwContext = 1);

  CString GetServerName() const { return m_strServer; }
  std::shared_ptr<FtpClient> Client() const { return m_client; }
  // UTF-8 wire text of a name, or a CInternetException* for one holding a
  // line break.
  static std::string WireName(LPCWSTR name);

private:
  // Runs one request for a BOOL answer.
  template <class F>
  BOOL Answer(F body) const;
  CInternetFile* OpenForReading(LPCWSTR pstrFileName, const std::string& name, char type);

  std::shared_ptr<FtpClient> m_client;
  CString m_strServer;
};
