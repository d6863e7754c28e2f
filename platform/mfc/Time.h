// Times of the framework.
//
// CTime is a time_t read in local time. COleDateTime is an automation DATE
// (days since 1899-12-30) with a status; its calendar arithmetic is the
// automation layer's (SystemTimeToVariantTime and back), so both agree to
// the second. An operation on an invalid or null COleDateTime gives an
// invalid one, never a wrong date.
#pragma once

#include "ZELExport.h"

#include <ctime>

#include "platform/base/WinTypes.h"
#include "platform/mfc/String.h"
#include "platform/oleaut/DateTime.h"

class ZEL_EXPORT CTimeSpan {
public:
  CTimeSpan() = default;
  CTimeSpan(time_t seconds) : m_span(seconds) {}
  CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs);

  LONGLONG GetDays() const { return m_span / 86400; }
  LONGLONG GetTotalHours() const { return m_span / 3600; }
  LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
  LONGLONG GetTotalMinutes() const { return m_span / 60; }
  LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
  LONGLONG GetTotalSeconds() const { return m_span; }
  LONG GetSeconds() const { return static_cast<LONG>(m_span - GetTotalMinutes() * 60); }
  time_t GetTimeSpan() const { return m_span; }

  CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
  CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
  bool operator==(CTimeSpan o) const { return m_span == o.m_span; }
  bool operator!=(CTimeSpan o) const { return m_span != o.m_span; }
  bool operator<(CTimeSpan o) const { return m_span < o.m_span; }
  bool operator>(CTimeSpan o) const { return m_span > o.m_span; }

private:
  time_t m_span = 0;
};

class ZEL_EXPORT CTime {
public:
  CTime() = default;
  CTime(time_t t) : m_time(t) {}
  // Local time; nDST < 0 lets the C library decide. Out-of-range parts throw
  // std::invalid_argument, as the framework asserts.
  CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
  CTime(const SYSTEMTIME& st, int nDST = -1);

  static CTime GetCurrentTime();

  time_t GetTime() const { return m_time; }
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday
  // The parts in local time; false if the C library cannot convert.
  bool GetLocalTm(struct tm& out) const;
  bool GetGmtTm(struct tm& out) const;
  BOOL GetAsSystemTime(SYSTEMTIME& st) const;

  // strftime letters (%Y %m %d %H %M %S %a %b ...), in local time.
  CString Format(const wchar_t* pFormat) const;
  CString FormatGmt(const wchar_t* pFormat) const;

  CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
  CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
  CTimeSpan operator-(CTime o) const { return CTimeSpan(m_time - o.m_time); }
  CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
  CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
  bool operator==(CTime o) const { return m_time == o.m_time; }
  bool operator!=(CTime o) const { return m_time != o.m_time; }
  bool operator<(CTime o) const { return m_time < o.m_time; }
  bool operator<=(CTime o) const { return m_time <= o.m_time; }
  bool operator>(CTime o) const { return m_time > o.m_time; }
  bool operator>=(CTime o) const { return m_time >= o.m_time; }

private:
  time_t m_time = 0;
};

class ZEL_EXPORT COleDateTimeSpan {
public:
  enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

  COleDateTimeSpan() = default;
  COleDateTimeSpan(double dblSpanSrc) : m_span(dblSpanSrc) {}
  COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs);

  DateTimeSpanStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeSpanStatus s) { m_status = s; }
  double GetTotalDays() const { return m_span; }
  double GetTotalHours() const { return m_span * 24; }
  double GetTotalMinutes() const { return m_span * 24 * 60; }
  double GetTotalSeconds() const { return m_span * 24 * 60 * 60; }
  LONG GetDays() const { return static_cast<LONG>(m_span); }
  LONG GetHours() const;
  LONG GetMinutes() const;
  LONG GetSeconds() const;

  COleDateTimeSpan operator+(const COleDateTimeSpan& o) const;
  COleDateTimeSpan operator-(const COleDateTimeSpan& o) const;
  bool operator==(const COleDateTimeSpan& o) const { return m_status == o.m_status && m_span == o.m_span; }
  bool operator!=(const COleDateTimeSpan& o) const { return !(*this == o); }

  double m_span = 0;
  DateTimeSpanStatus m_status = valid;
};

class ZEL_EXPORT COleDateTime {
public:
  enum DateTimeStatus { valid = 0, null = 1, invalid = 2, error = -1 };

  // The zero date (1899-12-30 00:00:00), valid.
  COleDateTime() = default;
  COleDateTime(DATE dtSrc) : m_dt(dtSrc) {}
  COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
  COleDateTime(time_t timeSrc);
  COleDateTime(const SYSTEMTIME& st);
  COleDateTime(const CTime& t) : COleDateTime(t.GetTime()) {}

  static COleDateTime GetCurrentTime();

  DateTimeStatus GetStatus() const { return m_status; }
  void SetStatus(DateTimeStatus s) { m_status = s; }
  // Each answers 0 when the parts make a date (status valid), else 1 and
  // the object is invalid.
  int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
  int SetDate(int nYear, int nMonth, int nDay) { return SetDateTime(nYear, nMonth, nDay, 0, 0, 0); }
  int SetTime(int nHour, int nMin, int nSec) { return SetDateTime(1899, 12, 30, nHour, nMin, nSec); }

  // -1 (AFX_OLE_DATETIME_ERROR) when the object is not valid.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday
  int GetDayOfYear() const;  // 1 = January 1st
  bool GetAsSystemTime(SYSTEMTIME& st) const;
  bool GetAsTm(struct tm& out) const;

  // strftime letters; an invalid date formats as "Invalid DateTime", a null
  // one as the empty string.
  CString Format(const wchar_t* pFormat) const;
  // Reads the automation text forms; FALSE (and invalid) when it is no date.
  bool ParseDateTime(const wchar_t* lpszDate, DWORD dwFlags = 0, DWORD lcid = 0);

  operator DATE() const { return m_dt; }
  COleDateTime& operator=(DATE dt) { m_dt = dt; m_status = valid; return *this; }
  COleDateTime& operator=(time_t t) { return *this = COleDateTime(t); }

  COleDateTime operator+(const COleDateTimeSpan& s) const;
  COleDateTime operator-(const COleDateTimeSpan& s) const;
  COleDateTime& operator+=(const COleDateTimeSpan& s) { return *this = *this + s; }
  COleDateTime& operator-=(const COleDateTimeSpan& s) { return *this = *this - s; }
  COleDateTimeSpan operator-(const COleDateTime& o) const;

  // Ordered by the instant, whatever the sign conventions of DATE below
  // its zero.
  bool operator==(const COleDateTime& o) const;
  bool operator!=(const COleDateTime& o) const { return !(*this == o); }
  bool operator<(const COleDateTime& o) const;
  bool operator>(const COleDateTime& o) const { return o < *this; }
  bool operator<=(const COleDateTime& o) const { return !(o < *this); }
  bool operator>=(const COleDateTime& o) const { return !(*this < o); }

  DATE m_dt = 0;
  DateTimeStatus m_status = valid;
};

#define AFX_OLE_DATETIME_ERROR (-1)
