// The two byte forms of a document's text: UTF-8, and one byte per
// character for files that are not valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the longest prefix of p[0, n) made of whole, valid UTF-8
// sequences. *pbInvalid is set when the byte after that prefix begins no
// valid sequence (rather than one that n merely cuts short). The prefix is
// decoded into out (room for n characters), *pnChars characters of it.
size_t ZelHtmlUtf8Prefix(const unsigned char* p, size_t n, bool* pbInvalid, wchar_t* out, size_t* pnChars);

// Each byte of p[0, n) as one character of out.
void ZelHtmlWiden(const unsigned char* p, size_t n, wchar_t* out);

// Appends s in its byte form: UTF-8, or with bBytes each character below
// U+0100 as that byte (any other still as UTF-8).
void ZelHtmlAppendBytes(std::string& out, std::wstring_view s, bool bBytes);
