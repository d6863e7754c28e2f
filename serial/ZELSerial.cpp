// ZELSerial: opening and closing the port, the accessors, and the one
// reporter of the class.
#include "ZELSerial.h"

#include <cstring>

#include "ZELGF.h"
#include "ZELSerialSites.h"
#include "platform/mfc/Thread.h"

namespace {

// The queue sizes and time-outs every port is opened with.
constexpr DWORD kQueueSize = 4096;
constexpr DWORD kAllPurge = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kWriteTimeoutMs = 1000;
constexpr DWORD kReadTimeoutMs = 1000;

}  // namespace

int ZELSerial::s_bDelayTimerOccur = 0;

ZELSerial::ZELSerial(ZELLog* pLog, int nLevel, const wchar_t* pszName)
    : ZELLog(pLog, nLevel, pszName),
      m_hComm(NULL),
      m_AsynchWrite(),
      m_AsynchRead(),
      m_pNotifyWnd(NULL),
      m_nNotifyMsg(0),
      m_nPort(1),
      m_bStopThread(0),
      m_dcb(),
      m_pfnCustomReceive(NULL),
      m_dwCustomParam(0),
      m_hWatchStarted(NULL) {
  s_bDelayTimerOccur = 0;
  ClearRx();
}

ZELSerial::~ZELSerial() {
  __atomic_store_n(&m_bStopThread, 1, __ATOMIC_RELEASE);
  ZELSerial::Disconnect();
  ClearRx();
}

HANDLE ZELSerial::Comm() const { return __atomic_load_n(&m_hComm, __ATOMIC_ACQUIRE); }

BOOL ZELSerial::Stopping() const { return __atomic_load_n(&m_bStopThread, __ATOMIC_ACQUIRE); }

void ZELSerial::Report(int site, DWORD code, const wchar_t* detail) {
  const ZELReportSite& s = kZELSerialSites[site];
  CString text = ZELGF::FormatMsg(code, NULL);
  if (site == kSiteWatch) {
    SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_SYSTEM, static_cast<long>(code), text, NULL, NULL, NULL, s.nLine,
           ZEL_LOG_FLAG_REPORT);
    ReportLog();
    return;
  }
  SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_SYSTEM, static_cast<long>(code), text, detail, L".\\ZELSerial", s.pszFunction,
         s.nLine, ZEL_LOG_FLAG_REPORT);
}

int ZELSerial::Connect(unsigned int port, unsigned int baud, unsigned char dataBits, unsigned char stopBits,
                       unsigned char parity) {
  DCB wanted{};
  wanted.BaudRate = baud;
  wanted.ByteSize = dataBits;
  wanted.StopBits = stopBits;
  wanted.Parity = parity;
  return Open(port, &wanted, kSiteConnectOpen, 0);
}

int ZELSerial::ConnectEx(unsigned int port, DCB& dcb) { return Open(port, &dcb, kSiteConnectExOpen, 1); }

// The steps Connect and ConnectEx share. With bWhole the caller's DCB is
// applied as it stands; otherwise its line fields go over the device's.
int ZELSerial::Open(unsigned int port, const DCB* pDcb, int site, int bWhole) {
  if (Comm() != NULL) {
    Disconnect();
    ClearRx();
  }
  // A watch thread that disconnected from within (a receive function) may
  // still be leaving its loop: a new one must not find it there.
  if (!IsWatchThread(this)) {
    m_csThread.Lock();
    m_csThread.Unlock();
  }
  m_nPort = port;
  CString name;
  name.Format(L"\\\\.\\COM%d", port);
  HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, NULL);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    __atomic_store_n(&m_hComm, static_cast<HANDLE>(NULL), __ATOMIC_RELEASE);
    CString detail = bWhole ? name + L": Create fail" : name;
    Report(site, code, detail);
    return FALSE;
  }
  __atomic_store_n(&m_hComm, h, __ATOMIC_RELEASE);

  SetCommMask(m_hComm, EV_RXCHAR);
  SetupComm(m_hComm, kQueueSize, kQueueSize);
  PurgeComm(m_hComm, kAllPurge);
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, kReadTimeoutMs, 0, kWriteTimeoutMs};
  SetCommTimeouts(m_hComm, &timeouts);

  struct {
    OVERLAPPED* record;
    int step;
    const wchar_t* detail;
  } events[] = {{&m_AsynchRead, kStepReadEvent, L"m_AsynchRead.hEvent == NULL"},
                {&m_AsynchWrite, kStepWriteEvent, L"m_AsynchWrite.hEvent == NULL"}};
  for (auto& e : events) {
    e.record->Offset = 0;
    e.record->OffsetHigh = 0;
    e.record->hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (e.record->hEvent == NULL) {
      Report(site + e.step, GetLastError(), e.detail);
      Disconnect();
      return FALSE;
    }
  }

  if (bWhole) {
    std::memcpy(&m_dcb, pDcb, sizeof(DCB));
  } else {
    std::memset(&m_dcb, 0, sizeof(DCB));
    m_dcb.DCBlength = sizeof(DCB);
    GetCommState(m_hComm, &m_dcb);
    m_dcb.BaudRate = pDcb->BaudRate;
    m_dcb.ByteSize = pDcb->ByteSize;
    m_dcb.Parity = pDcb->Parity;
    m_dcb.StopBits = pDcb->StopBits;
    m_dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    m_dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  }
  if (!SetCommState(m_hComm, &m_dcb)) {
    Report(site + kStepSetState, GetLastError(), L"SetCommState");
    Disconnect();
    return FALSE;
  }

  __atomic_store_n(&m_bStopThread, 0, __ATOMIC_RELEASE);
  // Waiting for the thread to hold m_csThread keeps a Disconnect (or the
  // destructor) right after this from passing the lock before the thread
  // takes it, and so from freeing the object under a thread still starting.
  m_hWatchStarted = CreateEventW(NULL, TRUE, FALSE, NULL);
  CWinThread* thread = AfxBeginThread([](LPVOID p) -> UINT { return static_cast<UINT>(CommWatchProc(p)); }, this);
  if (thread && m_hWatchStarted && !IsWatchThread(this)) WaitForSingleObject(m_hWatchStarted, INFINITE);
  if (m_hWatchStarted) CloseHandle(m_hWatchStarted);
  m_hWatchStarted = NULL;
  return TRUE;
}

void ZELSerial::Disconnect() {
  __atomic_store_n(&m_bStopThread, 1, __ATOMIC_RELEASE);
  if (Comm() != NULL) {
    SetCommMask(m_hComm, 0);  // ends the watch thread's wait
    EscapeCommFunction(m_hComm, CLRDTR);
    PurgeComm(m_hComm, kAllPurge);
    CloseHandle(m_hComm);
    __atomic_store_n(&m_hComm, static_cast<HANDLE>(NULL), __ATOMIC_RELEASE);
  }
  // The thread is out of its loop before the records it reads through are
  // taken away (it may be inside a read that uses m_AsynchRead).
  m_csThread.Lock();
  m_csThread.Unlock();
  for (OVERLAPPED* record : {&m_AsynchWrite, &m_AsynchRead}) {
    if (record->hEvent != NULL) {
      CloseHandle(record->hEvent);
      std::memset(record, 0, sizeof(OVERLAPPED));
    }
  }
  ClearRx();
}
