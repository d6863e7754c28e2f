// DATE: days since 1899-12-30 as a double, the fraction being the time of day.
// Before that day the integer part counts backwards while the fraction still
// counts forwards, so -1.25 is 1899-12-29 06:00 (not 18:00).
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/Bstr.h"

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;  // 0 = Sunday; ignored on input
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

// Years 100..9999 are representable. Both answer FALSE for anything else
// (a field out of range, NaN, a day number beyond year 9999); milliseconds
// are ignored going in and rounded to whole seconds going out.
ZEL_EXPORT INT SystemTimeToVariantTime(LPSYSTEMTIME lpSystemTime, DOUBLE* pvtime);
ZEL_EXPORT INT VariantTimeToSystemTime(DOUBLE vtime, LPSYSTEMTIME lpSystemTime);

// Text: "YYYY-MM-DD" for whole days, "YYYY-MM-DD HH:MM:SS" otherwise, and
// "HH:MM:SS" for a time on day zero. Parsing accepts those, a 'T' between
// date and time, "HH:MM" and an optional fraction of a second.
// DISP_E_TYPEMISMATCH for text that is no date.
ZEL_EXPORT HRESULT VarDateFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DATE* pdateOut);
ZEL_EXPORT HRESULT VarBstrFromDate(DATE dateIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
