// The transfers of ZELFtp: one file or the plain files of one folder, up or
// down, in 4096-byte chunks, with progress records and cancellation.
#include <memory>

#include "ZELFtp.h"
#include "ZELGF.h"
#include "ZELResult.h"
#include "ftp/FtpLocalFile.h"
#include "ftp/FtpReport.h"
#include "platform/mfc/File.h"

namespace {

enum { kChunk = 4096, kCancel = 2 };

// A percentage of nothing left to do is done.
int Percent(LONGLONG done, LONGLONG base) { return base <= 0 ? 100 : static_cast<int>(done * 100 / base); }

__ZEL_FTP_PROGRESS* ProgressOf(__ZEL_NOTIFY& notify) { return reinterpret_cast<__ZEL_FTP_PROGRESS*>(notify.nData); }

// After a chunk of n bytes: true when the callback asked to stop.
bool Step(ZELCallBack* pCallBack, __ZEL_NOTIFY& notify, LONGLONG n) {
  __ZEL_FTP_PROGRESS* p = ProgressOf(notify);
  if (!pCallBack || !p) return false;
  p->llTotalDone += n;
  p->nTotalPercent = Percent(p->llTotalDone, p->llTotalSize);
  p->llFileDone += n;
  p->nFilePercent = Percent(p->llFileDone, p->llFileSize);
  return pCallBack->CallBack(notify) == kCancel;
}

// A target that exists and is to be kept: counted as done.
int Keep(ZELCallBack* pCallBack, __ZEL_NOTIFY& notify) {
  __ZEL_FTP_PROGRESS* p = ProgressOf(notify);
  if (!pCallBack || !p) return ZEL_RESULT_OK;
  __ZEL_NOTIFY kept = {0, 0, ZELFTP_NOTIFY_KEPT, 0};
  if (pCallBack->CallBack(kept) == kCancel) return kCancel;
  p->llTotalDone += p->llFileSize;
  p->nTotalPercent = Percent(p->llTotalDone, p->llTotalSize);
  pCallBack->CallBack(notify);
  return ZEL_RESULT_OK;
}

// Ends a remote file: at once after a cancel, else with the server's word.
void Finish(std::unique_ptr<CInternetFile>& remote, bool bCancelled) {
  if (bCancelled)
    remote->Abort();
  else
    remote->Close();
  remote.reset();
}

// A listed name that stays one entry inside the folder it lands in.
bool IsPlainName(const CString& name) {
  return ZELGF::IsValidFileName(name) && name.Find(L'\\') < 0 && name.FindOneOf(L"\r\n") < 0;
}

}  // namespace

int ZELFtp::PutFile(const wchar_t* localPath, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack) {
  return PutFileEx(localPath, NULL, bOverwrite, dwFlags, pCallBack);
}

