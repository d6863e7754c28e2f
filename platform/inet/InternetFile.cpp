#include "platform/inet/InternetFile.h"

#include <cstring>

#include "platform/inet/InternetException.h"

namespace {
constexpr size_t kBuffer = 256 * 1024;
}

CInternetFile::CInternetFile(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire, char type,
                             bool bWrite)
    : m_client(std::move(client)), m_strName(pstrName), m_wire(wire), m_type(type), m_bWrite(bWrite) {}

CInternetFile* CInternetFile::Upload(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire,
                                     char type) {
  std::unique_ptr<CInternetFile> f(new CInternetFile(std::move(client), pstrName, wire, type, true));
  f->Start();
  return f.release();
}

CInternetFile* CInternetFile::Download(std::shared_ptr<FtpClient> client, LPCWSTR pstrName, const std::string& wire,
                                       char type, ULONGLONG nSize, bool bStartNow) {
  std::unique_ptr<CInternetFile> f(new CInternetFile(std::move(client), pstrName, wire, type, false));
  f->m_nSize = nSize;
  if (bStartNow) f->Start();
  return f.release();
}

CInternetFile::~CInternetFile() { Abort(); }

void CInternetFile::Start() {
  if (m_client->m_bBusy) ZelThrowInternet(ERROR_FTP_TRANSFER_IN_PROGRESS);
  m_data = m_client->OpenData(m_bWrite ? "STOR" : "RETR", m_wire, m_type);
  m_client->m_bBusy = true;
  m_bStarted = true;
  m_buf.resize(kBuffer);
}

void CInternetFile::Release() {
  m_data.Close();
  if (m_bStarted) m_client->m_bBusy = false;
  m_bStarted = false;
  m_bEnd = true;
}

UINT CInternetFile::Read(void* lpBuf, UINT nCount) {
  if (m_bWrite) ZelThrowInternet(ERROR_INTERNET_INVALID_OPERATION);
  if (!m_bStarted && !m_bEnd) Start();
  if (m_nBufPos == m_nBufLen) {
    if (m_bEnd || !m_data.IsOpen()) return 0;
    m_nBufPos = 0;
    try {
      m_nBufLen = m_data.RecvSome(m_buf.data(), m_buf.size(), m_client->Timeouts().nReceiveMs);
    } catch (CInternetException*) {
      Abort();
      throw;
    }
    if (m_nBufLen == 0) {
      m_data.Close();
      return 0;
    }
  }
  size_t n = m_nBufLen - m_nBufPos < nCount ? m_nBufLen - m_nBufPos : nCount;
  std::memcpy(lpBuf, m_buf.data() + m_nBufPos, n);
  m_nBufPos += n;
  m_nDone += n;
  return static_cast<UINT>(n);
}

void CInternetFile::Flush() {
  if (m_nBufLen == 0) return;
  m_data.SendAll(m_buf.data(), m_nBufLen, m_client->Timeouts().nSendMs);
  m_nBufLen = 0;
}

void CInternetFile::Write(const void* lpBuf, UINT nCount) {
  if (!m_bWrite || !m_bStarted) ZelThrowInternet(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  const char* p = static_cast<const char*>(lpBuf);
  try {
    while (nCount > 0) {
      size_t room = m_buf.size() - m_nBufLen;
      size_t n = nCount < room ? nCount : room;
      std::memcpy(m_buf.data() + m_nBufLen, p, n);
      m_nBufLen += n;
      p += n;
      nCount -= static_cast<UINT>(n);
      m_nDone += n;
      if (m_nBufLen == m_buf.size()) Flush();
    }
  } catch (CInternetException*) {
    Abort();
    throw;
  }
}

void CInternetFile::Close() {
  if (!m_bStarted) {
    Release();
    return;
  }
  if (!m_bWrite && m_data.IsOpen()) {
    Abort();  // closed before the end of the download
    return;
  }
  try {
    if (m_bWrite) {
      Flush();
      m_data.Close();  // the end of the data is the end of the file
    }
    m_client->FinishData();
  } catch (CInternetException*) {
    Release();
    throw;
  }
  Release();
}

void CInternetFile::Abort() {
  if (!m_bStarted) {
    Release();
    return;
  }
  if (m_bWrite) {
    try {
      Flush();
    } catch (CInternetException* e) {
      e->Delete();
    }
  }
  bool running = m_data.IsOpen();
  m_data.Close();
  m_client->AbandonData(running && !m_bWrite);
  Release();
}

ULONGLONG CInternetFile::GetLength() const { return m_bWrite ? m_nDone : m_nSize; }
