#include "platform/mfc/Time.h"

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

const double kSecondsPerDay = 86400.0;

CString FormatTm(const struct tm& t, const wchar_t* pFormat) {
  if (!pFormat || !*pFormat) return CString();
  // wcsftime answers 0 both for a short buffer and for an empty result;
  // grow a few times, then take the empty result as meant.
  for (size_t size = 128; size <= 65536; size *= 4) {
    std::vector<wchar_t> buf(size);
    size_t n = wcsftime(buf.data(), size, pFormat, &t);
    if (n > 0) return CString(buf.data(), static_cast<int>(n));
  }
  return CString();
}

bool InRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

// DATE below zero counts days backwards but the time of day forwards, so
// arithmetic and ordering work on a straight line of days instead.
double ToLinear(DATE d) {
  if (d >= 0) return d;
  double day = std::ceil(d);
  return day - (d - day);
}

DATE FromLinear(double x) {
  if (x >= 0) return x;
  double day = std::floor(x);
  return day - (x - day);
}

void FillTm(const SYSTEMTIME& st, int dayOfYear, struct tm& out) {
  out = tm();
  out.tm_year = st.wYear - 1900;
  out.tm_mon = st.wMonth - 1;
  out.tm_mday = st.wDay;
  out.tm_hour = st.wHour;
  out.tm_min = st.wMinute;
  out.tm_sec = st.wSecond;
  out.tm_wday = st.wDayOfWeek;
  out.tm_yday = dayOfYear - 1;
  out.tm_isdst = -1;
}

}  // namespace

CTimeSpan::CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
    : m_span(static_cast<time_t>(lDays) * 86400 + static_cast<time_t>(nHours) * 3600 +
             static_cast<time_t>(nMins) * 60 + nSecs) {}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
  if (!InRange(nYear, 1900, 9999) || !InRange(nMonth, 1, 12) || !InRange(nDay, 1, 31) || !InRange(nHour, 0, 23) ||
      !InRange(nMin, 0, 59) || !InRange(nSec, 0, 59))
    throw std::invalid_argument("CTime: date or time out of range");
  struct tm t = tm();
  t.tm_year = nYear - 1900;
  t.tm_mon = nMonth - 1;
  t.tm_mday = nDay;
  t.tm_hour = nHour;
  t.tm_min = nMin;
  t.tm_sec = nSec;
  t.tm_isdst = nDST < 0 ? -1 : (nDST > 0 ? 1 : 0);
  m_time = mktime(&t);
  if (m_time == static_cast<time_t>(-1)) throw std::invalid_argument("CTime: time cannot be represented");
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST) {}

CTime CTime::GetCurrentTime() { return CTime(time(nullptr)); }

bool CTime::GetLocalTm(struct tm& out) const { return localtime_r(&m_time, &out) != nullptr; }
bool CTime::GetGmtTm(struct tm& out) const { return gmtime_r(&m_time, &out) != nullptr; }

// The parts of both time classes come from a struct tm. A CTime the C
// library cannot split answers zero parts (all -1 would look like a date to
// callers that only print them); an invalid COleDateTime answers -1.
#define TIME_PARTS(Class, GetTm, failed)                                         \
  int Class::GetYear() const { struct tm t; return GetTm(t) ? t.tm_year + 1900 : (failed); } \
  int Class::GetMonth() const { struct tm t; return GetTm(t) ? t.tm_mon + 1 : (failed); }    \
  int Class::GetDay() const { struct tm t; return GetTm(t) ? t.tm_mday : (failed); }         \
  int Class::GetHour() const { struct tm t; return GetTm(t) ? t.tm_hour : (failed); }        \
  int Class::GetMinute() const { struct tm t; return GetTm(t) ? t.tm_min : (failed); }       \
  int Class::GetSecond() const { struct tm t; return GetTm(t) ? t.tm_sec : (failed); }       \
  int Class::GetDayOfWeek() const { struct tm t; return GetTm(t) ? t.tm_wday + 1 : (failed); }
TIME_PARTS(CTime, GetLocalTm, 0)
TIME_PARTS(COleDateTime, GetAsTm, AFX_OLE_DATETIME_ERROR)
#undef TIME_PARTS

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm t;
  if (!GetLocalTm(t) || t.tm_year + 1900 < 1601 || t.tm_year + 1900 > 30827) return FALSE;
  st.wYear = static_cast<WORD>(t.tm_year + 1900);
  st.wMonth = static_cast<WORD>(t.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
  st.wDay = static_cast<WORD>(t.tm_mday);
  st.wHour = static_cast<WORD>(t.tm_hour);
  st.wMinute = static_cast<WORD>(t.tm_min);
  st.wSecond = static_cast<WORD>(t.tm_sec);
  st.wMilliseconds = 0;
  return TRUE;
}

CString CTime::Format(const wchar_t* pFormat) const {
  struct tm t;
  return GetLocalTm(t) ? FormatTm(t, pFormat) : CString();
}

