// A remote file open for reading or for writing. Bytes pass through a
// buffer of its own so that a caller reading or writing small chunks does
// not pay a system call per chunk. Read, Write and Close throw
// CInternetException*; Abort never throws and never waits long.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/inet/FtpClient.h"
#include "platform/inet/InetTypes.h"

class ZEL_EXPORT CInternetFile {
public:
  static CInternetFile* Upload(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire,
                               char type);
  // bStartNow when the server gave no size: RETR says whether the file is there.
  static CInternetFile* Download(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire,
                                 char type, ULONGLONG nSize, bool bStartNow);

  CInternetFile(const CInternetFile&) = delete;
  CInternetFile& operator=(const CInternetFile&) = delete;
  // Abandons a transfer still running.
  virtual ~CInternetFile();

  // Up to nCount bytes; 0 at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  virtual void Write(const void* lpBuf, UINT nCount);
  // Ends the transfer and takes the server's word on it; a download closed
  // before its end is abandoned.
  virtual void Close();
  // Ends the transfer at once: what was sent stays sent.
  virtual void Abort();

  // The size the server gave for a download; the bytes written so far for
  // an upload.
  virtual ULONGLONG GetLength() const;
  CString GetFileName() const { return m_strName; }

private:
  CInternetFile(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire, char type,
                bool bWrite);
  void Start();
  void Flush();
  void Release();

  std::shared_ptr<FtpClient> m_client;
  CString m_strName;
  std::string m_wire;
  char m_type;
  bool m_bWrite;
  bool m_bStarted = false;
  bool m_bEnd = false;
  ULONGLONG m_nSize = 0;
  ULONGLONG m_nDone = 0;
  FtpSocket m_data;
  std::vector<char> m_buf;
  size_t m_nBufPos = 0, m_nBufLen = 0;
};
