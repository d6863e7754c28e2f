// The one table of places ZELExcel reports a failure of its own making
// (memory for a text or a statement) and the frame that reports it; the
// database object reports its own failures.
#pragma once

#include "ZELExcel.h"
#include "ZELFailure.h"
#include "ZELResult.h"

enum ZELExcelSite { kExcelOpen, kExcelOpenSheetEx, kExcelDeleteSheetEx, kExcelGetText, kExcelSetText };

inline const ZELReportSite& ZELExcelSiteOf(int nSite) {
  static const ZELReportSite kSites[] = {
      {L"ZELExcel::Open", 60},     {L"ZELExcel::OpenSheetEx", 98}, {L"ZELExcel::DeleteSheetEx", 130},
      {L"ZELExcel::GetText", 240}, {L"ZELExcel::SetText", 290},
  };
  return kSites[nSite];
}

template <class Body>
BOOL ZELExcel::Guard(int nSite, Body&& body) {
  return ZelGuarded(body, [&](const ZELFailure& f) {
    m_strLastError = f.strText;
    const ZELReportSite& site = ZELExcelSiteOf(nSite);
    SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_CAUGHT, f.nCode, f.strText, f.strDescription, L".\\ZELExcel", site.pszFunction,
           site.nLine, ZEL_LOG_FLAG_REPORT);
  });
}
