// A listing of one remote folder, read whole when FindFile starts it and
// then walked one entry at a time: FindNextFile makes the next entry
// current and answers whether another follows it.
#pragma once

#include <vector>

#include "platform/inet/FtpListing.h"
#include "platform/inet/InetTypes.h"
#include "platform/mfc/Time.h"

class CFtpConnection;

class ZEL_EXPORT CFtpFileFind {
public:
  // The most a listing may hold; a longer one is refused, not cut.
  static constexpr size_t kMaxListing = 64u << 20;

  explicit CFtpFileFind(CFtpConnection* pConnection, DWORD_PTR dwContext = 1);
  CFtpFileFind(const CFtpFileFind&) = delete;
  CFtpFileFind& operator=(const CFtpFileFind&) = delete;
  virtual ~CFtpFileFind();

  // pstrName: NULL or "*" for the working folder, else "folder/mask" or a
  // mask with * and ?. FALSE with the last error set when the listing
  // fails or holds nothing (ERROR_NO_MORE_FILES).
  virtual BOOL FindFile(LPCWSTR pstrName = NULL, DWORD dwFlags = INTERNET_FLAG_RELOAD);
  virtual BOOL FindNextFile();
  void Close();

  BOOL IsDots() const;
  BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
  BOOL MatchesMask(DWORD dwMask) const;
  CString GetFileName() const;
  // The folder the listing was asked for, joined with the name.
  CString GetFilePath() const;
  ULONGLONG GetLength() const;
  BOOL GetLastWriteTime(CTime& refTime) const;

private:
  const FtpEntry* Current() const;

  CFtpConnection* m_pConnection;
  std::vector<FtpEntry> m_entries;
  long m_nCurrent = -1;
  CString m_strRoot;
};
