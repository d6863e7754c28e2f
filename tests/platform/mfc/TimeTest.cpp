#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/mfc/Time.h"

TEST(COleDateTime, PartsAndStatus) {
  COleDateTime dt(2024, 2, 29, 13, 45, 30);
  ASSERT_EQ(dt.GetStatus(), COleDateTime::valid);
  EXPECT_EQ(dt.GetYear(), 2024);
  EXPECT_EQ(dt.GetMonth(), 2);
  EXPECT_EQ(dt.GetDay(), 29);
  EXPECT_EQ(dt.GetHour(), 13);
  EXPECT_EQ(dt.GetMinute(), 45);
  EXPECT_EQ(dt.GetSecond(), 30);
  EXPECT_EQ(dt.GetDayOfWeek(), 5);  // a Thursday
  EXPECT_EQ(dt.GetDayOfYear(), 60);
  EXPECT_EQ(dt.Format(L"%Y-%m-%d %H:%M:%S"), L"2024-02-29 13:45:30");
  EXPECT_EQ(COleDateTime(DATE(0)).Format(L"%Y-%m-%d"), L"1899-12-30");
  // The invalid status is 2, as callers test.
  EXPECT_EQ(static_cast<int>(COleDateTime::invalid), 2);
  COleDateTime bad(2023, 2, 29, 0, 0, 0);
  EXPECT_EQ(bad.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(bad.GetYear(), AFX_OLE_DATETIME_ERROR);
  EXPECT_EQ(bad.Format(L"%Y"), L"Invalid DateTime");
  EXPECT_EQ(bad.SetDateTime(2023, 1, 1, -1, 0, 0), 1);
  EXPECT_EQ(bad.SetDate(2023, 12, 31), 0);
  EXPECT_EQ(bad.GetStatus(), COleDateTime::valid);
  COleDateTime none;
  none.SetStatus(COleDateTime::null);
  EXPECT_EQ(none.Format(L"%Y"), L"");
}

TEST(COleDateTime, ArithmeticAcrossTheZeroDay) {
  COleDateTime before(1899, 12, 29, 6, 0, 0);  // stored as -1.25
  EXPECT_DOUBLE_EQ(before.m_dt, -1.25);
  COleDateTime after = before + COleDateTimeSpan(0, 24, 0, 0);
  EXPECT_EQ(after.Format(L"%Y-%m-%d %H:%M:%S"), L"1899-12-30 06:00:00");
  EXPECT_DOUBLE_EQ((after - before).GetTotalHours(), 24.0);
  EXPECT_TRUE(before < after);
  EXPECT_TRUE(COleDateTime(1899, 12, 29, 18, 0, 0) > before);
  COleDateTimeSpan span = COleDateTime(2024, 3, 1, 0, 0, 0) - COleDateTime(2024, 2, 28, 12, 30, 0);
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetHours(), 11);
  EXPECT_EQ(span.GetMinutes(), 30);
  // Past the last representable year the result is invalid, not wrapped.
  COleDateTime last(9999, 12, 31, 0, 0, 0);
  EXPECT_EQ((last + COleDateTimeSpan(2, 0, 0, 0)).GetStatus(), COleDateTime::invalid);
  COleDateTime bad(2023, 13, 1, 0, 0, 0);
  EXPECT_EQ((bad + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
}

TEST(COleDateTime, FromSystemTimeTimeTAndText) {
  SYSTEMTIME st = {2001, 9, 0, 9, 1, 46, 40, 0};
  COleDateTime a(st);
  EXPECT_EQ(a.Format(L"%d.%m.%Y %H:%M:%S"), L"09.09.2001 01:46:40");
  SYSTEMTIME back;
  ASSERT_TRUE(a.GetAsSystemTime(back));
  EXPECT_EQ(back.wDayOfWeek, 0);  // a Sunday
  COleDateTime parsed;
  EXPECT_TRUE(parsed.ParseDateTime(L"2001-09-09 01:46:40"));
  EXPECT_TRUE(parsed == a);
  EXPECT_FALSE(parsed.ParseDateTime(L"not a date"));
  EXPECT_EQ(parsed.GetStatus(), COleDateTime::invalid);
  // time_t is read in local time, like CTime.
  CTime t(2010, 6, 15, 8, 30, 0);
  COleDateTime fromT(t.GetTime());
  EXPECT_EQ(fromT.Format(L"%Y-%m-%d %H:%M:%S"), L"2010-06-15 08:30:00");
}

TEST(CTime, PartsFormatAndSpans) {
  CTime t(2020, 1, 31, 23, 59, 58);
  EXPECT_EQ(t.GetYear(), 2020);
  EXPECT_EQ(t.GetMonth(), 1);
  EXPECT_EQ(t.GetDay(), 31);
  EXPECT_EQ(t.GetDayOfWeek(), 6);  // a Friday
  CTime later = t + CTimeSpan(0, 0, 0, 3);
  EXPECT_EQ(later.Format(L"%Y-%m-%d %H:%M:%S"), L"2020-02-01 00:00:01");
  CTimeSpan d = later - t;
  EXPECT_EQ(d.GetTotalSeconds(), 3);
  CTimeSpan big(2, 3, 4, 5);
  EXPECT_EQ(big.GetDays(), 2);
  EXPECT_EQ(big.GetHours(), 3);
  EXPECT_EQ(big.GetMinutes(), 4);
  EXPECT_EQ(big.GetSeconds(), 5);
  EXPECT_THROW(CTime(2020, 13, 1, 0, 0, 0), std::invalid_argument);
  EXPECT_TRUE(CTime::GetCurrentTime() > t);
  EXPECT_EQ(t.Format(L""), L"");
}
