// printf-style formatting with the framework's conversion letters.
//
// %s and %c take wide arguments, %S and %C (and %hs, %hc) narrow UTF-8 ones;
// an 'l' length is 32 bits (LONG), %I64d and %lld are 64 bits, %Id and %zd
// pointer-sized. Each conversion is done on its own, so narrow text the C
// library's locale cannot read never makes the whole result fail. A NULL
// string prints "(null)"; an unknown conversion is kept as it stands.
#pragma once

#include "ZELExport.h"

#include <cstdarg>
#include <string>

ZEL_EXPORT std::wstring ZelFormatV(const wchar_t* fmt, va_list args);
