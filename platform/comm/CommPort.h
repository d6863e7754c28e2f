// An open serial port behind a HANDLE: the terminal's descriptor, held for
// exclusive use, and the state Linux keeps no place for (event mask,
// time-outs, handshake fields of the settings).
//
// Every blocking step (a wait for characters, for room to write) also
// wakes when another thread changes the mask, purges with an abort, or
// closes the handle; each waiter says which of these end its wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/Handle.h"
#include "platform/comm/Comm.h"
#include "platform/comm/Terminal.h"

class ZelCommPort : public ZelKernelObject {
public:
  // What ends a wait besides the descriptor being ready.
  enum Wake { kMaskChange = 1, kRxAbort = 2, kTxAbort = 4 };
  enum WaitResult { kReady, kWoken, kTimedOut, kGone };

  // Opens the terminal at path; nullptr with the last error set.
  static std::shared_ptr<ZelCommPort> Open(const std::string& path);
  ~ZelCommPort() override;
  ZelCommPort(const ZelCommPort&) = delete;
  ZelCommPort& operator=(const ZelCommPort&) = delete;

  int Fd() const { return m_fd; }

  // The generation a caller remembers before it decides to wait, so that a
  // wake between its decision and its wait is not lost.
  uint64_t Generation() const;
  // Waits for events (POLLIN or POLLOUT) on the descriptor, at most
  // timeoutMs (-1 for no limit), unless one of the wakes in wakeMask (or
  // a close) happened since generation seen. With no events it waits for
  // a wake alone. *revents, when given, receives the descriptor's events.
  WaitResult Wait(short events, int timeoutMs, int wakeMask, uint64_t seen, short* revents = nullptr);
  void WakeAll(int wake);
  // The handle was closed: every wait ends, later ones answer kGone.
  void OnClose() override;

  // Event mask and time-outs.
  DWORD Mask() const;
  void SetMask(DWORD mask);
  COMMTIMEOUTS Timeouts() const;
  void SetTimeouts(const COMMTIMEOUTS& t);

  // The settings Linux cannot hold, as last set.
  DCB Handshake() const;
  void SetHandshake(const DCB& dcb);

  // A device that hung up is reported once by a wait; after that waits
  // last until a wake (see Comm.h).
  bool TakeHangupReport();

  // Swaps the driver's error counters as last seen for those seen now.
  ZelLineCounts SwapCounts(const ZelLineCounts& now);
  // A driver that keeps no counters is not asked again.
  bool HasCounts() const { return !m_noCounts.load(std::memory_order_relaxed); }
  void SetNoCounts() { m_noCounts.store(true, std::memory_order_relaxed); }

private:
  explicit ZelCommPort(int fd) : m_fd(fd) {}
  bool WokenSince(int wakeMask, uint64_t seen) const;

  int m_fd;
  mutable std::mutex m_lock;
  bool m_shut = false;
  bool m_hangupReported = false;
  uint64_t m_generation = 0;
  // The generation of the last wake of each kind (by bit) and of the close.
  uint64_t m_lastWake[3] = {0, 0, 0};
  std::vector<int> m_waiters;  // wake descriptors of the threads waiting now
  DWORD m_mask = 0;
  COMMTIMEOUTS m_timeouts{};
  DCB m_handshake{};
  ZelLineCounts m_counts;
  std::atomic<bool> m_noCounts{false};
};
