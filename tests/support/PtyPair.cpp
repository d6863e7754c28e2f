#include "support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace zeltest {

PtyPair::PtyPair() {
  char name[128];
  if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  termios raw{};
  tcgetattr(m_slave, &raw);  // keeps the usual control characters
  cfmakeraw(&raw);
  tcsetattr(m_slave, TCSANOW, &raw);
  fcntl(m_master, F_SETFD, FD_CLOEXEC);
  fcntl(m_master, F_SETFL, O_NONBLOCK);  // a full terminal must not hold a test for ever
  fcntl(m_slave, F_SETFD, FD_CLOEXEC);
  m_path = name;
}

PtyPair::~PtyPair() {
  CloseMaster();
  if (m_slave >= 0) close(m_slave);
}

void PtyPair::Write(const std::string& bytes, int timeoutMs) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else {
      pollfd p{m_master, POLLOUT, 0};
      if (poll(&p, 1, timeoutMs) <= 0) throw std::runtime_error("pty write stalled");
    }
  }
}

std::string PtyPair::Read(size_t n, int timeoutMs) {
  std::string out;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out.size() < n) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd p{m_master, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buf[4096];
    ssize_t got = read(m_master, buf, std::min(sizeof buf, n - out.size()));
    if (got <= 0) break;
    out.append(buf, static_cast<size_t>(got));
  }
  return out;
}

void PtyPair::CloseMaster() {
  if (m_master >= 0) close(m_master);
  m_master = -1;
}

SocatPair::SocatPair(const std::string& dir) : m_a(dir + "/a"), m_b(dir + "/b") {
  std::string left = "pty,raw,echo=0,link=" + m_a;
  std::string right = "pty,raw,echo=0,link=" + m_b;
  const char* argv[] = {"socat", left.c_str(), right.c_str(), nullptr};
  if (posix_spawnp(&m_pid, "socat", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    throw std::runtime_error("cannot start socat");
  struct stat st;
  for (int i = 0; i < 500; ++i) {
    if (stat(m_a.c_str(), &st) == 0 && stat(m_b.c_str(), &st) == 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Stop();
  throw std::runtime_error("socat made no terminals");
}

SocatPair::~SocatPair() { Stop(); }

void SocatPair::Stop() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

}  // namespace zeltest
