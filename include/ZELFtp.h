// ZELFtp: an FTP client with a remembered remote folder, one-entry-at-a-time
// listings, remote file management and transfers of files and folders with
// progress notification and cancellation.
//
// Operations answer 0, 2 for a transfer the callback cancelled, or a
// negative ZEL_RESULT_* code, and report every failure once through ZELLog.
// Servers are reached in active mode (the server connects back to the
// address this side uses for the control connection); where a server
// refuses that, the connection goes on in passive mode. Names are UTF-8 on
// the wire; a name holding CR or LF is refused before anything is sent.
#pragma once

#include "ZELCallBack.h"
#include "ZELExport.h"
#include "ZELFtpItem.h"
#include "ZELLog.h"
#include "platform/inet/Inet.h"
#include "platform/mfc/String.h"

// The progress of a transfer, handed to the callback by address. The
// percentages are 100 when their base is 0 (an empty file, or a kept file
// whose size the server did not give): nothing is left to do.
struct __ZEL_FTP_PROGRESS {
  CString strName;      // the local path of the file being sent or written
  int nFileCount;
  int nFileIndex;       // 1-based
  int nTotalPercent;
  int nFilePercent;
  LONGLONG llTotalSize;
  LONGLONG llTotalDone;
  LONGLONG llFileSize;
  LONGLONG llFileDone;
};

// The kinds of notification ZELFtp sends (the third field).
enum { ZELFTP_NOTIFY_KEPT = 0, ZELFTP_NOTIFY_PROGRESS = 1, ZELFTP_NOTIFY_DIR_PROGRESS = 2 };

class ZEL_EXPORT ZELFtp : public ZELLog {
public:
  explicit ZELFtp(ZELLog* pLog = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  virtual ~ZELFtp();

  // server is an ftp URL ("ftp://host/", "ftp://[::1]/"); the port is the
  // argument's, never the URL's. GetServerName answers the URL's host.
  int Connect(const wchar_t* server, const wchar_t* user, const wchar_t* password, int port);
  void Disconnect();
  int IsConnected() { return m_bConnected; }
  int IsProcessing() { return m_bProcessing; }
  CString GetServerName() { return m_strServerName; }

  void SetLocalDir(const wchar_t* dir);
  CString GetLocalDir() { return m_strLocalDir; }
  CString GetRemoteDir() { return m_strRemoteDir; }
  int SetRemoteDir(const wchar_t* path);
  int MoveUpDir();

  // Nonzero while another call may deliver an entry: the call that
  // delivers the last one answers 0 with the item filled.
  int GetFirstItem(ZELFtpItem& item);
  int GetNextItem(ZELFtpItem& item);

  int CreateFileW(const wchar_t* path);
  int DeleteFileW(const wchar_t* path);
  int RenameFile(const wchar_t* oldName, const wchar_t* newName);
  int CreateDir(const wchar_t* path, int bEnter);
  int DeleteDir(const wchar_t* path);
  int RenameDir(const wchar_t* oldName, const wchar_t* newName);

  // Transfers in 4096-byte chunks. bOverwrite 0 keeps an existing target;
  // dwFlags is FTP_TRANSFER_TYPE_BINARY or _ASCII; pCallBack may be NULL.
  int PutFile(const wchar_t* localPath, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack);
  int PutFileEx(const wchar_t* localPath, const wchar_t* remotePath, int bOverwrite, unsigned long dwFlags,
                ZELCallBack* pCallBack);
  int GetFile(const wchar_t* remotePath, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack);
  int GetFileEx(const wchar_t* remotePath, const wchar_t* localPath, int bOverwrite, unsigned long dwFlags,
                ZELCallBack* pCallBack);
  int PutDir(const wchar_t* localDir, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack);
  int PutDirEx(const wchar_t* localDir, const wchar_t* remoteDir, int bOverwrite, unsigned long dwFlags,
               ZELCallBack* pCallBack);
  // Only names that stay inside the local folder are fetched; any other
  // name the server lists is skipped with a warning.
  int GetDir(const wchar_t* remoteDir, int bOverwrite, unsigned long dwFlags, ZELCallBack* pCallBack);
  int GetDirEx(const wchar_t* remoteDir, const wchar_t* localDir, int bOverwrite, unsigned long dwFlags,
               ZELCallBack* pCallBack);

private:
  ZELFtp(const ZELFtp&) = delete;
  ZELFtp& operator=(const ZELFtp&) = delete;

  CString GetAbsolutePath(const wchar_t* path);
  void CloseFF();
  unsigned long GetFileSize(const wchar_t* remotePath);
  LONGLONG GetDirFiles(CStringArray& files);
  int PutFile_Internal(const wchar_t* localPath, const wchar_t* remotePath, int bOverwrite, unsigned long dwFlags,
                       ZELCallBack* pCallBack, __ZEL_NOTIFY& notify);
  int GetFile_Internal(const wchar_t* remotePath, const wchar_t* localPath, int bOverwrite, unsigned long dwFlags,
                       ZELCallBack* pCallBack, __ZEL_NOTIFY& notify);

  CInternetSession m_session;
  CFtpConnection* m_pConnection;
  CFtpFileFind* m_pFileFind;
  int m_bConnected;
  int m_bProcessing;
  CString m_strLocalDir;
  CString m_strRemoteDir;
  CString m_strServerName;
};
