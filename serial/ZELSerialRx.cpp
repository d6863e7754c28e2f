// ZELSerial's receive engine: the watch thread, the reads it makes, and the
// queue the caller takes from.
#include <cstring>

#include "ZELGF.h"
#include "ZELSerial.h"
#include "ZELSerialSites.h"

namespace {

constexpr int kChunk = 1024;  // one read at most, through a stack buffer
constexpr unsigned long kWatchFailed = 0xFFFFFFFFul;
constexpr unsigned long kWatchEnded = 0xDEAD;

thread_local const ZELSerial* t_watching = nullptr;

}  // namespace

BOOL ZELSerial::IsWatchThread(const ZELSerial* p) { return p != nullptr && t_watching == p; }

void ZELSerial::SetNotify(CWnd* pWnd, UINT message) {
  m_pNotifyWnd = pWnd;
  m_nNotifyMsg = message;
}

void ZELSerial::UseCustomReceive(int (*pfn)(unsigned char*, int, unsigned long), unsigned long param) {
  m_pfnCustomReceive = pfn;
  m_dwCustomParam = param;
}

int ZELSerial::Get(unsigned char* buffer, int size) {
  if (buffer == NULL) return 0;
  m_csRxBuffer.Lock();
  int copied = 0;
  INT_PTR done = 0;  // whole blocks taken, removed together at the end
  while (size > 0 && done < m_arrRxBuffer.GetSize()) {
    __ZEL_BUFFER& b = m_arrRxBuffer[done];
    int avail = b.nLength - b.nOffset;
    if (avail > size) {
      std::memcpy(buffer + copied, b.pData + b.nOffset, static_cast<size_t>(size));
      b.nOffset += size;
      copied += size;
      break;
    }
    std::memcpy(buffer + copied, b.pData + b.nOffset, static_cast<size_t>(avail));
    delete[] b.pData;
    ++done;
    size -= avail;
    copied += avail;
  }
  if (done) m_arrRxBuffer.RemoveAt(0, done);
  m_csRxBuffer.Unlock();
  return copied;
}

void ZELSerial::ClearRx() {
  m_csRxBuffer.Lock();
  for (INT_PTR i = 0; i < m_arrRxBuffer.GetSize(); ++i) delete[] m_arrRxBuffer[i].pData;
  m_arrRxBuffer.RemoveAll();
  m_csRxBuffer.Unlock();
}

int ZELSerial::Receive(unsigned char* buffer, unsigned long size, int& bEnd) {
  HANDLE comm = Comm();
  COMSTAT stat{};
  DWORD errors = 0;
  ClearCommError(comm, &errors, &stat);
  unsigned long n = stat.cbInQue;
  if (n > size) {
    n = size;
    bEnd = 0;
  } else {
    bEnd = 1;
  }
  if (n == 0) return 0;
  DWORD read = 0;
  if (ReadFile(comm, buffer, static_cast<DWORD>(size), &read, &m_AsynchRead)) return static_cast<int>(read);
  DWORD code = GetLastError();
  if (code == ERROR_IO_PENDING && GetOverlappedResult(comm, &m_AsynchRead, &read, TRUE))
    return static_cast<int>(read);
  if (code == ERROR_IO_PENDING) code = GetLastError();
  // A read cut short by Disconnect closing the port is no fault of the device.
  if (!Stopping()) Report(kSiteReceive, code, L"ZELSerial::Receive");
  return 0;
}

// Copies a chunk into a block of its own and queues it; FALSE (reported)
// when there is no memory for it.
BOOL ZELSerial::QueueChunk(const unsigned char* data, int length) {
  return ZelGuarded(
      [&] {
        unsigned char* copy = new unsigned char[static_cast<size_t>(length)];
        std::memcpy(copy, data, static_cast<size_t>(length));
        __ZEL_BUFFER block{length, 0, copy};
        m_csRxBuffer.Lock();
        try {
          m_arrRxBuffer.Add(block);
        } catch (...) {
          m_csRxBuffer.Unlock();
          delete[] copy;
          throw;
        }
        m_csRxBuffer.Unlock();
      },
      [&](const ZELFailure& f) {
        Report(kSiteQueue, static_cast<DWORD>(f.nCode), L"ZELSerial::OnReceive");
      });
}

int ZELSerial::OnReceive() {
  unsigned char buffer[kChunk];
  int bEnd = 0;
  int total = 0;
  do {
    int n = Receive(buffer, kChunk, bEnd);
    if (n <= 0) return 0;
    total += n;
    if (m_pfnCustomReceive) {
      m_pfnCustomReceive(buffer, n, m_dwCustomParam);
      continue;
    }
    if (!QueueChunk(buffer, n)) return 0;
    // Posted after the lock is released, so a handler's Get finds the block.
    if (m_pNotifyWnd) PostMessageW(m_pNotifyWnd->m_hWnd, m_nNotifyMsg, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(this));
  } while (!bEnd);
  return total;
}

unsigned long ZELSerial::CommWatchProc(void* pParam) {
  if (pParam == NULL) return kWatchFailed;
  ZELSerial* self = static_cast<ZELSerial*>(pParam);
  // Whatever happens below, Connect may go on once this is set.
  struct Started {
    HANDLE h;
    ~Started() {
      if (h) SetEvent(h);
    }
  } started{self->m_hWatchStarted};
  HANDLE wait = CreateEventW(NULL, TRUE, FALSE, NULL);
  if (wait == NULL) {
    self->Report(kSiteWatch, GetLastError(), NULL);
    return kWatchFailed;
  }
  if (!SetCommMask(self->Comm(), EV_RXCHAR)) {
    CloseHandle(wait);
    return kWatchFailed;
  }
  self->m_csThread.Lock();
  if (started.h) SetEvent(started.h);
  started.h = NULL;
  t_watching = self;
  while (!self->Stopping()) {
    DWORD mask = 0;
    WaitCommEvent(self->Comm(), &mask, NULL);
    if (mask & EV_RXCHAR) self->OnReceive();
  }
  t_watching = nullptr;
  CloseHandle(wait);
  self->m_csThread.Unlock();
  return kWatchEnded;
}
