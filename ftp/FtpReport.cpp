#include "ftp/FtpReport.h"

#include "ZELGF.h"
#include "ZELResult.h"
#include "platform/inet/InetTypes.h"

namespace {

const ZELReportSite kSites[kSiteCount] = {
    {L"ZELFtp::Connect", 99},        {L"ZELFtp::Connect", 110},       {L"ZELFtp::Connect", 116},
    {L"ZELFtp::Connect", 130},       {L"ZELFtp::Connect", 137},       {L"ZELFtp::SetRemoteDir", 156},
    {L"ZELFtp::SetRemoteDir", 162},  {L"ZELFtp::SetRemoteDir", 172},  {L"ZELFtp::GetFirstItem", 212},
    {L"ZELFtp::GetFirstItem", 221},  {L"ZELFtp::GetNextItem", 234},   {L"ZELFtp::CreateFileW", 274},
    {L"ZELFtp::CreateFileW", 280},   {L"ZELFtp::CreateFileW", 294},   {L"ZELFtp::CreateFileW", 301},
    {L"ZELFtp::DeleteFileW", 325},   {L"ZELFtp::DeleteFileW", 331},   {L"ZELFtp::DeleteFileW", 337},
    {L"ZELFtp::RenameFile", 360},    {L"ZELFtp::RenameFile", 367},    {L"ZELFtp::RenameFile", 373},
    {L"ZELFtp::RenameFile", 379},    {L"ZELFtp::CreateDir", 681},     {L"ZELFtp::CreateDir", 687},
    {L"ZELFtp::CreateDir", 693},     {L"ZELFtp::DeleteDir", 718},     {L"ZELFtp::DeleteDir", 724},
    {L"ZELFtp::DeleteDir", 730},     {L"ZELFtp::RenameDir", 742},     {L"ZELFtp::RenameDir", 748},
    {L"ZELFtp::RenameDir", 754},     {L"ZELFtp::GetFileSize", 926},   {L"ZELFtp::PutFileEx", 394},
    {L"ZELFtp::PutFileEx", 400},     {L"ZELFtp::PutFile_Internal", 434}, {L"ZELFtp::PutFile_Internal", 497},
    {L"ZELFtp::PutFile_Internal", 488}, {L"ZELFtp::GetFileEx", 539}, {L"ZELFtp::GetFileEx", 551},
    {L"ZELFtp::GetFileEx", 557},     {L"ZELFtp::GetFile_Internal", 604}, {L"ZELFtp::GetFile_Internal", 610},
    {L"ZELFtp::GetFile_Internal", 631}, {L"ZELFtp::GetFile_Internal", 622}, {L"ZELFtp::PutDirEx", 769},
    {L"ZELFtp::PutDirEx", 775},      {L"ZELFtp::GetDirEx", 821},      {L"ZELFtp::GetDirEx", 838},
    {L"ZELFtp::GetDirEx", 845},
};

const wchar_t kSource[] = L".\\ZELFtp";

void Put(ZELLog& log, FtpSite site, long nCategory, long nCode, const wchar_t* pszText, const wchar_t* pszDetail) {
  const ZELReportSite& s = kSites[site];
  log.SetLog(ZEL_LOG_ERROR, nCategory, nCode, pszText, pszDetail, kSource, s.pszFunction, s.nLine,
             ZEL_LOG_FLAG_REPORT);
}

}  // namespace

int FtpReportCode(ZELLog& log, FtpSite site, int nCode, const wchar_t* pszDetail) {
  Put(log, site, ZEL_CATEGORY_RESULT, nCode, ZELResult::GetResultString(nCode), pszDetail);
  return nCode;
}

void FtpReportFailure(ZELLog& log, FtpSite site, const ZELFailure& f, const wchar_t* pszDetail) {
  CString text = f.strText;
  if (text.IsEmpty()) text = ZELGF::FormatMsg(static_cast<DWORD>(f.nCode));
  Put(log, site, ZEL_CATEGORY_SYSTEM, f.nCode, text, pszDetail);
}

void FtpReportLastError(ZELLog& log, FtpSite site, long nCategory, const wchar_t* pszDetail) {
  DWORD code = GetLastError();
  // The system table has no words for a server's refusal; its reply has.
  CString text = ZelInternetErrorText(code);
  if (text.IsEmpty()) text = ZELGF::FormatMsg(code);
  Put(log, site, nCategory, static_cast<long>(code), text, pszDetail);
}
