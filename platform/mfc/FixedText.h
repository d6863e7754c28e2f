// "%f" of a double (six decimals) without the general formatter, which
// works the exact decimal expansion out with big-number arithmetic even for
// a value like 1234.5. A value that is a whole number of millionths takes
// one multiplication; others whose integer part fits 64 bits are done
// exactly here with 128-bit integers; the rest go to the C library, so the
// text is always what printf gives.
#pragma once

#include <cstddef>

#include "ZELExport.h"

// Enough for any double in "%f": 309 integer digits, sign, point, decimals.
constexpr size_t kZelFixedTextMax = 352;

// Writes the text to out (at least kZelFixedTextMax characters, not
// terminated) and returns its length.
ZEL_EXPORT size_t ZelFixedText(double d, wchar_t* out);
