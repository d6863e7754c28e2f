#include "platform/mfc/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

BOOL CException::GetErrorMessage(LPWSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (!lpszError || nMaxError == 0) return FALSE;
  CString text = GetErrorMessage();
  size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), nMaxError - 1);
  wmemcpy(lpszError, text.GetString(), n);
  lpszError[n] = L'\0';
  return text.IsEmpty() ? FALSE : TRUE;
}

CString CFileException::GetErrorMessage() const {
  static const wchar_t* const kCauses[] = {
      L"No error occurred",
      L"An unspecified error occurred while accessing",
      L"The file could not be found",
      L"The path is not valid for",
      L"Too many files are open to open",
      L"Access was denied to",
      L"The file handle is not valid for",
      L"The current folder cannot be removed:",
      L"There is no room left in the folder for",
      L"A seek to a place that does not exist was made in",
      L"A hardware input/output error occurred while accessing",
      L"A sharing violation occurred while accessing",
      L"A locking violation occurred while accessing",
      L"The disk is full while accessing",
      L"An attempt was made to read past the end of",
  };
  const wchar_t* cause = (m_cause >= none && m_cause <= endOfFile) ? kCauses[m_cause] : kCauses[genericException];
  CString text(cause);
  if (m_cause != none) text += m_strFileName.IsEmpty() ? CString(L" an unnamed file") : L" " + m_strFileName;
  return text + L".";
}

int CFileException::OsErrorToException(LONG lOsError) {
  switch (lOsError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_OPEN_FAILED:
    case ERROR_NO_MORE_FILES: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_SAME_DEVICE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_CANNOT_MAKE:
    case ERROR_NETWORK_BUSY:
    case ERROR_INVALID_PASSWORD: return accessDenied;
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_FORMAT: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_BAD_LENGTH: return badSeek;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_BAD_UNIT:
    case ERROR_BAD_COMMAND:
    case ERROR_CRC:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NET_WRITE_FAULT:
    case ERROR_DEVICE_NOT_CONNECTED: return hardIO;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
    case ERROR_FILE_TOO_LARGE: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
  }
}

int CFileException::ErrnoToException(int nErrno) {
  return OsErrorToException(static_cast<LONG>(ZelWin32FromErrno(nErrno)));
}

void CFileException::SetFromErrno(int nErrno, LPCWSTR lpszFileName) {
  m_lOsError = static_cast<LONG>(ZelWin32FromErrno(nErrno));
  m_cause = OsErrorToException(m_lOsError);
  m_strFileName = lpszFileName;
}

void CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName) {
  throw new CFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void CFileException::ThrowErrno(int nErrno, LPCWSTR lpszFileName) {
  ThrowOsError(static_cast<LONG>(ZelWin32FromErrno(nErrno)), lpszFileName);
}

// The system tells a missing folder ("path not found") from a missing file;
// open() says ENOENT for both.
static bool ParentExists(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;
  struct stat st;
  std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) {
  CFileException e;
  if (!Open(lpszFileName, nOpenFlags, &e)) throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile() {
  if (m_fd >= 0) ::close(m_fd);
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_fd >= 0) Abort();
  m_strFileName = lpszFileName;
  auto fail = [&](int err) {
    if (pError) pError->SetFromErrno(err, lpszFileName);
    ZelSetLastErrorFromErrno(err);
    return FALSE;
  };
  int flags = O_CLOEXEC | O_NONBLOCK;  // non-blocking only while opening: a FIFO must not hang us
  switch (nOpenFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: return fail(EINVAL);
  }
  if (nOpenFlags & modeCreate) flags |= O_CREAT | ((nOpenFlags & modeNoTruncate) ? 0 : O_TRUNC);
  if (!lpszFileName || !*lpszFileName) return fail(ENOTDIR);  // no path: "path not found"
  std::string path = ZelWideToUtf8(lpszFileName);
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return fail(errno == ENOENT && !ParentExists(path) ? ENOTDIR : errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    return fail(err);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  m_fd = fd;
  m_hFile = reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
  return TRUE;
}

void CFile::ThrowErrno(int nErrno) const { CFileException::ThrowErrno(nErrno, m_strFileName); }

void CFile::Close() {
  if (m_fd < 0) return;
  int rc = ::close(m_fd);
  int err = errno;
  m_fd = -1;
  m_hFile = hFileNull;
  if (rc != 0 && err != EINTR) ThrowErrno(err);
}

void CFile::Abort() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_hFile = hFileNull;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (m_fd < 0) ThrowErrno(EBADF);
  if (nCount == 0) return 0;
  if (!lpBuf) ThrowErrno(EFAULT);
  auto* p = static_cast<char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    ssize_t n = ::read(m_fd, p + done, nCount - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno);
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (m_fd < 0) ThrowErrno(EBADF);
  if (nCount == 0) return;
  if (!lpBuf) ThrowErrno(EFAULT);
  auto* p = static_cast<const char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    ssize_t n = ::write(m_fd, p + done, nCount - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowErrno(errno);
    done += static_cast<UINT>(n);
  }
}

void CFile::Flush() {
  if (m_fd < 0) ThrowErrno(EBADF);
  // Pipes and terminals cannot be synced; there is nothing to flush then.
  if (fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) ThrowErrno(errno);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  if (m_fd < 0) ThrowErrno(EBADF);
  int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : -1;
  if (whence < 0) ThrowErrno(EINVAL);
  off_t pos = ::lseek(m_fd, static_cast<off_t>(lOff), whence);
  if (pos < 0) {
    int err = errno;
    // A seek before the start is the framework's bad seek, not a bad argument.
    LONG os = static_cast<LONG>(err == EINVAL ? ERROR_NEGATIVE_SEEK : ZelWin32FromErrno(err));
    throw new CFileException(CFileException::badSeek, os, m_strFileName);
  }
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
  if (m_fd < 0) ThrowErrno(EBADF);
  off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
  if (pos < 0) ThrowErrno(errno);
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
  if (m_fd < 0) ThrowErrno(EBADF);
  struct stat st;
  if (fstat(m_fd, &st) != 0) ThrowErrno(errno);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (m_fd < 0) ThrowErrno(EBADF);
  if (dwNewLen > static_cast<ULONGLONG>(INT64_MAX)) ThrowErrno(EFBIG);
  if (ftruncate(m_fd, static_cast<off_t>(dwNewLen)) != 0) ThrowErrno(errno);
}

static CString LastName(const CString& path) {
  int slash = std::max(path.ReverseFind(L'/'), path.ReverseFind(L'\\'));
  return path.Mid(slash + 1);
}

CString CFile::GetFileName() const { return LastName(m_strFileName); }

CString CFile::GetFileTitle() const {
  CString name = GetFileName();
  int dot = name.ReverseFind(L'.');
  return dot > 0 ? name.Left(dot) : name;
}
