#include "support/FakeFtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace zeltest {

void FakeFtpServer::Session::Send(const std::string& text) {
  ::send(ctl, text.data(), text.size(), MSG_NOSIGNAL);
}

void FakeFtpServer::Session::SendData(const std::string& data) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(portPort));
  ::inet_pton(AF_INET, portHost.c_str(), &a.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0)
    ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
  ::close(fd);
}

FakeFtpServer::FakeFtpServer() {
  m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(m_listen, 4);
  socklen_t len = sizeof a;
  ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
  m_port = ntohs(a.sin_port);
}

FakeFtpServer::~FakeFtpServer() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  ::close(m_listen);
}

void FakeFtpServer::Start() { m_thread = std::thread([this] { Serve(); }); }

std::string FakeFtpServer::Log() const {
  std::lock_guard<std::mutex> lock(m_logLock);
  return m_log;
}

void FakeFtpServer::Serve() {
  pollfd p = {m_listen, POLLIN, 0};
  while (!m_stop && ::poll(&p, 1, 50) == 0) {
  }
  if (m_stop) return;
  Session s;
  s.ctl = ::accept(m_listen, nullptr, nullptr);
  s.Send(m_greeting);
  std::string in;
  while (!m_stop) {
    pollfd c = {s.ctl, POLLIN, 0};
    if (::poll(&c, 1, 50) <= 0) continue;
    char buf[4096];
    ssize_t n = ::recv(s.ctl, buf, sizeof buf, 0);
    if (n <= 0) break;
    in.append(buf, static_cast<size_t>(n));
    size_t eol;
    while ((eol = in.find("\r\n")) != std::string::npos) {
      std::string line = in.substr(0, eol);
      in.erase(0, eol + 2);
      {
        std::lock_guard<std::mutex> lock(m_logLock);
        m_log += line + "\n";
      }
      size_t sp = line.find(' ');
      std::string verb = line.substr(0, sp), arg = sp == std::string::npos ? "" : line.substr(sp + 1);
      if (verb == "PORT") {
        int h[6] = {0};
        std::sscanf(arg.c_str(), "%d,%d,%d,%d,%d,%d", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]);
        s.portHost = std::to_string(h[0]) + "." + std::to_string(h[1]) + "." + std::to_string(h[2]) + "." +
                     std::to_string(h[3]);
        s.portPort = h[4] * 256 + h[5];
      }
      auto it = m_handlers.find(verb);
      if (it != m_handlers.end()) {
        it->second(s, arg);
      } else if (verb == "USER") {
        s.Send("331 password please\r\n");
      } else if (verb == "PASS") {
        s.Send("230 in\r\n");
      } else if (verb == "PWD") {
        s.Send("257 \"/\" is here\r\n");
      } else if (verb == "QUIT") {
        s.Send("221 bye\r\n");
      } else if (verb == "FEAT" || verb == "EPSV" || verb == "PASV") {
        s.Send("502 not here\r\n");
      } else {
        s.Send("200 ok\r\n");
      }
    }
  }
  ::close(s.ctl);
}

}  // namespace zeltest
