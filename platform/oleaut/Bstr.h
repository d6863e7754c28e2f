// BSTR: a counted wide string whose length (in bytes) sits just before the
// first character, so SysStringLen is O(1) and embedded nulls survive. A null
// BSTR is a valid empty string everywhere.
#pragma once

#include "ZELExport.h"

#include <string>

#include "platform/base/WinTypes.h"

typedef wchar_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;
typedef float FLOAT;
typedef double DOUBLE;
typedef LONG SCODE;

// All of these answer NULL (or FALSE) when memory runs out or the length
// cannot be represented; none of them throws.
ZEL_EXPORT BSTR SysAllocString(const OLECHAR* psz);
ZEL_EXPORT BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
ZEL_EXPORT BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
ZEL_EXPORT INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
ZEL_EXPORT INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
ZEL_EXPORT void SysFreeString(BSTR bstrString);
ZEL_EXPORT UINT SysStringLen(BSTR pbstr);
ZEL_EXPORT UINT SysStringByteLen(BSTR bstr);

// UTF-8 <-> BSTR, for the narrow forms of _bstr_t and _variant_t, with the
// platform's UTF-8 rules: malformed bytes become U+FFFD, never dropped.
ZEL_EXPORT BSTR ZelBstrFromUtf8(const char* psz);
ZEL_EXPORT BSTR ZelBstrFromUtf8Len(const char* p, size_t len);
// Code points UTF-8 cannot carry (surrogates, above U+10FFFF) become U+FFFD.
ZEL_EXPORT std::string ZelUtf8FromWide(const wchar_t* p, size_t len);

// Locale ids and conversion flags are accepted for signature compatibility.
// Text forms are fixed whatever the locale: point as decimal separator,
// ISO dates, "-1"/"0" for truth values.
typedef DWORD LCID;
#define LOCALE_SYSTEM_DEFAULT ((LCID)0x0800)
#define LOCALE_USER_DEFAULT ((LCID)0x0400)
#define LOCALE_INVARIANT ((LCID)0x007f)
#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
#define VARIANT_NOUSEROVERRIDE 0x04
#define VARIANT_CALENDAR_HIJRI 0x08
#define VARIANT_LOCALBOOL 0x10
