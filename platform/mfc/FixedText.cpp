#include "platform/mfc/FixedText.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const uint64_t kScale = 1000000;  // six decimals

size_t Fallback(double d, wchar_t* out) {
  char buf[kZelFixedTextMax];
  int n = std::snprintf(buf, sizeof buf, "%f", d);
  if (n < 0) n = 0;
  for (int i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(buf[i]);
  return static_cast<size_t>(n);
}

// The fraction (0 <= f < 1, a double, so m / 2^s exactly) times 10^6,
// rounded to nearest with ties to even as printf rounds in the default mode.
uint64_t ScaledFraction(double f) {
  uint64_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  int biased = static_cast<int>(bits >> 52 & 0x7FF);
  if (biased < 1023 - 60) return 0;  // below 2^-60 (zero and subnormals too): far below one half
  uint64_t m = (bits & ((uint64_t(1) << 52) - 1)) | uint64_t(1) << 52;
  int shift = 1075 - biased;  // f = m / 2^shift, 53 <= shift <= 112
  unsigned __int128 v = static_cast<unsigned __int128>(m) * kScale;
  unsigned __int128 q = v >> shift, rem = v - (q << shift), half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (rem > half || (rem == half && (q & 1))) ++q;
  return static_cast<uint64_t>(q);
}

}  // namespace

namespace {

// Decimal digits of n, last first; 32-bit division is the cheaper one.
template <class U>
size_t DigitsReversed(U n, wchar_t* digits) {
  size_t len = 0;
  do {
    digits[len++] = static_cast<wchar_t>(L'0' + n % 10);
    n /= 10;
  } while (n);
  return len;
}

}  // namespace

size_t ZelFixedText(double d, wchar_t* out) {
  double a = std::fabs(d);
  // Below 2^63 the integer part is exact in a uint64_t; NaN fails this test.
  if (!(a < 9.2e18)) return Fallback(d, out);
  uint64_t ip = static_cast<uint64_t>(a);                              // truncates
  uint32_t frac = static_cast<uint32_t>(ScaledFraction(a - static_cast<double>(ip)));  // the difference is exact
  if (frac == kScale) {
    frac = 0;
    if (++ip == 0) return Fallback(d, out);
  }
  wchar_t digits[24];
  size_t n = ip >> 32 ? DigitsReversed(ip, digits) : DigitsReversed(static_cast<uint32_t>(ip), digits);
  size_t len = 0;
  if (std::signbit(d)) out[len++] = L'-';  // printf keeps the sign of -0 and of what rounds to 0
  while (n) out[len++] = digits[--n];
  out[len++] = L'.';
  for (int i = 5; i >= 0; --i) {
    out[len + static_cast<size_t>(i)] = static_cast<wchar_t>(L'0' + frac % 10);
    frac /= 10;
  }
  return len + 6;
}
