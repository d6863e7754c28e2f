#include "platform/inet/ParseUrl.h"

#include <cwctype>

namespace {

struct Scheme {
  const wchar_t* name;
  DWORD type;
  INTERNET_PORT port;
};

const Scheme kSchemes[] = {
    {L"ftp", AFX_INET_SERVICE_FTP, 21},     {L"http", AFX_INET_SERVICE_HTTP, 80},
    {L"https", AFX_INET_SERVICE_HTTPS, 443}, {L"file", AFX_INET_SERVICE_FILE, 0},
};

}  // namespace

BOOL AfxParseURL(LPCWSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                 INTERNET_PORT& nPort) {
  dwServiceType = AFX_INET_SERVICE_UNK;
  strServer.Empty();
  strObject.Empty();
  nPort = 0;
  if (!pstrURL) return FALSE;
  CString url(pstrURL);
  url.Trim();
  int sep = url.Find(L"://");
  if (sep <= 0) return FALSE;
  CString scheme = url.Left(sep);
  for (int i = 0; i < scheme.GetLength(); ++i) {
    wchar_t c = scheme[i];
    if (!(iswalnum(c) || c == L'+' || c == L'-' || c == L'.')) return FALSE;
  }
  scheme.MakeLower();
  DWORD type = AFX_INET_SERVICE_UNK;
  INTERNET_PORT port = 0;
  for (const Scheme& s : kSchemes) {
    if (scheme == s.name) {
      type = s.type;
      port = s.port;
    }
  }
  CString rest = url.Mid(sep + 3);
  int slash = rest.Find(L'/');
  CString authority = slash < 0 ? rest : rest.Left(slash);
  strObject = slash < 0 ? CString(L"/") : rest.Mid(slash);
  int at = authority.ReverseFind(L'@');
  if (at >= 0) authority = authority.Mid(at + 1);
  CString host = authority, portText;
  if (authority.GetLength() > 0 && authority[0] == L'[') {
    int close = authority.Find(L']');
    if (close < 0) return FALSE;
    host = authority.Mid(1, close - 1);
    CString after = authority.Mid(close + 1);
    if (!after.IsEmpty()) {
      if (after[0] != L':') return FALSE;
      portText = after.Mid(1);
    }
  } else {
    int colon = authority.ReverseFind(L':');
    if (colon >= 0) {
      host = authority.Left(colon);
      portText = authority.Mid(colon + 1);
    }
  }
  if (!portText.IsEmpty()) {
    long v = 0;
    for (int i = 0; i < portText.GetLength(); ++i) {
      if (!iswdigit(portText[i]) || v > 65535) return FALSE;
      v = v * 10 + (portText[i] - L'0');
    }
    if (v < 1 || v > 65535) return FALSE;
    port = static_cast<INTERNET_PORT>(v);
  }
  dwServiceType = type;
  strServer = host;
  nPort = port;
  return TRUE;
}
