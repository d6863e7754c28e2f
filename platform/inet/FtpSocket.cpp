#include "platform/inet/FtpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/inet/InternetException.h"

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Polls for events until the deadline; EINTR does not shorten the wait.
int PollUntil(pollfd* fds, int n, Clock::time_point deadline) {
  for (;;) {
    int r = ::poll(fds, static_cast<nfds_t>(n), Remaining(deadline));
    if (r >= 0 || errno != EINTR) return r;
  }
}

int MakeSocket(int family) {
  int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) ZelThrowInternet(ERROR_INTERNET_CANNOT_CONNECT, std::string("socket: ") + std::strerror(errno));
  return fd;
}

[[noreturn]] void ThrowIo(int err) {
  DWORD code = err == ECONNRESET || err == EPIPE ? ERROR_INTERNET_CONNECTION_RESET : ERROR_INTERNET_CONNECTION_ABORTED;
  ZelThrowInternet(code);
}

}  // namespace

int FtpAddress::Port() const {
  if (addr.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(addr).sin_port);
  return ntohs(reinterpret_cast<const sockaddr_in6&>(addr).sin6_port);
}

void FtpAddress::SetPort(int port) {
  if (addr.ss_family == AF_INET)
    reinterpret_cast<sockaddr_in&>(addr).sin_port = htons(static_cast<uint16_t>(port));
  else
    reinterpret_cast<sockaddr_in6&>(addr).sin6_port = htons(static_cast<uint16_t>(port));
}

std::string FtpAddress::Host() const {
  char buf[INET6_ADDRSTRLEN] = {0};
  if (addr.ss_family == AF_INET)
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(addr).sin_addr, buf, sizeof buf);
  else
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(addr).sin6_addr, buf, sizeof buf);
  return buf;
}

FtpSocket& FtpSocket::operator=(FtpSocket&& o) noexcept {
  if (this != &o) {
    Close();
    m_fd = o.m_fd;
    o.m_fd = -1;
  }
  return *this;
}

FtpSocket FtpSocket::ConnectHost(const std::string& host, int port, int nTimeoutMs) {
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* list = nullptr;
  std::string service = std::to_string(port);
  int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (rc != 0 || !list) ZelThrowInternet(ERROR_INTERNET_NAME_NOT_RESOLVED);
  CInternetException* last = nullptr;
  for (addrinfo* ai = list; ai; ai = ai->ai_next) {
    FtpAddress to;
    std::memcpy(&to.addr, ai->ai_addr, ai->ai_addrlen);
    to.len = ai->ai_addrlen;
    try {
      FtpSocket s = ConnectAddress(to, nTimeoutMs);
      ::freeaddrinfo(list);
      if (last) last->Delete();
      return s;
    } catch (CInternetException* e) {
      if (last) last->Delete();
      last = e;
    }
  }
  ::freeaddrinfo(list);
  throw last;
}

FtpSocket FtpSocket::ConnectAddress(const FtpAddress& to, int nTimeoutMs) {
  FtpSocket s(MakeSocket(to.Family()));
  auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  if (::connect(s.m_fd, reinterpret_cast<const sockaddr*>(&to.addr), to.len) != 0) {
    if (errno != EINPROGRESS) ZelThrowInternet(ERROR_INTERNET_CANNOT_CONNECT, std::strerror(errno));
    pollfd p = {s.m_fd, POLLOUT, 0};
    if (PollUntil(&p, 1, deadline) <= 0) ZelThrowInternet(ERROR_INTERNET_TIMEOUT);
    int err = 0;
    socklen_t len = sizeof err;
    ::getsockopt(s.m_fd, SOL_SOCKET, SO_ERROR, &err, &len);
    if (err != 0) ZelThrowInternet(ERROR_INTERNET_CANNOT_CONNECT, std::strerror(err));
  }
  s.NoDelay();
  return s;
}

FtpSocket FtpSocket::ListenOn(FtpAddress at) {
  FtpSocket s(MakeSocket(at.Family()));
  at.SetPort(0);
  if (::bind(s.m_fd, reinterpret_cast<const sockaddr*>(&at.addr), at.len) != 0 || ::listen(s.m_fd, 1) != 0)
    ZelThrowInternet(ERROR_INTERNET_CANNOT_CONNECT, std::string("listen: ") + std::strerror(errno));
  return s;
}

FtpSocket FtpSocket::AcceptWithin(int nTimeoutMs, int also) {
  auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  pollfd p[2] = {{m_fd, POLLIN, 0}, {also, POLLIN, 0}};
  int r = PollUntil(p, also >= 0 ? 2 : 1, deadline);
  if (r <= 0 || !(p[0].revents & POLLIN)) return FtpSocket();
  int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) ZelThrowInternet(ERROR_INTERNET_CANNOT_CONNECT, std::string("accept: ") + std::strerror(errno));
  FtpSocket s(fd);
  s.NoDelay();
  return s;
}

void FtpSocket::SendAll(const char* data, size_t n, int nTimeoutMs) {
  if (m_fd < 0) ZelThrowInternet(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  while (n > 0) {
    ssize_t w = ::send(m_fd, data, n, MSG_NOSIGNAL);
    if (w > 0) {
      data += w;
      n -= static_cast<size_t>(w);
      deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) ThrowIo(errno);
    pollfd p = {m_fd, POLLOUT, 0};
    if (PollUntil(&p, 1, deadline) <= 0) ZelThrowInternet(ERROR_INTERNET_TIMEOUT);
  }
}

size_t FtpSocket::RecvSome(char* buf, size_t n, int nTimeoutMs) {
  if (m_fd < 0) ZelThrowInternet(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  for (;;) {
    ssize_t r = ::recv(m_fd, buf, n, 0);
    if (r >= 0) return static_cast<size_t>(r);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) ThrowIo(errno);
    pollfd p = {m_fd, POLLIN, 0};
    if (PollUntil(&p, 1, deadline) <= 0) ZelThrowInternet(ERROR_INTERNET_TIMEOUT);
  }
}

FtpAddress FtpSocket::LocalAddress() const {
  FtpAddress a;
  a.len = sizeof a.addr;
  ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a.addr), &a.len);
  return a;
}

FtpAddress FtpSocket::PeerAddress() const {
  FtpAddress a;
  a.len = sizeof a.addr;
  ::getpeername(m_fd, reinterpret_cast<sockaddr*>(&a.addr), &a.len);
  return a;
}

void FtpSocket::NoDelay() {
  // Requests are single small writes, and the last piece of a data block
  // must not wait for the peer's acknowledgement of the one before.
  int one = 1;
  ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void FtpSocket::ShutdownWrite() {
  if (m_fd >= 0) ::shutdown(m_fd, SHUT_WR);
}

void FtpSocket::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool FtpWaitReadable(int fd, int nTimeoutMs) {
  pollfd p = {fd, POLLIN, 0};
  return PollUntil(&p, 1, Clock::now() + std::chrono::milliseconds(nTimeoutMs)) > 0;
}
