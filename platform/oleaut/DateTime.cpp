#include "platform/oleaut/DateTime.h"

#include <cmath>
#include <cstdio>
#include <cwctype>

namespace {

const double kSecondsPerDay = 86400.0;
const double kMinDate = -657434.0;          // 100-01-01
const double kMaxDate = 2958466.0;          // 10000-01-01, exclusive

// Days since 1970-01-01 in the proleptic Gregorian calendar.
long DaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  unsigned yoe = static_cast<unsigned>(y - era * 400);
  unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, long& y, unsigned& m, unsigned& d) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  unsigned doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<long>(yoe) + era * 400 + (m <= 2);
}

const long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(long y, unsigned m) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool ValidDay(long y, unsigned m, unsigned d) {
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

// Whole days plus a forward-counting time of day, written as DATE.
DATE Compose(long days, double seconds) {
  double frac = seconds / kSecondsPerDay;
  return days >= 0 ? days + frac : days - frac;
}

// Reads exactly n digits.
bool Digits(const wchar_t*& s, int n, unsigned& out) {
  out = 0;
  for (int i = 0; i < n; ++i, ++s) {
    if (*s < L'0' || *s > L'9') return false;
    out = out * 10 + static_cast<unsigned>(*s - L'0');
  }
  return true;
}

// HH:MM[:SS[.fraction]] into seconds of the day.
bool ParseTime(const wchar_t*& s, double& seconds) {
  unsigned h, mi, sec = 0;
  if (!Digits(s, 2, h) || *s++ != L':' || !Digits(s, 2, mi)) return false;
  double frac = 0;
  if (*s == L':') {
    ++s;
    if (!Digits(s, 2, sec)) return false;
    if (*s == L'.') {
      double unit = 0.1;
      for (++s; *s >= L'0' && *s <= L'9'; ++s, unit /= 10) frac += (*s - L'0') * unit;
    }
  }
  if (h > 23 || mi > 59 || sec > 59) return false;
  seconds = h * 3600.0 + mi * 60.0 + sec + frac;
  return true;
}

}  // namespace

INT SystemTimeToVariantTime(LPSYSTEMTIME st, DOUBLE* pvtime) {
  if (!st || !pvtime) return FALSE;
  if (!ValidDay(st->wYear, st->wMonth, st->wDay) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59)
    return FALSE;
  long days = DaysFromCivil(st->wYear, st->wMonth, st->wDay) - kEpoch;
  *pvtime = Compose(days, st->wHour * 3600.0 + st->wMinute * 60.0 + st->wSecond);
  return TRUE;
}

INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME st) {
  if (!st || !(vtime >= kMinDate && vtime < kMaxDate)) return FALSE;
  // the whole part names the day, the fraction counts forward from midnight
  double whole = std::trunc(vtime);
  long days = static_cast<long>(whole);
  long secs = std::lround(std::fabs(vtime - whole) * kSecondsPerDay);
  if (secs >= 86400) {
    ++days;
    secs -= 86400;
  }
  long y;
  unsigned m, d;
  long civil = days + kEpoch;
  CivilFromDays(civil, y, m, d);
  if (y > 9999) return FALSE;  // the last second rounded into year 10000
  st->wYear = static_cast<WORD>(y);
  st->wMonth = static_cast<WORD>(m);
  st->wDay = static_cast<WORD>(d);
  st->wDayOfWeek = static_cast<WORD>(((civil % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  st->wHour = static_cast<WORD>(secs / 3600);
  st->wMinute = static_cast<WORD>(secs / 60 % 60);
  st->wSecond = static_cast<WORD>(secs % 60);
  st->wMilliseconds = 0;
  return TRUE;
}

HRESULT VarDateFromStr(LPCOLESTR strIn, LCID, ULONG, DATE* pdateOut) {
  if (!strIn || !pdateOut) return E_INVALIDARG;
  const wchar_t* s = strIn;
  while (std::iswspace(*s)) ++s;
  long days = 0;
  double seconds = 0;
  if (s[0] && s[1] && s[2] == L':') {
    if (!ParseTime(s, seconds)) return DISP_E_TYPEMISMATCH;
  } else {
    unsigned y, m, d;
    if (!Digits(s, 4, y) || *s++ != L'-' || !Digits(s, 2, m) || *s++ != L'-' || !Digits(s, 2, d) ||
        !ValidDay(y, m, d))
      return DISP_E_TYPEMISMATCH;
    days = DaysFromCivil(y, m, d) - kEpoch;
    if ((*s == L'T' || *s == L' ') && s[1] >= L'0' && s[1] <= L'9') {
      ++s;
      if (!ParseTime(s, seconds)) return DISP_E_TYPEMISMATCH;
      }
  }
  while (std::iswspace(*s)) ++s;
  if (*s) return DISP_E_TYPEMISMATCH;
  *pdateOut = Compose(days, seconds);
  return S_OK;
}

HRESULT VarBstrFromDate(DATE dateIn, LCID, ULONG, BSTR* pbstrOut) {
  if (!pbstrOut) return E_INVALIDARG;
  SYSTEMTIME st;
  if (!VariantTimeToSystemTime(dateIn, &st)) return DISP_E_OVERFLOW;
  bool midnight = st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0;
  bool dayZero = st.wYear == 1899 && st.wMonth == 12 && st.wDay == 30;
  wchar_t buf[32];
  if (midnight)
    swprintf(buf, 32, L"%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
  else if (dayZero)
    swprintf(buf, 32, L"%02u:%02u:%02u", st.wHour, st.wMinute, st.wSecond);
  else
    swprintf(buf, 32, L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond);
  *pbstrOut = SysAllocString(buf);
  return *pbstrOut ? S_OK : E_OUTOFMEMORY;
}
