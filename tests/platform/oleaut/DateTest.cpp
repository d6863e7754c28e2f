#include <gtest/gtest.h>

#include <cmath>

#include "OleAutTestUtil.h"

namespace {

SYSTEMTIME St(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0) {
  SYSTEMTIME st = {};
  st.wYear = y;
  st.wMonth = mo;
  st.wDay = d;
  st.wHour = h;
  st.wMinute = mi;
  st.wSecond = s;
  return st;
}

double ToDate(SYSTEMTIME st) {
  double d = NAN;
  EXPECT_TRUE(SystemTimeToVariantTime(&st, &d));
  return d;
}

std::wstring DateText(DATE d) {
  BSTR b = nullptr;
  EXPECT_EQ(VarBstrFromDate(d, 0, 0, &b), S_OK);
  return Take(b);
}

}  // namespace

TEST(Date, DayNumbersAndTimeOfDay) {
  EXPECT_EQ(ToDate(St(1899, 12, 30)), 0.0);
  EXPECT_EQ(ToDate(St(2000, 1, 1)), 36526.0);
  EXPECT_EQ(ToDate(St(2000, 1, 1, 18)), 36526.75);
  EXPECT_EQ(ToDate(St(1900, 3, 1)), 61.0);  // no phantom 1900-02-29
  // before day zero the fraction still counts forward
  EXPECT_EQ(ToDate(St(1899, 12, 29, 6)), -1.25);
  EXPECT_EQ(ToDate(St(100, 1, 1)), -657434.0);

  SYSTEMTIME st;
  ASSERT_TRUE(VariantTimeToSystemTime(-1.25, &st));
  EXPECT_EQ(st.wYear, 1899);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wHour, 6);
  ASSERT_TRUE(VariantTimeToSystemTime(36526.5, &st));
  EXPECT_EQ(st.wDayOfWeek, 6);  // a Saturday
  EXPECT_EQ(st.wHour, 12);
  // a fraction a hair below midnight rounds to the next day, not to 24:00
  ASSERT_TRUE(VariantTimeToSystemTime(36526.9999999999, &st));
  EXPECT_EQ(st.wDay, 2);
  EXPECT_EQ(st.wHour, 0);
}

TEST(Date, RefusesWhatNoCalendarHas) {
  double d;
  SYSTEMTIME feb29 = St(2001, 2, 29), ok29 = St(2000, 2, 29), hour24 = St(2000, 1, 1, 24), y99 = St(99, 12, 31);
  EXPECT_FALSE(SystemTimeToVariantTime(&feb29, &d));
  EXPECT_TRUE(SystemTimeToVariantTime(&ok29, &d));
  EXPECT_FALSE(SystemTimeToVariantTime(&hour24, &d));
  EXPECT_FALSE(SystemTimeToVariantTime(&y99, &d));
  SYSTEMTIME st;
  EXPECT_FALSE(VariantTimeToSystemTime(NAN, &st));
  EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &st));
  EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &st));
  EXPECT_TRUE(VariantTimeToSystemTime(2958465.5, &st));
  EXPECT_EQ(st.wYear, 9999);
}

TEST(Date, TextFormsBothWays) {
  EXPECT_EQ(DateText(36526.0), L"2000-01-01");
  EXPECT_EQ(DateText(36526.75), L"2000-01-01 18:00:00");
  EXPECT_EQ(DateText(0.5), L"12:00:00");
  EXPECT_EQ(DateText(0.0), L"1899-12-30");
  EXPECT_EQ(DateText(-1.25), L"1899-12-29 06:00:00");

  struct { const wchar_t* text; double date; } cases[] = {
      {L"2000-01-01", 36526.0},          {L"2000-01-01 18:00:00", 36526.75}, {L" 2000-01-01T18:00 ", 36526.75},
      {L"12:00:00", 0.5},                {L"1899-12-29 06:00:00", -1.25},    {L"2000-01-01 00:00:01.5", 36526.0 + 1.5 / 86400}};
  for (auto& c : cases) {
    DATE d = NAN;
    EXPECT_EQ(VarDateFromStr(c.text, 0, 0, &d), S_OK);
    EXPECT_DOUBLE_EQ(d, c.date);
  }
  DATE d;
  for (const wchar_t* bad : {L"", L"2000-13-01", L"2000-02-30", L"2000-01-01 25:00", L"01/02/2000", L"2000-1-1", L"noon",
                             L"2000-01-01x"})
    EXPECT_EQ(VarDateFromStr(bad, 0, 0, &d), DISP_E_TYPEMISMATCH);
}
