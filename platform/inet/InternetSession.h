// The internet session: the agent name, the time-outs every connection of
// the session uses, and the FTP connections it opens.
#pragma once

#include "platform/inet/FtpClient.h"
#include "platform/inet/InetTypes.h"

class CFtpConnection;

class ZEL_EXPORT CInternetSession {
public:
  explicit CInternetSession(LPCWSTR pstrAgent = NULL, DWORD_PTR dwContext = 1,
                            DWORD dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG, LPCWSTR pstrProxyName = NULL,
                            LPCWSTR pstrProxyBypass = NULL, DWORD dwFlags = 0);
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;
  virtual ~CInternetSession();

  // Connections already made stay usable; no new ones are made.
  virtual void Close();

  // A logged-in connection (the caller owns it), or a CInternetException*.
  // Port 0 means 21. bPassive FALSE starts in active mode.
  CFtpConnection* GetFtpConnection(LPCWSTR pstrServer, LPCWSTR pstrUserName = NULL, LPCWSTR pstrPassword = NULL,
                                   INTERNET_PORT nPort = INTERNET_INVALID_PORT_NUMBER, BOOL bPassive = FALSE);

  // INTERNET_OPTION_CONNECT_TIMEOUT, _SEND_TIMEOUT, _RECEIVE_TIMEOUT (ms).
  BOOL SetOption(DWORD dwOption, DWORD dwValue);
  BOOL QueryOption(DWORD dwOption, DWORD& dwValue) const;

  CString GetUserAgent() const { return m_strAgent; }
  DWORD_PTR GetContext() const { return m_dwContext; }
  BOOL IsOpen() const { return m_bOpen; }

private:
  CString m_strAgent;
  DWORD_PTR m_dwContext;
  FtpTimeouts m_timeouts;
  BOOL m_bOpen = TRUE;
};
