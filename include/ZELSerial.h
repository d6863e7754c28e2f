// ZELSerial: one serial (COM) port with a background watch thread.
//
// Connect opens "\\.\COM<n>" (see DefineDosDeviceW for naming the device
// behind a port), configures it and starts the watch thread, which drains
// the port whenever characters arrive. Received bytes are queued as blocks
// for Get (a window given to SetNotify is told of each block by a posted
// message: wParam the block's size, lParam this object), or handed to the
// caller's function installed with UseCustomReceive, on the watch thread.
// Put and PutDelay write on the caller's thread.
//
// Locks: the watch thread holds m_csThread for as long as it loops, so
// taking it proves the thread has left its loop; m_csRxBuffer guards the
// queue. Where both are held, m_csThread comes first.
//
// Failures are logged through ZELLog (type ZEL_LOG_ERROR, category
// ZEL_CATEGORY_SYSTEM, the Win32 code and its text, source ".\ZELSerial").
#pragma once

#include "ZELExport.h"
#include "ZELLog.h"
#include "platform/comm/Comm.h"
#include "platform/mfc/Array.h"
#include "platform/mfc/Sync.h"
#include "platform/mfc/Window.h"

// One queued block of received bytes; pData (nLength bytes) is owned by
// the queue. nOffset bytes at its front were already taken by Get.
struct __ZEL_BUFFER {
  int nLength;
  int nOffset;
  unsigned char* pData;
};

class ZEL_EXPORT ZELSerial : public ZELLog {
public:
  explicit ZELSerial(ZELLog* pLog = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  // Wakes the watch thread before waiting for it, so an open port that
  // receives nothing does not hold the caller.
  virtual ~ZELSerial();
  ZELSerial(const ZELSerial&) = delete;
  ZELSerial& operator=(const ZELSerial&) = delete;

  // Safe at any time, also from the watch thread (it then does not wait
  // for itself). Queued data is discarded.
  virtual void Disconnect();
  // dataBits, stopBits and parity take the DCB's encodings: ByteSize 5 to 8;
  // StopBits 0 one, 2 two (1, one and a half, is refused); Parity 0 none,
  // 1 odd, 2 even, 3 mark, 4 space. DTR and RTS go to handshake mode; the
  // other fields keep the device's values. An open port is closed first.
  virtual int Connect(unsigned int port, unsigned int baud, unsigned char dataBits, unsigned char stopBits,
                      unsigned char parity);
  // Applies the caller's DCB as it stands.
  virtual int ConnectEx(unsigned int port, DCB& dcb);

  // Safe while the watch thread may be disconnecting (from a receive
  // function).
  int IsConnected() { return __atomic_load_n(&m_hComm, __ATOMIC_ACQUIRE) != NULL; }
  void* GetHandle() { return __atomic_load_n(&m_hComm, __ATOMIC_ACQUIRE); }
  unsigned int GetPort() { return m_nPort; }
  // The settings as last applied (or refused), not as the device reports.
  unsigned long GetBaud() { return m_dcb.BaudRate; }
  unsigned char GetDatabits() { return m_dcb.ByteSize; }
  unsigned char GetStopbits() { return m_dcb.StopBits; }
  unsigned char GetParity() { return m_dcb.Parity; }

  // Receiving. A change takes effect at the next chunk; make it while no
  // port is open, or from the watch thread.
  void SetNotify(CWnd* pWnd, UINT message);
  // The function gets each chunk (1 to 1024 bytes, valid during the call)
  // on the watch thread; nothing is then queued. NULL restores queueing.
  void UseCustomReceive(int (*pfn)(unsigned char* data, int length, unsigned long param), unsigned long param);
  // Copies up to size queued bytes, oldest first; the number copied.
  int Get(unsigned char* buffer, int size);
  void ClearRx();

  // Sending; both block until the data has been handed to the port, each
  // write bounded by a one-second time-out. FALSE (not logged) when no
  // port is open.
  int Put(unsigned char* data, int length);
  // One byte per write, each followed by a pause of delay milliseconds.
  int PutDelay(unsigned char* data, int length, unsigned int delay);

protected:
  // One read of what the port counts as waiting (at most size bytes);
  // bEnd is set when nothing more was counted.
  virtual int Receive(unsigned char* buffer, unsigned long size, int& bEnd);
  // Drains the port for one wake-up of the watch thread.
  virtual int OnReceive();
  static unsigned long CommWatchProc(void* pParam);
  // A timer procedure for derived classes; sets s_bDelayTimerOccur.
  static void DelayTimerProc(HWND hWnd, UINT nMsg, UINT nIDEvent, DWORD dwTime);

  HANDLE m_hComm;
  OVERLAPPED m_AsynchWrite;
  OVERLAPPED m_AsynchRead;
  CWnd* m_pNotifyWnd;
  UINT m_nNotifyMsg;
  UINT m_nPort;
  CArray<__ZEL_BUFFER> m_arrRxBuffer;
  CCriticalSection m_csThread;
  CCriticalSection m_csRxBuffer;
  int m_bStopThread;  // read by the watch thread; written with atomic stores
  DCB m_dcb;
  int (*m_pfnCustomReceive)(unsigned char*, int, unsigned long);
  unsigned long m_dwCustomParam;

  static int s_bDelayTimerOccur;

private:
  int Open(unsigned int port, const DCB* pDcb, int site, int bWhole);
  void Report(int site, DWORD code, const wchar_t* detail);
  BOOL WriteOne(const unsigned char* data, DWORD length);
  BOOL QueueChunk(const unsigned char* data, int length);
  HANDLE Comm() const;
  BOOL Stopping() const;
  // Whether the calling thread is the watch thread of p.
  static BOOL IsWatchThread(const ZELSerial* p);

  // Set by the watch thread once it holds m_csThread (or has given up), so
  // that Connect returns only when Disconnect can rely on that lock.
  HANDLE m_hWatchStarted;
};
