// The listing of ZELFtp: one entry at a time, and the plain files of the
// remote folder for the folder download.
#include <memory>

#include "ZELFtp.h"
#include "ZELResult.h"
#include "ftp/FtpReport.h"

void ZELFtp::CloseFF() {
  if (m_pFileFind) {
    m_pFileFind->Close();
    delete m_pFileFind;
    m_pFileFind = NULL;
  }
}

int ZELFtp::GetFirstItem(ZELFtpItem& item) {
  if (!m_bConnected) {
    FtpReportCode(*this, kSiteFirstOffline, ZEL_RESULT_NOT_OPEN, L"NET_DISCONNECT");
    return 0;
  }
  CloseFF();
  m_pFileFind = new CFtpFileFind(m_pConnection, 1);
  if (!m_pFileFind->FindFile(L"*", INTERNET_FLAG_RELOAD)) {
    FtpReportLastError(*this, kSiteFirstFind, ZEL_CATEGORY_SYSTEM, L"FIND_FILE");
    CloseFF();
    return 0;
  }
  return GetNextItem(item);
}

int ZELFtp::GetNextItem(ZELFtpItem& item) {
  if (!m_bConnected || !m_pFileFind) {
    FtpReportCode(*this, kSiteNextNoListing, ZEL_RESULT_NOT_OPEN, L"NEED_FIRST");
    return 0;
  }
  BOOL more = TRUE;
  do {
    if (!more) {
      CloseFF();
      return 0;
    }
    more = m_pFileFind->FindNextFile();
  } while (m_pFileFind->IsDots());
  item.m_strName = m_pFileFind->GetFileName();
  item.m_dwSize = static_cast<unsigned long>(m_pFileFind->GetLength() & 0xFFFFFFFFu);
  item.m_nType = m_pFileFind->MatchesMask(FILE_ATTRIBUTE_DIRECTORY) ? ZELFtpItem::TYPE_DIR : ZELFtpItem::TYPE_FILE;
  m_pFileFind->GetLastWriteTime(item.m_tmLastWrite);
  if (more) return more;
  CloseFF();
  return 0;
}

unsigned long ZELFtp::GetFileSize(const wchar_t* remotePath) {
  unsigned long size = 0;
  ZelGuarded(
      [&] {
        std::unique_ptr<CInternetFile> file(
            m_pConnection->OpenFile(remotePath, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 1));
        if (!file) return;
        size = static_cast<unsigned long>(file->GetLength() & 0xFFFFFFFFu);
        file->Close();
      },
      [&](const ZELFailure& f) { FtpReportFailure(*this, kSiteFileSize, f, remotePath); });
  return size;
}

LONGLONG ZELFtp::GetDirFiles(CStringArray& files) {
  CFtpFileFind find(m_pConnection, 1);
  LONGLONG total = 0;
  if (!find.FindFile(L"*", INTERNET_FLAG_RELOAD)) return 0;
  BOOL more;
  do {
    more = find.FindNextFile();
    if (find.IsDots() || find.MatchesMask(FILE_ATTRIBUTE_DIRECTORY)) continue;
    total += static_cast<LONGLONG>(find.GetLength());
    files.Add(find.GetFilePath());
  } while (more);
  find.Close();
  return total;
}
