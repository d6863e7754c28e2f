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
// The same into out, which has room for n characters (a byte gives at most
// one); answers the characters written.
ZEL_EXPORT size_t ZelUtf8ToWideInto(const char* s, size_t n, wchar_t* out);
ZEL_EXPORT std::string ZelWideToUtf8(const wchar_t* s, size_t n);
// The same into `out`, replacing its content in the room it already has.
ZEL_EXPORT void ZelWideToUtf8Into(const wchar_t* s, size_t n, std::string& out);
// As many whole characters of s[0..n) as fit in `room` bytes at out:
// answers the bytes written and sets `used` to the characters taken.
ZEL_EXPORT size_t ZelWideToUtf8Some(const wchar_t* s, size_t n, char* out, size_t room, size_t& used);
inline std::string ZelWideToUtf8(const wchar_t* s) { return s ? ZelWideToUtf8(s, wcslen(s)) : std::string(); }
