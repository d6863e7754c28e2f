// Reads, writes and event waits on a port. Each completes within the call;
// with an overlapped record the outcome is also left in the record and its
// event set, as an operation that completed at once.
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/base/WinError.h"
#include "platform/comm/Comm.h"
#include "platform/comm/CommPort.h"
#include "platform/comm/Terminal.h"

namespace {

using Clock = std::chrono::steady_clock;

DWORD IoError(int err) { return err == EIO ? ERROR_DEVICE_NOT_CONNECTED : ZelWin32FromErrno(err); }

BOOL Finish(LPOVERLAPPED ov, DWORD err, DWORD bytes, LPDWORD lpBytes) {
  if (lpBytes) *lpBytes = bytes;
  if (ov) {
    ov->Internal = err;
    ov->InternalHigh = bytes;
    if (ov->hEvent) SetEvent(ov->hEvent);
  }
  SetLastError(err);
  return err == ERROR_SUCCESS ? TRUE : FALSE;
}

// A deadline of "total" milliseconds from now; none for -1.
struct Deadline {
  explicit Deadline(long long totalMs) : m_none(totalMs < 0), m_at(Clock::now() + std::chrono::milliseconds(totalMs)) {}
  // Milliseconds left, -1 for no limit.
  int Left() const {
    if (m_none) return -1;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(m_at - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, ms));
  }
  bool m_none;
  Clock::time_point m_at;
};

// The read time-outs: an interval of MAXDWORD takes what has come as soon
// as something has (with no totals, at once, even nothing); otherwise a
// read waits for all it asked until the total (none when 0) runs out, or
// the interval between two bytes does.
DWORD ReadSome(ZelCommPort& port, BYTE* buf, DWORD n, DWORD& got) {
  const COMMTIMEOUTS t = port.Timeouts();
  const uint64_t seen = port.Generation();
  const bool takeWhatCame = t.ReadIntervalTimeout == MAXDWORD;
  const long long total = static_cast<long long>(t.ReadTotalTimeoutMultiplier) * n + t.ReadTotalTimeoutConstant;
  const Deadline deadline(takeWhatCame && total == 0 ? 0 : total == 0 ? -1 : total);
  while (got < n) {
    ssize_t r = read(port.Fd(), buf + got, n - got);
    if (r > 0) {
      got += static_cast<DWORD>(r);
      if (takeWhatCame) break;
      continue;
    }
    if (r == 0) return got ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;  // the other side hung up
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return IoError(errno);
    int wait = deadline.Left();
    if (got > 0 && t.ReadIntervalTimeout != 0 && !takeWhatCame)
      wait = wait < 0 ? static_cast<int>(t.ReadIntervalTimeout) : std::min<int>(wait, t.ReadIntervalTimeout);
    if (wait == 0) break;
    switch (port.Wait(POLLIN, wait, ZelCommPort::kRxAbort, seen)) {
      case ZelCommPort::kReady: break;
      case ZelCommPort::kTimedOut: return ERROR_SUCCESS;
      default: return ERROR_OPERATION_ABORTED;
    }
  }
  return ERROR_SUCCESS;
}

// Writes all of it or fails: a write still short when its total time-out
// (none when 0) runs out fails with ERROR_SEM_TIMEOUT, so that bytes that
// could not be handed over are never taken for sent.
DWORD WriteSome(ZelCommPort& port, const BYTE* buf, DWORD n, DWORD& done) {
  const COMMTIMEOUTS t = port.Timeouts();
  const uint64_t seen = port.Generation();
  const long long total = static_cast<long long>(t.WriteTotalTimeoutMultiplier) * n + t.WriteTotalTimeoutConstant;
  const Deadline deadline(total == 0 ? -1 : total);
  const bool dsrFlow = port.Handshake().fOutxDsrFlow;
  constexpr int kDsrPollMs = 10;  // Linux signals no DSR change to a poll
  while (done < n) {
    ZelCommPort::WaitResult w = ZelCommPort::kReady;
    if (dsrFlow && !ZelTermDsrUp(port.Fd())) {
      int left = deadline.Left();
      if (left == 0) return ERROR_SEM_TIMEOUT;
      w = port.Wait(0, left < 0 ? kDsrPollMs : std::min(left, kDsrPollMs), ZelCommPort::kTxAbort, seen);
      if (w == ZelCommPort::kTimedOut) continue;
    } else {
      ssize_t r = write(port.Fd(), buf + done, n - done);
      if (r > 0) {
        done += static_cast<DWORD>(r);
        continue;
      }
      if (r < 0 && errno == EINTR) continue;
      if (r < 0 && errno != EAGAIN) return IoError(errno);
      int left = deadline.Left();
      if (left == 0) return ERROR_SEM_TIMEOUT;
      w = port.Wait(POLLOUT, left, ZelCommPort::kTxAbort, seen);
      if (w == ZelCommPort::kTimedOut) return ERROR_SEM_TIMEOUT;
    }
    if (w == ZelCommPort::kWoken || w == ZelCommPort::kGone) return ERROR_OPERATION_ABORTED;
  }
  return ERROR_SUCCESS;
}

