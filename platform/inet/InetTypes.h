// Names, flags and error codes of the internet classes, with their Windows
// values (callers log the codes and compare them with published numbers).
#pragma once

#include <string>

#include "ZELExport.h"
#include "platform/base/WinError.h"
#include "platform/base/WinTypes.h"
#include "platform/mfc/String.h"

typedef WORD INTERNET_PORT;

#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000UL
#define GENERIC_WRITE 0x40000000UL
#endif

#define INTERNET_INVALID_PORT_NUMBER 0
#define INTERNET_DEFAULT_FTP_PORT 21
#define INTERNET_OPEN_TYPE_PRECONFIG 0
#define INTERNET_FLAG_RELOAD 0x80000000UL
#define INTERNET_FLAG_PASSIVE 0x08000000UL
#define FTP_TRANSFER_TYPE_ASCII 0x00000001UL
#define FTP_TRANSFER_TYPE_BINARY 0x00000002UL
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010UL
#define FILE_ATTRIBUTE_NORMAL 0x00000080UL

// Session options, in milliseconds.
#define INTERNET_OPTION_CONNECT_TIMEOUT 2
#define INTERNET_OPTION_SEND_TIMEOUT 5
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6

// Service types of AfxParseURL.
#define AFX_INET_SERVICE_FTP 1
#define AFX_INET_SERVICE_HTTP 3
#define AFX_INET_SERVICE_HTTPS 0x1006
#define AFX_INET_SERVICE_FILE 0x1004
#define AFX_INET_SERVICE_UNK 0x1000

#define INTERNET_ERROR_BASE 12000
#define ERROR_INTERNET_EXTENDED_ERROR 12003L
#define ERROR_INTERNET_INTERNAL_ERROR 12004L
#define ERROR_INTERNET_INVALID_URL 12005L
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007L
#define ERROR_INTERNET_INVALID_OPERATION 12016L
#define ERROR_INTERNET_OPERATION_CANCELLED 12017L
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019L
#define ERROR_INTERNET_LOGIN_FAILURE 12015L
#define ERROR_INTERNET_CANNOT_CONNECT 12029L
#define ERROR_INTERNET_CONNECTION_ABORTED 12030L
#define ERROR_INTERNET_CONNECTION_RESET 12031L
#define ERROR_FTP_TRANSFER_IN_PROGRESS 12110L
#define ERROR_FTP_DROPPED 12111L
#define ERROR_FTP_NO_PASSIVE_MODE 12112L

// The server's words behind ERROR_INTERNET_EXTENDED_ERROR: the last reply
// that refused a request on this thread. *lpdwError is its reply code.
ZEL_EXPORT BOOL InternetGetLastResponseInfoW(LPDWORD lpdwError, LPWSTR lpszBuffer, LPDWORD lpdwBufferLength);

// Our text for an internet error code; for ERROR_INTERNET_EXTENDED_ERROR
// the last refusing reply of this thread. Empty for codes outside the range.
ZEL_EXPORT CString ZelInternetErrorText(DWORD dwCode);

// Remembers a refusing reply as the thread's last response.
void ZelSetLastResponse(int nCode, const std::string& text);
