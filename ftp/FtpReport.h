// Where ZELFtp reports from, and the three shapes of its reports: a result
// code, a caught failure (an internet exception above all), and a refused
// request whose reason is the thread's last error.
#pragma once

#include "ZELFailure.h"
#include "ZELLog.h"

enum FtpSite {
  kSiteConnectEmpty, kSiteConnectNotUrl, kSiteConnectNotFtp, kSiteConnectFailed, kSiteConnectNoObject,
  kSiteSetDirInvalid, kSiteSetDirOffline, kSiteSetDirRefused,
  kSiteFirstOffline, kSiteFirstFind, kSiteNextNoListing,
  kSiteCreateFileInvalid, kSiteCreateFileOffline, kSiteCreateFileFailed, kSiteCreateFileNoObject,
  kSiteDeleteFileInvalid, kSiteDeleteFileOffline, kSiteDeleteFileRefused,
  kSiteRenameFileOld, kSiteRenameFileNew, kSiteRenameFileOffline, kSiteRenameFileRefused,
  kSiteCreateDirInvalid, kSiteCreateDirOffline, kSiteCreateDirRefused,
  kSiteDeleteDirInvalid, kSiteDeleteDirOffline, kSiteDeleteDirRefused,
  kSiteRenameDirInvalid, kSiteRenameDirOffline, kSiteRenameDirRefused,
  kSiteFileSize,
  kSitePutMissing, kSitePutOffline, kSitePutUnreadable, kSitePutNoRemote, kSitePutFailed,
  kSiteGetOffline, kSiteGetInvalid, kSiteGetNoFolder,
  kSiteGetNoLocal, kSiteGetUnopenable, kSiteGetNoRemote, kSiteGetFailed,
  kSitePutDirMissing, kSitePutDirOffline,
  kSiteGetDirOffline, kSiteGetDirNoFolder, kSiteGetDirNoRemote,
  kSiteCount
};

// Reports a result code (category 1) and answers it.
int FtpReportCode(ZELLog& log, FtpSite site, int nCode, const wchar_t* pszDetail);
// Reports a caught failure with its own code and text (category 2).
void FtpReportFailure(ZELLog& log, FtpSite site, const ZELFailure& f, const wchar_t* pszDetail);
// Reports the last error after a refused request, in the given category.
void FtpReportLastError(ZELLog& log, FtpSite site, long nCategory, const wchar_t* pszDetail);
