#include "support/FtpServer.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#ifndef ZEL_TEST_SUPPORT_DIR
#error "ZEL_TEST_SUPPORT_DIR names the folder of ftp_server.py"
#endif

namespace zeltest {

FtpServer::FtpServer(const Options& options) : m_root(m_dir.file("root")), m_bIpv6(options.bIpv6) {
  ::mkdir(m_root.c_str(), 0755);
  std::string portFile = m_dir.file("port");
  std::string script = std::string(ZEL_TEST_SUPPORT_DIR) + "/ftp_server.py";
  pid_t parent = ::getpid();
  m_pid = ::fork();
  if (m_pid < 0) throw std::runtime_error("fork failed");
  if (m_pid == 0) {
    // The server goes when the test program goes, whatever ends it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    const char* argv[8] = {"/usr/bin/python3", script.c_str(), m_root.c_str(), portFile.c_str(), "zel", "zel"};
    int n = 6;
    if (options.bIpv6) argv[n++] = "--ipv6";
    if (options.bNoActive) argv[n++] = "--no-active";
    argv[n] = nullptr;
    ::execv(argv[0], const_cast<char* const*>(argv));
    ::_exit(127);
  }
  for (int i = 0; i < 200 && m_port == 0; ++i) {
    std::ifstream in(portFile);
    if (!(in >> m_port)) {
      m_port = 0;
      int status = 0;
      if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        throw std::runtime_error("the FTP server did not start");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  if (m_port == 0) {
    Kill();
    throw std::runtime_error("the FTP server gave no port");
  }
}

FtpServer::~FtpServer() { Kill(); }

void FtpServer::Kill() {
  if (m_pid <= 0) return;
  ::kill(m_pid, SIGKILL);
  ::waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

std::wstring FtpServer::url() const { return m_bIpv6 ? L"ftp://[::1]/" : L"ftp://127.0.0.1/"; }

}  // namespace zeltest