int ZELFtp::PutFileEx(const wchar_t* localPath, const wchar_t* remotePath, int bOverwrite, unsigned long dwFlags,
                      ZELCallBack* pCallBack) {
  if (!ZELGF::IsFile(localPath)) return FtpReportCode(*this, kSitePutMissing, ZEL_RESULT_FILE_MISSING, localPath);
  if (!m_bConnected) return FtpReportCode(*this, kSitePutOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  CString remote = ZELGF::IsValidFileName(remotePath) ? CString(remotePath) : ZELGF::ExtractName(localPath, 1);
  __ZEL_FTP_PROGRESS progress = {};
  progress.nFileCount = 1;
  progress.nFileIndex = 1;
  progress.llTotalSize = ZELGF::GetFileSize(localPath, 0);
  __ZEL_NOTIFY notify = {0, 0, ZELFTP_NOTIFY_PROGRESS, reinterpret_cast<LONG_PTR>(&progress)};
  m_bProcessing = TRUE;
  int r = PutFile_Internal(localPath, remote, bOverwrite, dwFlags, pCallBack, notify);
  m_bProcessing = FALSE;
  return r;
}

int ZELFtp::PutFile_Internal(const wchar_t* localPath, const wchar_t* remotePath, int bOverwrite,
                             unsigned long dwFlags, ZELCallBack* pCallBack, __ZEL_NOTIFY& notify) {
  CFile local;
  if (!local.Open(localPath, CFile::modeRead | CFile::typeBinary))
    return FtpReportCode(*this, kSitePutUnreadable, ZEL_RESULT_FILE_CREATE, localPath);
  __ZEL_FTP_PROGRESS* p = ProgressOf(notify);
  if (pCallBack && p) {
    p->strName = localPath;
    p->llFileSize = static_cast<LONGLONG>(local.GetLength());
    p->llFileDone = 0;
    p->nFilePercent = 0;
  }
  // Whether the remote file exists; a failed probe means it does not.
  std::unique_ptr<CInternetFile> remote;
  try {
    remote.reset(m_pConnection->OpenFile(remotePath, GENERIC_READ, dwFlags, 1));
  } catch (CInternetException* e) {
    e->Delete();
  }
  if (remote) {
    remote->Abort();
    remote.reset();
    if (!bOverwrite) return Keep(pCallBack, notify);
  }
  int result = ZEL_RESULT_OK;
  BOOL ok = ZelGuarded(
      [&] {
        remote.reset(m_pConnection->OpenFile(remotePath, GENERIC_WRITE, dwFlags, 1));
        if (!remote) {
          local.Close();
          result = FtpReportCode(*this, kSitePutNoRemote, ZEL_RESULT_REMOTE_OPEN, remotePath);
          return;
        }
        FtpLocalFile source(local);
        const char* chunk = nullptr;
        UINT n = source.Next(chunk, kChunk);
        while (n > 0) {
          remote->Write(chunk, n);
          if (Step(pCallBack, notify, n)) {
            result = kCancel;
            break;
          }
          n = source.Next(chunk, kChunk);
        }
        local.Close();
        Finish(remote, result == kCancel);
      },
      [&](const ZELFailure& f) { FtpReportFailure(*this, kSitePutFailed, f, remotePath); });
  return ok ? result : ZEL_RESULT_FILE_CREATE;
}

int ZELFtp::GetFile(const wchar_t* remotePath, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack) {
  return GetFileEx(remotePath, NULL, bOverwrite, dwFlags, pCallBack);
}

int ZELFtp::GetFileEx(const wchar_t* remotePath, const wchar_t* localPath, int bOverwrite, unsigned long dwFlags,
                      ZELCallBack* pCallBack) {
  if (!m_bConnected) return FtpReportCode(*this, kSiteGetOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  CString target = ZELGF::IsValidPathName(localPath) ? CString(localPath) : ZELGF::MakePath(m_strLocalDir, remotePath);
  if (!ZELGF::IsValidPathName(target)) return FtpReportCode(*this, kSiteGetInvalid, ZEL_RESULT_INVALID_NAME, target);
  // A bare name lands in the current folder, which exists.
  CString folder = ZELGF::ExtractDir(target);
  if (!folder.IsEmpty() && ZELGF::CreateDir(folder) != 0) return FtpReportCode(*this, kSiteGetNoFolder, ZEL_RESULT_DIR_CREATE, folder);
  __ZEL_FTP_PROGRESS progress = {};
  progress.nFileCount = 1;
  progress.nFileIndex = 1;
  progress.llTotalSize = GetFileSize(remotePath);
  __ZEL_NOTIFY notify = {0, 0, ZELFTP_NOTIFY_PROGRESS, reinterpret_cast<LONG_PTR>(&progress)};
  m_bProcessing = TRUE;
  int r = GetFile_Internal(remotePath, target, bOverwrite, dwFlags, pCallBack, notify);
  m_bProcessing = FALSE;
  return r;
}

int ZELFtp::GetFile_Internal(const wchar_t* remotePath, const wchar_t* localPath, int bOverwrite,
                             unsigned long dwFlags, ZELCallBack* pCallBack, __ZEL_NOTIFY& notify) {
  __ZEL_FTP_PROGRESS* p = ProgressOf(notify);
  if (pCallBack && p) {
    p->strName = localPath;
    p->llFileSize = GetFileSize(remotePath);
    p->llFileDone = 0;
    p->nFilePercent = 0;
  }
  if (!bOverwrite && ZELGF::IsFile(localPath)) return Keep(pCallBack, notify);
  int r = ZELGF::CreateFileW(localPath, 1, 1);
  if (ZELResult::IsFailure(r)) return FtpReportCode(*this, kSiteGetNoLocal, r, localPath);
  CFile local;
  if (!local.Open(localPath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary))
    return FtpReportCode(*this, kSiteGetUnopenable, ZEL_RESULT_FILE_CREATE, localPath);
  int result = ZEL_RESULT_OK;
  std::unique_ptr<CInternetFile> remote;
  FtpLocalFile target(local);
  BOOL ok = ZelGuarded(
      [&] {
        remote.reset(m_pConnection->OpenFile(remotePath, GENERIC_READ, dwFlags, 1));
        if (!remote) {
          local.Close();
          result = FtpReportCode(*this, kSiteGetNoRemote, ZEL_RESULT_REMOTE_OPEN, remotePath);
          return;
        }
        UINT n = remote->Read(target.Room(kChunk), kChunk);
        while (n > 0) {
          target.Commit(n);
          if (Step(pCallBack, notify, n)) {
            result = kCancel;
            break;
          }
          n = remote->Read(target.Room(kChunk), kChunk);
        }
        target.Flush();
        local.Close();
        Finish(remote, result == kCancel);
      },
      [&](const ZELFailure& f) { FtpReportFailure(*this, kSiteGetFailed, f, remotePath); });
  if (!ok) {
    // What arrived before the failure stays in the local file.
    target.FlushQuietly();
    local.Abort();
  }
  return ok ? result : ZEL_RESULT_FILE_CREATE;
}

int ZELFtp::PutDir(const wchar_t* localDir, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack) {
  return PutDirEx(localDir, NULL, bOverwrite, dwFlags, pCallBack);
}

int ZELFtp::PutDirEx(const wchar_t* localDir, const wchar_t* remoteDir, int bOverwrite, unsigned long dwFlags,
                     ZELCallBack* pCallBack) {
  if (!ZELGF::IsDir(localDir)) return FtpReportCode(*this, kSitePutDirMissing, ZEL_RESULT_DIR_MISSING, localDir);
  if (!m_bConnected) return FtpReportCode(*this, kSitePutDirOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  CString base = ZELGF::IsValidFileName(remoteDir) ? CString(remoteDir) : ZELGF::ExtractName(localDir, 1);
  CStringArray files;
  __ZEL_FTP_PROGRESS progress = {};
  progress.llTotalSize = ZELGF::GetDirInfo(localDir, NULL, NULL, &files, 0, NULL);
  progress.nFileCount = static_cast<int>(files.GetSize());
  __ZEL_NOTIFY notify = {0, 0, ZELFTP_NOTIFY_PROGRESS, reinterpret_cast<LONG_PTR>(&progress)};
  m_bProcessing = TRUE;
  int r = ZEL_RESULT_OK;
  for (int i = 0; i < files.GetSize() && r == ZEL_RESULT_OK; ++i) {
    CString remote = ZELGF::MakePath(base, ZELGF::ExtractName(files[i], 1));
    if (pCallBack) ++progress.nFileIndex;
    r = PutFile_Internal(files[i], remote, bOverwrite, dwFlags, pCallBack, notify);
  }
  m_bProcessing = FALSE;
  return r;
}

int ZELFtp::GetDir(const wchar_t* remoteDir, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack) {
  return GetDirEx(remoteDir, NULL, bOverwrite, dwFlags, pCallBack);
}

int ZELFtp::GetDirEx(const wchar_t* remoteDir, const wchar_t* localDir, int bOverwrite, unsigned long dwFlags,
                     ZELCallBack* pCallBack) {
  if (!m_bConnected) return FtpReportCode(*this, kSiteGetDirOffline, ZEL_RESULT_NOT_CONNECTED, NULL);
  CString saved = m_strRemoteDir;
  // Right after the log-in no folder was set: the server's own is the one
  // to come back to.
  if (saved.IsEmpty()) m_pConnection->GetCurrentDirectory(saved);
  CString target = ZELGF::IsValidPathName(localDir) ? CString(localDir) : ZELGF::MakePath(m_strLocalDir, remoteDir);
  if (ZELGF::CreateDir(target) != 0) return FtpReportCode(*this, kSiteGetDirNoFolder, ZEL_RESULT_DIR_CREATE, target);
  int r = SetRemoteDir(remoteDir);
  if (r != ZEL_RESULT_OK) return FtpReportCode(*this, kSiteGetDirNoRemote, r, remoteDir);
  m_bProcessing = TRUE;
  __ZEL_FTP_PROGRESS progress = {};
  __ZEL_NOTIFY notify = {0, 0, ZELFTP_NOTIFY_DIR_PROGRESS, reinterpret_cast<LONG_PTR>(&progress)};
  CStringArray files;
  progress.llTotalSize = GetDirFiles(files);
  progress.nFileCount = static_cast<int>(files.GetSize());
  for (int i = 0; i < files.GetSize() && r == ZEL_RESULT_OK; ++i) {
    if (pCallBack) ++progress.nFileIndex;
    // The names come from the server: one that would land outside the
    // target folder is not fetched.
    if (!IsPlainName(files[i])) {
      SetLog_Warning(ZEL_CATEGORY_GENERAL, L"A listed name that leaves the folder was skipped.", files[i],
                     ZEL_LOG_FLAG_REPORT);
      continue;
    }
    r = GetFile_Internal(files[i], ZELGF::MakePath(target, files[i]), bOverwrite, dwFlags, pCallBack, notify);
  }
  if (!saved.IsEmpty()) SetRemoteDir(saved);
  m_bProcessing = FALSE;
  return r;
}
