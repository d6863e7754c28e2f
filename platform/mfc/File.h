// Files of the framework: CFile (binary), CStdioFile (lines of text) and the
// exception both throw.
//
// Read, Write, Seek, SetLength and Flush throw a CFileException* allocated
// with new, as the framework does; the catcher calls Delete(). Open answers
// FALSE instead and fills the exception it is given. Text is UTF-8 on disk.
#pragma once

#include "ZELExport.h"

#include <cstdio>
#include <string>

#include "platform/base/WinError.h"
#include "platform/base/WinTypes.h"
#include "platform/mfc/String.h"

class ZEL_EXPORT CException {
public:
  CException() = default;
  virtual ~CException() = default;
  // The framework's exceptions are thrown as pointers and freed by the
  // catcher.
  void Delete() { delete this; }
  // Writes the message into lpszError (at most nMaxError characters,
  // terminator included); FALSE when there is none.
  virtual BOOL GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext = NULL) const;
  virtual CString GetErrorMessage() const { return CString(); }
  // The code a report carries (our extension: the framework's exceptions
  // each keep theirs in a member of their own).
  virtual long GetErrorCode() const { return 0; }
};

class ZEL_EXPORT CFileException : public CException {
public:
  enum {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14
  };

  CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszArchiveName = NULL)
      : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}

  using CException::GetErrorMessage;
  // "<cause text>: <file name>." in our words.
  CString GetErrorMessage() const override;
  long GetErrorCode() const override { return m_cause; }

  // The cause for a Win32 code, and for an errno value.
  static int OsErrorToException(LONG lOsError);
  static int ErrnoToException(int nErrno);
  // Fills the exception from errno (cause, m_lOsError as a Win32 code).
  void SetFromErrno(int nErrno, LPCWSTR lpszFileName);
  [[noreturn]] static void ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = NULL);
  [[noreturn]] static void ThrowErrno(int nErrno, LPCWSTR lpszFileName = NULL);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

class ZEL_EXPORT CFile {
public:
  enum OpenFlags {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    osNoBuffer = 0x10000,
    osWriteThrough = 0x20000,
    osRandomAccess = 0x40000,
    osSequentialScan = 0x80000
  };
  enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

  static const HANDLE hFileNull;

  CFile() = default;
  // Opens or throws a CFileException*.
  CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;
  // Closes without throwing.
  virtual ~CFile();

  // The share modes are accepted; other processes are not kept out.
  virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL);
  virtual void Close();
  // Closes and forgets errors.
  virtual void Abort();

  virtual UINT Read(void* lpBuf, UINT nCount);
  virtual void Write(const void* lpBuf, UINT nCount);
  virtual void Flush();

  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG dwNewLen);

  CString GetFilePath() const { return m_strFileName; }
  // The last name of the path.
  CString GetFileName() const;
  // The name without its extension.
  CString GetFileTitle() const;
  BOOL IsOpen() const { return m_fd >= 0; }

  // The file descriptor as a handle value; hFileNull when closed.
  HANDLE m_hFile = hFileNull;

protected:
  [[noreturn]] void ThrowErrno(int nErrno) const;
  int m_fd = -1;
  CString m_strFileName;
};

// Lines of text. In text mode ReadString gives the line without its "\n"
// (and without a "\r" before it); WriteString writes "\n" where the text has
// one. Text that is not valid UTF-8 reads with U+FFFD in place of the bad
// bytes. Binary mode writes the text as given.
class ZEL_EXPORT CStdioFile : public CFile {
public:
  CStdioFile() = default;
  CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags);
  ~CStdioFile() override;

  BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = NULL) override;
  void Close() override;
  void Abort() override;

  // FALSE at the end of the file (and an empty rString).
  virtual BOOL ReadString(CString& rString);
  // Reads at most nMax - 1 characters, keeping the "\n"; NULL at the end.
  virtual LPWSTR ReadString(LPWSTR lpsz, UINT nMax);
  virtual void WriteString(LPCWSTR lpsz);

  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  void Flush() override;
  ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
  ULONGLONG GetPosition() const override;
  ULONGLONG GetLength() const override;
  void SetLength(ULONGLONG dwNewLen) override;

  FILE* m_pStream = nullptr;

private:
  FILE* Stream() const;  // throws when closed
  bool ReadLine(std::wstring& line);  // with its "\n"; false at the end
  bool m_bText = true;
  std::wstring m_pending;  // the rest of a line a short buffer did not take
};
