// Opening a port and the calls that set it up or ask about it.
#include <string>

#include "platform/base/WinError.h"
#include "platform/comm/Comm.h"
#include "platform/comm/CommName.h"
#include "platform/comm/CommPort.h"
#include "platform/comm/Terminal.h"

namespace {

std::shared_ptr<ZelCommPort> Port(HANDLE h) { return ZelLookupHandleAs<ZelCommPort>(h); }

BOOL Refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD, HANDLE) {
  if (!lpFileName || dwCreationDisposition != OPEN_EXISTING ||
      (dwDesiredAccess & (GENERIC_READ | GENERIC_WRITE)) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string path = ZelCommDevicePath(lpFileName);
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto port = ZelCommPort::Open(path);
  if (!port || !ZelTermMakeRaw(port->Fd())) return INVALID_HANDLE_VALUE;
  HANDLE h = ZelRegisterHandle(port);
  return h ? h : INVALID_HANDLE_VALUE;
}

BOOL SetupComm(HANDLE hFile, DWORD, DWORD) { return Port(hFile) ? TRUE : FALSE; }

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  port->SetMask(dwEvtMask);
  return TRUE;
}

BOOL GetCommMask(HANDLE hFile, LPDWORD lpEvtMask) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (!lpEvtMask) return Refuse();
  *lpEvtMask = port->Mask();
  return TRUE;
}

BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  DWORD errors = 0;
  ZelLineCounts now;
  if (port->HasCounts() && !ZelTermCounts(port->Fd(), now)) port->SetNoCounts();
  if (port->HasCounts()) {
    ZelLineCounts was = port->SwapCounts(now);
    if (now.frame != was.frame) errors |= CE_FRAME;
    if (now.parity != was.parity) errors |= CE_RXPARITY;
    if (now.overrun != was.overrun) errors |= CE_OVERRUN;
    if (now.bufOverrun != was.bufOverrun) errors |= CE_RXOVER;
    if (now.brk != was.brk) errors |= CE_BREAK;
  }
  if (lpErrors) *lpErrors = errors;
  DWORD in = 0, out = 0;
  if (!ZelTermQueues(port->Fd(), in, out)) return FALSE;
  if (lpStat) {
    *lpStat = COMSTAT{};
    lpStat->cbInQue = in;
    lpStat->cbOutQue = out;
  }
  return TRUE;
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (dwFlags & ~DWORD(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return Refuse();
  int wake = ((dwFlags & PURGE_TXABORT) ? ZelCommPort::kTxAbort : 0) |
             ((dwFlags & PURGE_RXABORT) ? ZelCommPort::kRxAbort : 0);
  if (wake) port->WakeAll(wake);
  return ZelTermFlush(port->Fd(), (dwFlags & PURGE_RXCLEAR) != 0, (dwFlags & PURGE_TXCLEAR) != 0) ? TRUE : FALSE;
}

BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (!lpCommTimeouts) return Refuse();
  port->SetTimeouts(*lpCommTimeouts);
  return TRUE;
}

BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (!lpCommTimeouts) return Refuse();
  *lpCommTimeouts = port->Timeouts();
  return TRUE;
}

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  return ZelTermEscape(port->Fd(), dwFunc) ? TRUE : FALSE;
}

BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (!lpDCB) return Refuse();
  return ZelTermGetState(port->Fd(), port->Handshake(), *lpDCB) ? TRUE : FALSE;
}

BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) {
  auto port = Port(hFile);
  if (!port) return FALSE;
  if (!lpDCB) return Refuse();
  if (!ZelTermSetState(port->Fd(), *lpDCB)) return FALSE;
  port->SetHandshake(*lpDCB);
  return TRUE;
}
