// A TCP socket of the FTP client: non-blocking underneath, so that every
// wait has a time-out and no peer can hold the caller longer than that.
// Failures throw CInternetException*.
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <string>

struct FtpAddress {
  sockaddr_storage addr = {};
  socklen_t len = 0;
  int Family() const { return addr.ss_family; }
  int Port() const;
  void SetPort(int port);
  std::string Host() const;  // numeric, without brackets
};

class FtpSocket {
public:
  FtpSocket() = default;
  explicit FtpSocket(int fd) : m_fd(fd) {}
  ~FtpSocket() { Close(); }
  FtpSocket(FtpSocket&& o) noexcept : m_fd(o.m_fd) { o.m_fd = -1; }
  FtpSocket& operator=(FtpSocket&& o) noexcept;
  FtpSocket(const FtpSocket&) = delete;
  FtpSocket& operator=(const FtpSocket&) = delete;

  // Resolves host (a name or a numeric address) and connects to the first
  // address that answers within nTimeoutMs.
  static FtpSocket ConnectHost(const std::string& host, int port, int nTimeoutMs);
  static FtpSocket ConnectAddress(const FtpAddress& to, int nTimeoutMs);
  // Listens on `at` with a port of the system's choice.
  static FtpSocket ListenOn(FtpAddress at);

  // A connection waiting on a listening socket, or an empty socket when
  // none came within nTimeoutMs. With another descriptor `also`, the wait
  // also ends (with an empty socket) as soon as that one is readable.
  FtpSocket AcceptWithin(int nTimeoutMs, int also = -1);

  void SendAll(const char* data, size_t n, int nTimeoutMs);
  // Up to n bytes, 0 at the end of the stream.
  size_t RecvSome(char* buf, size_t n, int nTimeoutMs);

  FtpAddress LocalAddress() const;
  FtpAddress PeerAddress() const;
  bool IsOpen() const { return m_fd >= 0; }
  int Fd() const { return m_fd; }
  void NoDelay();
  void ShutdownWrite();
  void Close();

private:
  int m_fd = -1;
};

// Waits until fd is readable: false when nTimeoutMs passed first.
bool FtpWaitReadable(int fd, int nTimeoutMs);
