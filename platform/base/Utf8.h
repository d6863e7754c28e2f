// UTF-8 and wide text, for every layer that takes or gives narrow text.
//
// Invalid UTF-8 bytes become U+FFFD one byte at a time (a stray
// continuation, an overlong form, an encoded surrogate, a cut-off tail);
// code points that UTF-8 cannot carry (surrogates, above U+10FFFF) become
// U+FFFD on the way out.
#pragma once

#include "ZELExport.h"

#include <cwchar>
#include <string>

ZEL_EXPORT std::wstring ZelUtf8ToWide(const char* s, size_t n);
ZEL_EXPORT std::string ZelWideToUtf8(const wchar_t* s, size_t n);
// The same into `out`, replacing its content in the room it already has.
ZEL_EXPORT void ZelWideToUtf8Into(const wchar_t* s, size_t n, std::string& out);
inline std::string ZelWideToUtf8(const wchar_t* s) { return s ? ZelWideToUtf8(s, wcslen(s)) : std::string(); }
