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

// "00" to "99" as two wide characters each, stored with one move.
struct DigitPairs {
  wchar_t d[200];
  constexpr DigitPairs() : d() {
    for (int i = 0; i < 100; ++i) {
      d[2 * i] = static_cast<wchar_t>(L'0' + i / 10);
      d[2 * i + 1] = static_cast<wchar_t>(L'0' + i % 10);
    }
  }
};
constexpr DigitPairs kPairs;

void PutPair(unsigned p, wchar_t* out) { std::memcpy(out, &kPairs.d[2 * p], 2 * sizeof(wchar_t)); }

// The decimal digits of n written backwards from `end`, two per division
// (32-bit division is the cheaper one).
template <class U>
void PutDigits(U n, wchar_t* end) {
  wchar_t* at = end;
  while (n >= 100) {
    at -= 2;
    PutPair(static_cast<unsigned>(n % 100), at);
    n /= 100;
  }
  if (n >= 10)
    PutPair(static_cast<unsigned>(n), at - 2);
  else
    at[-1] = static_cast<wchar_t>(L'0' + n);
}

const uint64_t kPowers[20] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000,
                              10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull,
                              100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                              100000000000000000ull, 1000000000000000000ull, 10000000000000000000ull};

// From the bit length (1233 / 4096 is just above log10(2)), which leaves
// one power of ten to compare with; 0 has one digit.
size_t DigitCount(uint64_t n) {
  n |= 1;
  size_t guess = static_cast<size_t>((64 - __builtin_clzll(n)) * 1233) >> 12;
  return guess + (n < kPowers[guess] ? 0 : 1);
}

// The text of sign, integer part and six decimals.
inline size_t Compose(bool negative, uint64_t ip, uint32_t frac, wchar_t* out) {
  size_t len = 0;
  if (negative) out[len++] = L'-';  // printf keeps the sign of -0 and of what rounds to 0
  len += DigitCount(ip);
  if (ip >> 32)
    PutDigits(ip, out + len);
  else
    PutDigits(static_cast<uint32_t>(ip), out + len);
  out[len++] = L'.';
  PutPair(frac / 10000, out + len);
  PutPair(frac / 100 % 100, out + len + 2);
  PutPair(frac % 100, out + len + 4);
  return len + 6;
}

// Values that are no whole number of millionths, or large.
__attribute__((noinline)) size_t Exact(double d, wchar_t* out) {
  double a = std::fabs(d);
  // Below 2^63 the integer part is exact in a uint64_t; NaN fails this test.
  if (!(a < 9.2e18)) return Fallback(d, out);
  uint64_t ip = static_cast<uint64_t>(a);                                                  // truncates
  uint32_t frac = static_cast<uint32_t>(ScaledFraction(a - static_cast<double>(ip)));  // the difference is exact
  if (frac == kScale) {
    frac = 0;
    if (++ip == 0) return Fallback(d, out);
  }
  return Compose(std::signbit(d), ip, frac, out);
}

}  // namespace

size_t ZelFixedText(double d, wchar_t* out) {
  double a = std::fabs(d);
  // Below 2^32 the value times 10^6 stays below 2^52, where a product that
  // comes out whole is within a quarter of the exact product: it is the
  // exact product rounded, as printf rounds it. Most cells' numbers (whole
  // ones, halves, cents) take this one multiplication.
  double scaled = a * static_cast<double>(kScale);
  if (!(a < 4294967296.0) || scaled != static_cast<double>(static_cast<uint64_t>(scaled))) return Exact(d, out);
  uint64_t whole = static_cast<uint64_t>(scaled);
  return Compose(std::signbit(d), whole / kScale, static_cast<uint32_t>(whole % kScale), out);
}
