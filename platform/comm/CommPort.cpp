#include "platform/comm/CommPort.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/base/WinError.h"

namespace {

// Each thread waits on its own wake descriptor, so that one wake reaches
// every thread waiting on a port and none steals another's.
struct ThreadWaker {
  int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  ~ThreadWaker() {
    if (fd >= 0) close(fd);
  }
};

int WakerFd() {
  thread_local ThreadWaker w;
  return w.fd;
}

void Poke(int fd) {
  uint64_t one = 1;
  ssize_t r = write(fd, &one, sizeof one);
  (void)r;  // a counter already set wakes its reader just the same
}

// Without a wake descriptor (the process is out of them) a wait looks
// again this often, so that it still ends on a wake.
constexpr int kFallbackSliceMs = 50;

}  // namespace

std::shared_ptr<ZelCommPort> ZelCommPort::Open(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int e = errno;
    // A node without hardware behind it is a missing port to the caller.
    if (e == EIO || e == ENXIO || e == ENODEV) SetLastError(ERROR_FILE_NOT_FOUND);
    else if (e == EBUSY) SetLastError(ERROR_ACCESS_DENIED);
    else ZelSetLastErrorFromErrno(e);
    return nullptr;
  }
  if (!isatty(fd)) {
    close(fd);
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  // TIOCEXCL keeps out other opens of the terminal (but not root's); the
  // lock keeps out every program that honours advisory locks, this one too.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  ioctl(fd, TIOCEXCL);
  return std::shared_ptr<ZelCommPort>(new ZelCommPort(fd));
}

ZelCommPort::~ZelCommPort() {
  // The flag belongs to the terminal, not to this descriptor: leaving it
  // would lock out the next opener while any other descriptor stays open.
  ioctl(m_fd, TIOCNXCL);
  close(m_fd);
}

uint64_t ZelCommPort::Generation() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_generation;
}

bool ZelCommPort::WokenSince(int wakeMask, uint64_t seen) const {
  for (int bit = 0; bit < 3; ++bit)
    if ((wakeMask & (1 << bit)) && m_lastWake[bit] > seen) return true;
  return false;
}

ZelCommPort::WaitResult ZelCommPort::Wait(short events, int timeoutMs, int wakeMask, uint64_t seen, short* revents) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  const int waker = WakerFd();
  for (;;) {
    {
      std::lock_guard<std::mutex> g(m_lock);
      if (m_shut) return kGone;
      if (WokenSince(wakeMask, seen)) return kWoken;
      if (waker >= 0) m_waiters.push_back(waker);
    }
    int slice = -1;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      slice = static_cast<int>(std::max<long long>(0, left));
    }
    if (waker < 0 && (slice < 0 || slice > kFallbackSliceMs)) slice = kFallbackSliceMs;
    // A hung-up descriptor reports POLLHUP even for no events: leave it out.
    pollfd p[2] = {{events ? m_fd : -1, events, 0}, {waker, POLLIN, 0}};
    int r = poll(p, 2, slice);
    if (waker >= 0) {
      {
        std::lock_guard<std::mutex> g(m_lock);
        m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), waker));
      }
      uint64_t n;
      if (r > 0 && p[1].revents) {
        while (read(waker, &n, sizeof n) > 0) {
        }
      }
    }
    {
      std::lock_guard<std::mutex> g(m_lock);
      if (m_shut) return kGone;
      if (WokenSince(wakeMask, seen)) return kWoken;
    }
    if (revents) *revents = p[0].revents;
    if (r > 0 && p[0].revents) return kReady;
    if (r < 0 && errno != EINTR) return kReady;  // let the caller's own call meet the error
    if (timeoutMs >= 0 && Clock::now() >= deadline) return kTimedOut;
  }
}

void ZelCommPort::WakeAll(int wake) {
  std::lock_guard<std::mutex> g(m_lock);
  ++m_generation;
  for (int bit = 0; bit < 3; ++bit)
    if (wake & (1 << bit)) m_lastWake[bit] = m_generation;
  for (int fd : m_waiters) Poke(fd);
}

void ZelCommPort::OnClose() {
  std::lock_guard<std::mutex> g(m_lock);
  m_shut = true;
  ++m_generation;
  for (int fd : m_waiters) Poke(fd);
}

DWORD ZelCommPort::Mask() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_mask;
}

void ZelCommPort::SetMask(DWORD mask) {
  {
    std::lock_guard<std::mutex> g(m_lock);
    m_mask = mask;
  }
  WakeAll(kMaskChange);
}

COMMTIMEOUTS ZelCommPort::Timeouts() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_timeouts;
}

void ZelCommPort::SetTimeouts(const COMMTIMEOUTS& t) {
  std::lock_guard<std::mutex> g(m_lock);
  m_timeouts = t;
}

DCB ZelCommPort::Handshake() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_handshake;
}

void ZelCommPort::SetHandshake(const DCB& dcb) {
  std::lock_guard<std::mutex> g(m_lock);
  m_handshake = dcb;
}

bool ZelCommPort::TakeHangupReport() {
  std::lock_guard<std::mutex> g(m_lock);
  bool first = !m_hangupReported;
  m_hangupReported = true;
  return first;
}

ZelLineCounts ZelCommPort::SwapCounts(const ZelLineCounts& now) {
  std::lock_guard<std::mutex> g(m_lock);
  ZelLineCounts old = m_counts;
  m_counts = now;
  return old;
}
