// The two byte forms of a document's text: UTF-8, and one byte per
// character for files that are not valid UTF-8.
#pragma once

#include <cstddef>
#include <string>

// Length of the longest prefix of p[0, n) made of whole, valid UTF-8
// sequences. *pbInvalid is set when the byte after that prefix begins no
// valid sequence (rather than one that n merely cuts short).
size_t ZelHtmlUtf8Prefix(const unsigned char* p, size_t n, bool* pbInvalid);

// Appends s in its byte form: UTF-8, or with bBytes each character below
// U+0100 as that byte (any other still as UTF-8).
void ZelHtmlAppendBytes(std::string& out, const std::wstring& s, bool bBytes);
