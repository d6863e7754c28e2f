#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "platform/mfc/FixedText.h"
#include "platform/mfc/String.h"

namespace {

std::string Ours(double d) {
  wchar_t out[kZelFixedTextMax];
  size_t n = ZelFixedText(d, out);
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(out[i]);
  return s;
}

std::string Printf(double d) {
  char buf[kZelFixedTextMax];
  std::snprintf(buf, sizeof buf, "%f", d);
  return buf;
}

}  // namespace

// Exact ties (k/128 has one at the seventh decimal) round to even, as printf
// does; values just beside a tie must not be taken for one.
TEST(FixedText, RoundsAsPrintfAtTiesAndCarries) {
  const double cases[] = {0.0078125, 0.0234375, -0.0390625, 1.0078125, 0.0, -0.0, 2.5, 0.0000005, 0.0000015,
                          0.0000025, -0.0000005, 1e-7, -1e-7, 0.9999995, 0.99999949999999, 9.9999995,
                          999999.9999995, 0.1, 0.3, 1.0 / 3, 2.0 / 3, 123456.789,
                          4503599627370495.5, 9007199254740993.0, 9.2e18, -9.2e18, 1e-300, DBL_MIN, DBL_TRUE_MIN,
                          18446744073709549568.0, 1e19, DBL_MAX, -DBL_MAX, 0.5, 1.5, 1234.5,
                          12.34, -0.01, 99.99, 100.0, 4294967295.5, 4294967295.999999, 4294967296.25,
                          4503599627.370496, 0.000001, 1e-6 * 3, 9.999999, 123456789.000001};
  for (double d : cases) EXPECT_EQ(Ours(d), Printf(d)) << d;
  EXPECT_EQ(Ours(std::numeric_limits<double>::infinity()), Printf(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(Ours(-std::numeric_limits<double>::quiet_NaN()), Printf(-std::numeric_limits<double>::quiet_NaN()));
}

// Random bit patterns cover every exponent; values on a grid of millionths
// and half-millionths are the ones most likely to sit on a rounding edge.
TEST(FixedText, MatchesPrintfOnManyValues) {
  std::mt19937_64 rng(12);
  for (int i = 0; i < 200000; ++i) {
    uint64_t bits = rng();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    ASSERT_EQ(Ours(d), Printf(d)) << d;
    double grid = static_cast<double>(static_cast<int64_t>(rng() % 2000000001) - 1000000000) / 2e6;
    ASSERT_EQ(Ours(grid), Printf(grid)) << grid;
    double cents = static_cast<double>(rng() >> 24) / 100;  // cents up to 1.1e10, either side of 2^32
    ASSERT_EQ(Ours(cents), Printf(cents)) << cents;
    double scaled = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 140) - 110);
    ASSERT_EQ(Ours(scaled), Printf(scaled)) << scaled;
  }
}

// Format's plain "%f" takes the same path; anything more goes to the C library.
TEST(FixedText, FormatUsesItOnlyForPlainF) {
  CString s;
  s.Format(L"%f|%f|%f|%.2f|%9f|%+f|%lf", 2.5, -1e-9, 1e300, 2.345, 1.5, 1.0, 0.25);
  std::string want = Printf(2.5) + "|" + Printf(-1e-9) + "|" + Printf(1e300) + "|2.35| 1.500000|+1.000000|0.250000";
  EXPECT_EQ(s, CString(want.c_str()));
}
