#include "platform/inet/InternetException.h"

#include <cstring>
#include <cwchar>

namespace {

struct ErrorText {
  DWORD code;
  const wchar_t* text;
};

const ErrorText kTexts[] = {
    {ERROR_INTERNET_TIMEOUT, L"The operation timed out."},
    {ERROR_INTERNET_EXTENDED_ERROR, L"The server refused the request."},
    {ERROR_INTERNET_INTERNAL_ERROR, L"The server's reply could not be understood."},
    {ERROR_INTERNET_INVALID_URL, L"The URL is invalid."},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, L"The server name could not be resolved."},
    {ERROR_INTERNET_INVALID_OPERATION, L"The request is not valid here (a name holds a line break?)."},
    {ERROR_INTERNET_OPERATION_CANCELLED, L"The operation was cancelled."},
    {ERROR_INTERNET_INCORRECT_HANDLE_STATE, L"The connection is closed."},
    {ERROR_INTERNET_LOGIN_FAILURE, L"The login was refused."},
    {ERROR_INTERNET_CANNOT_CONNECT, L"The connection to the server could not be made."},
    {ERROR_INTERNET_CONNECTION_ABORTED, L"The connection was aborted."},
    {ERROR_INTERNET_CONNECTION_RESET, L"The connection was reset."},
    {ERROR_FTP_TRANSFER_IN_PROGRESS, L"A transfer is already running on this connection."},
    {ERROR_FTP_DROPPED, L"The FTP connection was dropped."},
    {ERROR_FTP_NO_PASSIVE_MODE, L"The server offers no passive mode."},
};

thread_local int t_nResponseCode = 0;
thread_local std::string t_response;

}  // namespace

void ZelSetLastResponse(int nCode, const std::string& text) {
  t_nResponseCode = nCode;
  t_response = std::to_string(nCode) + " " + text;
}

BOOL InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer, LPDWORD lpdwBufferLength) {
  if (!lpdwBufferLength) return FALSE;
  CString text(t_response.c_str());
  if (lpdwError) *lpdwError = static_cast<DWORD>(t_nResponseCode);
  DWORD need = static_cast<DWORD>(text.GetLength()) + 1;
  if (!lpszBuffer || *lpdwBufferLength < need) {
    *lpdwBufferLength = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  wmemcpy(lpszBuffer, text.GetString(), need);
  *lpdwBufferLength = need - 1;
  return TRUE;
}

CString ZelInternetErrorText(DWORD dwCode) {
  if (dwCode == ERROR_INTERNET_EXTENDED_ERROR && !t_response.empty()) return CString(t_response.c_str());
  for (const ErrorText& e : kTexts)
    if (e.code == dwCode) return CString(e.text);
  return CString();
}

CString CInternetException::GetErrorMessage() const {
  if (!m_strText.IsEmpty()) return m_strText;
  CString text = ZelInternetErrorText(m_dwError);
  if (text.IsEmpty()) text.Format(L"Internet error %lu.", static_cast<unsigned long>(m_dwError));
  return text;
}

void ZelThrowInternet(DWORD dwError, const std::string& text) {
  throw new CInternetException(dwError, text.empty() ? CString() : CString(text.c_str()));
}
