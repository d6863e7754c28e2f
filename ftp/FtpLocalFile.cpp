#include "ftp/FtpLocalFile.h"

UINT FtpLocalFile::Next(const char*& p, UINT nCount) {
  if (m_nPos == m_nLen) {
    m_nPos = 0;
    m_nLen = m_file.Read(m_buf.data(), static_cast<UINT>(m_buf.size()));
    if (m_nLen == 0) return 0;
  }
  size_t n = m_nLen - m_nPos < nCount ? m_nLen - m_nPos : nCount;
  p = m_buf.data() + m_nPos;
  m_nPos += n;
  return static_cast<UINT>(n);
}

char* FtpLocalFile::Room(UINT nCount) {
  if (m_nLen + nCount > m_buf.size()) Flush();
  return m_buf.data() + m_nLen;
}

void FtpLocalFile::Flush() {
  if (m_nLen == 0) return;
  size_t n = m_nLen;
  m_nLen = 0;  // written or failed, it is not written twice
  m_file.Write(m_buf.data(), static_cast<UINT>(n));
}

void FtpLocalFile::FlushQuietly() noexcept {
  try {
    Flush();
  } catch (CException* e) {
    e->Delete();
  }
}