// Whether the device has gone, seen after the descriptor woke a wait;
// inQueue tells whether anything is waiting.
bool HungUp(ZelCommPort& port, short revents, DWORD& inQueue) {
  if ((revents & POLLIN) && !(revents & (POLLHUP | POLLERR))) {
    inQueue = 1;  // at least one: the caller only asks whether any
    return false;
  }
  DWORD outQueue = 0;
  if (!ZelTermQueues(port.Fd(), inQueue, outQueue)) return true;
  return inQueue == 0 && (revents & (POLLHUP | POLLERR));
}

}  // namespace

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD n, LPDWORD lpRead, LPOVERLAPPED ov) {
  auto port = ZelLookupHandleAs<ZelCommPort>(hFile);
  if (!port) return FALSE;
  if (!lpBuffer && n) return Finish(ov, ERROR_INVALID_PARAMETER, 0, lpRead);
  DWORD got = 0;
  DWORD err = ReadSome(*port, static_cast<BYTE*>(lpBuffer), n, got);
  return Finish(ov, err, got, lpRead);
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD n, LPDWORD lpWritten, LPOVERLAPPED ov) {
  auto port = ZelLookupHandleAs<ZelCommPort>(hFile);
  if (!port) return FALSE;
  if (!lpBuffer && n) return Finish(ov, ERROR_INVALID_PARAMETER, 0, lpWritten);
  DWORD done = 0;
  DWORD err = WriteSome(*port, static_cast<const BYTE*>(lpBuffer), n, done);
  return Finish(ov, err, done, lpWritten);
}

BOOL GetOverlappedResult(HANDLE, LPOVERLAPPED ov, LPDWORD lpBytes, BOOL) {
  if (!ov || !lpBytes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpBytes = static_cast<DWORD>(ov->InternalHigh);
  SetLastError(static_cast<DWORD>(ov->Internal));
  return ov->Internal == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED ov) {
  auto port = ZelLookupHandleAs<ZelCommPort>(hFile);
  if (!port) return FALSE;
  if (!lpEvtMask) return Finish(ov, ERROR_INVALID_PARAMETER, 0, nullptr);
  *lpEvtMask = 0;
  const uint64_t seen = port->Generation();
  const DWORD mask = port->Mask();
  if (mask == 0) return Finish(ov, ERROR_INVALID_PARAMETER, 0, nullptr);
  bool dead = false;  // hung up and already reported: wait for a wake alone
  for (;;) {
    short revents = 0;
    const short events = (mask & EV_RXCHAR) && !dead ? POLLIN : 0;
    switch (port->Wait(events, -1, ZelCommPort::kMaskChange, seen, &revents)) {
      case ZelCommPort::kWoken: return Finish(ov, ERROR_SUCCESS, 0, nullptr);  // mask changed: reports 0
      case ZelCommPort::kReady: break;
      default: return Finish(ov, ERROR_OPERATION_ABORTED, 0, nullptr);
    }
    DWORD inQueue = 0;
    if (HungUp(*port, revents, inQueue)) {
      if (port->TakeHangupReport()) return Finish(ov, ERROR_DEVICE_NOT_CONNECTED, 0, nullptr);
      dead = true;
    } else if (inQueue > 0) {
      *lpEvtMask = EV_RXCHAR;
      return Finish(ov, ERROR_SUCCESS, 0, nullptr);
    }
  }
}
