#include <cerrno>

#include "platform/mfc/File.h"

CStdioFile::CStdioFile(LPCWSTR lpszFileName, UINT nOpenFlags) {
  CFileException e;
  if (!Open(lpszFileName, nOpenFlags, &e)) throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CStdioFile::~CStdioFile() {
  if (m_pStream) {
    fclose(m_pStream);
    m_fd = -1;  // closed with the stream
  }
}

BOOL CStdioFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_pStream) Abort();
  if (!CFile::Open(lpszFileName, nOpenFlags, pError)) return FALSE;
  const char* mode = (nOpenFlags & 3) == modeRead ? "r" : (nOpenFlags & 3) == modeWrite ? "w" : "r+";
  m_pStream = fdopen(m_fd, mode);
  if (!m_pStream) {
    int err = errno;
    CFile::Abort();
    if (pError) pError->SetFromErrno(err, lpszFileName);
    ZelSetLastErrorFromErrno(err);
    return FALSE;
  }
  m_bText = (nOpenFlags & typeBinary) == 0;
  m_pending.clear();
  return TRUE;
}

void CStdioFile::Close() {
  if (!m_pStream) return CFile::Close();
  int rc = fclose(m_pStream);
  int err = errno;
  m_pStream = nullptr;
  m_fd = -1;
  m_hFile = hFileNull;
  m_pending.clear();
  if (rc != 0) ThrowErrno(err);
}

void CStdioFile::Abort() {
  if (m_pStream) fclose(m_pStream);
  m_pStream = nullptr;
  m_fd = -1;
  m_hFile = hFileNull;
  m_pending.clear();
}

FILE* CStdioFile::Stream() const {
  if (!m_pStream) ThrowErrno(EBADF);
  return m_pStream;
}

bool CStdioFile::ReadLine(std::wstring& line) {
  FILE* f = Stream();
  std::string bytes;
  int c;
  while ((c = getc(f)) != EOF) {
    bytes += static_cast<char>(c);
    if (c == '\n') break;
  }
  if (ferror(f)) ThrowErrno(errno ? errno : EIO);
  if (bytes.empty()) return false;
  if (m_bText && bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r' && bytes.back() == '\n')
    bytes.erase(bytes.size() - 2, 1);
  line = ZelUtf8ToWide(bytes.data(), bytes.size());
  return true;
}

BOOL CStdioFile::ReadString(CString& rString) {
  std::wstring line;
  if (!m_pending.empty()) {
    line.swap(m_pending);
  } else if (!ReadLine(line)) {
    rString.Empty();
    return FALSE;
  }
  if (!line.empty() && line.back() == L'\n') line.pop_back();
  rString = CString(std::move(line));
  return TRUE;
}

LPWSTR CStdioFile::ReadString(LPWSTR lpsz, UINT nMax) {
  if (!lpsz || nMax == 0) ThrowErrno(EINVAL);
  if (m_pending.empty() && !ReadLine(m_pending)) return NULL;
  // What does not fit waits for the next call.
  size_t n = std::min<size_t>(m_pending.size(), nMax - 1);
  wmemcpy(lpsz, m_pending.data(), n);
  lpsz[n] = L'\0';
  m_pending.erase(0, n);
  return lpsz;
}

void CStdioFile::WriteString(LPCWSTR lpsz) {
  if (!lpsz) ThrowErrno(EINVAL);
  std::string bytes = ZelWideToUtf8(lpsz);
  Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount) {
  FILE* f = Stream();
  if (nCount == 0) return 0;
  if (!lpBuf) ThrowErrno(EFAULT);
  m_pending.clear();
  size_t n = fread(lpBuf, 1, nCount, f);
  if (n < nCount && ferror(f)) ThrowErrno(errno ? errno : EIO);
  return static_cast<UINT>(n);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount) {
  FILE* f = Stream();
  if (nCount == 0) return;
  if (!lpBuf) ThrowErrno(EFAULT);
  if (fwrite(lpBuf, 1, nCount, f) != nCount) ThrowErrno(errno ? errno : EIO);
}

void CStdioFile::Flush() {
  if (fflush(Stream()) != 0) ThrowErrno(errno);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom) {
  FILE* f = Stream();
  m_pending.clear();
  if (fflush(f) != 0) ThrowErrno(errno);
  ULONGLONG pos = CFile::Seek(lOff, nFrom);
  // The stream's own idea of the position is reset to the file's.
  if (fseeko(f, static_cast<off_t>(pos), SEEK_SET) != 0) ThrowErrno(errno);
  return pos;
}

ULONGLONG CStdioFile::GetPosition() const {
  off_t pos = ftello(Stream());
  if (pos < 0) ThrowErrno(errno);
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CStdioFile::GetLength() const {
  if (fflush(Stream()) != 0) ThrowErrno(errno);
  return CFile::GetLength();
}

void CStdioFile::SetLength(ULONGLONG dwNewLen) {
  if (fflush(Stream()) != 0) ThrowErrno(errno);
  CFile::SetLength(dwNewLen);
}