CString CTime::FormatGmt(const wchar_t* pFormat) const {
  struct tm t;
  return GetGmtTm(t) ? FormatTm(t, pFormat) : CString();
}

COleDateTimeSpan::COleDateTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
    : m_span(lDays + (static_cast<double>(nHours) * 3600 + nMins * 60.0 + nSecs) / kSecondsPerDay) {}

// The parts come from the span rounded to whole seconds, so 0.5 hours
// gives 30 minutes rather than 29 and a fraction.
static LONGLONG SpanSeconds(double span) { return std::llround(span * kSecondsPerDay) % 86400; }
LONG COleDateTimeSpan::GetHours() const { return static_cast<LONG>(SpanSeconds(m_span) / 3600); }
LONG COleDateTimeSpan::GetMinutes() const { return static_cast<LONG>(SpanSeconds(m_span) % 3600 / 60); }
LONG COleDateTimeSpan::GetSeconds() const { return static_cast<LONG>(SpanSeconds(m_span) % 60); }

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& o) const {
  COleDateTimeSpan r(m_span + o.m_span);
  if (m_status != valid || o.m_status != valid) r.m_status = m_status != valid ? m_status : o.m_status;
  return r;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& o) const {
  COleDateTimeSpan neg(-o.m_span);
  neg.m_status = o.m_status;
  return *this + neg;
}

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
  SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

COleDateTime::COleDateTime(time_t timeSrc) {
  struct tm t;
  if (!localtime_r(&timeSrc, &t)) {
    m_status = invalid;
    return;
  }
  SetDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

COleDateTime::COleDateTime(const SYSTEMTIME& st) {
  SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime(time(nullptr)); }

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
  m_dt = 0;
  m_status = invalid;
  // Checked here as ints: a negative part would wrap in the WORD fields.
  if (!InRange(nYear, 100, 9999) || !InRange(nMonth, 1, 12) || !InRange(nDay, 1, 31) || !InRange(nHour, 0, 23) ||
      !InRange(nMin, 0, 59) || !InRange(nSec, 0, 59))
    return 1;
  SYSTEMTIME st = {static_cast<WORD>(nYear), static_cast<WORD>(nMonth), 0, static_cast<WORD>(nDay),
                   static_cast<WORD>(nHour), static_cast<WORD>(nMin), static_cast<WORD>(nSec), 0};
  DATE d = 0;
  if (!SystemTimeToVariantTime(&st, &d)) return 1;
  m_dt = d;
  m_status = valid;
  return 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const {
  return m_status == valid && VariantTimeToSystemTime(m_dt, &st);
}


int COleDateTime::GetDayOfYear() const {
  SYSTEMTIME st;
  if (!GetAsSystemTime(st)) return AFX_OLE_DATETIME_ERROR;
  COleDateTime jan1(st.wYear, 1, 1, 0, 0, 0);
  if (jan1.m_status != valid) return AFX_OLE_DATETIME_ERROR;
  // The integer part of a DATE is its day on either side of zero.
  return static_cast<int>(std::trunc(m_dt) - std::trunc(jan1.m_dt)) + 1;
}

bool COleDateTime::GetAsTm(struct tm& out) const {
  SYSTEMTIME st;
  if (!GetAsSystemTime(st)) return false;
  FillTm(st, GetDayOfYear(), out);
  return true;
}

CString COleDateTime::Format(const wchar_t* pFormat) const {
  if (m_status == null) return CString();
  struct tm t;
  if (!GetAsTm(t)) return CString(L"Invalid DateTime");
  return FormatTm(t, pFormat);
}

bool COleDateTime::ParseDateTime(const wchar_t* lpszDate, DWORD dwFlags, DWORD lcid) {
  DATE d = 0;
  if (!lpszDate || FAILED(VarDateFromStr(lpszDate, lcid, dwFlags, &d))) {
    m_dt = 0;
    m_status = invalid;
    return false;
  }
  m_dt = d;
  m_status = valid;
  return true;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& s) const {
  COleDateTime r;
  if (m_status != valid || s.m_status != COleDateTimeSpan::valid) {
    r.m_status = (m_status == null || s.m_status == COleDateTimeSpan::null) ? null : invalid;
    return r;
  }
  r.m_dt = FromLinear(ToLinear(m_dt) + s.m_span);
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(r.m_dt, &st)) {  // beyond the years a date can hold
    r.m_dt = 0;
    r.m_status = invalid;
  }
  return r;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& s) const {
  COleDateTimeSpan neg(-s.m_span);
  neg.m_status = s.m_status;
  return *this + neg;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& o) const {
  COleDateTimeSpan r(ToLinear(m_dt) - ToLinear(o.m_dt));
  if (m_status != valid || o.m_status != valid) r.m_status = COleDateTimeSpan::invalid;
  return r;
}

bool COleDateTime::operator==(const COleDateTime& o) const {
  return m_status == o.m_status && ToLinear(m_dt) == ToLinear(o.m_dt);
}

bool COleDateTime::operator<(const COleDateTime& o) const { return ToLinear(m_dt) < ToLinear(o.m_dt); }
