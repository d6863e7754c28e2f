#include "platform/inet/InternetSession.h"

#include "platform/inet/FtpConnection.h"
#include "platform/inet/InternetException.h"

CInternetSession::CInternetSession(LPCWSTR pstrAgent, DWORD_PTR dwContext, DWORD, LPCWSTR, LPCWSTR, DWORD)
    : m_strAgent(pstrAgent ? pstrAgent : L""), m_dwContext(dwContext) {}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() { m_bOpen = FALSE; }

CFtpConnection* CInternetSession::GetFtpConnection(LPCWSTR pstrServer, LPCWSTR pstrUserName, LPCWSTR pstrPassword,
                                                   INTERNET_PORT nPort, BOOL bPassive) {
  if (!m_bOpen) ZelThrowInternet(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  return new CFtpConnection(m_timeouts, pstrServer, pstrUserName, pstrPassword,
                            nPort == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_FTP_PORT : nPort, bPassive);
}

BOOL CInternetSession::SetOption(DWORD dwOption, DWORD dwValue) {
  int ms = dwValue > 0x7fffffff ? 0x7fffffff : static_cast<int>(dwValue);
  switch (dwOption) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: m_timeouts.nConnectMs = ms; return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT: m_timeouts.nSendMs = ms; return TRUE;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: m_timeouts.nReceiveMs = ms; return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL CInternetSession::QueryOption(DWORD dwOption, DWORD& dwValue) const {
  switch (dwOption) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: dwValue = static_cast<DWORD>(m_timeouts.nConnectMs); return TRUE;
    case INTERNET_OPTION_SEND_TIMEOUT: dwValue = static_cast<DWORD>(m_timeouts.nSendMs); return TRUE;
    case INTERNET_OPTION_RECEIVE_TIMEOUT: dwValue = static_cast<DWORD>(m_timeouts.nReceiveMs); return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
