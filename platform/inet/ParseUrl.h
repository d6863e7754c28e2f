// URLs of the internet classes: "scheme://[user[:password]@]host[:port][/path]",
// the host a name, an IPv4 address or a bracketed IPv6 address.
#pragma once

#include "platform/inet/InetTypes.h"

// FALSE when the text is no URL of that form (then the service type is
// AFX_INET_SERVICE_UNK). The object is the path, "/" when none; the port
// the one written, else the scheme's own.
ZEL_EXPORT BOOL AfxParseURL(LPCWSTR pstrURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
                            INTERNET_PORT& nPort);
