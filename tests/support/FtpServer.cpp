#include "support/FtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
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

namespace {

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

// A loopback port nobody listens on just now.
int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

bool Answers(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

FtpServer::FtpServer(const Options& options)
    : m_root(m_dir.file("root")), m_bIpv6(options.bIpv6), m_bVsftpd(options.bVsftpd) {
  ::mkdir(m_root.c_str(), 0755);
  if (m_bVsftpd)
    StartVsftpd();
  else
    StartPyftpdlib(options);
}

void FtpServer::Spawn(const char* const* argv) {
  pid_t parent = ::getpid();
  m_pid = ::fork();
  if (m_pid < 0) throw std::runtime_error("fork failed");
  if (m_pid == 0) {
    // The server goes when the test program goes, whatever ends it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(1);
    ::execv(argv[0], const_cast<char* const*>(argv));
    ::_exit(127);
  }
}

void FtpServer::StartPyftpdlib(const Options& options) {
  std::string portFile = m_dir.file("port");
  std::string script = std::string(ZEL_TEST_SUPPORT_DIR) + "/ftp_server.py";
  const char* argv[9] = {"/usr/bin/python3", script.c_str(), m_root.c_str(), portFile.c_str(), "zel", "zel"};
  int n = 6;
  if (options.bIpv6) argv[n++] = "--ipv6";
  if (options.bNoActive) argv[n++] = "--no-active";
  argv[n] = nullptr;
  Spawn(argv);
  for (int i = 0; i < 200 && m_port == 0; ++i) {
    std::ifstream in(portFile);
    if (!(in >> m_port)) {
      m_port = 0;
      if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;
        throw std::runtime_error("the FTP server did not start");
      }
      Pause();
    }
  }
  if (m_port == 0) {
    Kill();
    throw std::runtime_error("the FTP server gave no port");
  }
}

void FtpServer::StartVsftpd() {
  // vsftpd chroots the anonymous user into a root it may not write; the
  // folder it may write is pub.
  ::chmod(m_dir.path().c_str(), 0755);
  std::string pub = file("pub"), empty = m_dir.file("empty"), conf = m_dir.file("vsftpd.conf");
  ::mkdir(pub.c_str(), 0755);
  ::mkdir(empty.c_str(), 0755);
  if (passwd* ftp = ::getpwnam("ftp")) ::chown(pub.c_str(), ftp->pw_uid, ftp->pw_gid);
  m_port = FreePort();
  {
    std::ofstream out(conf);
    out << "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" << m_port
        << "\nbackground=NO\nanonymous_enable=YES\nlocal_enable=NO\nno_anon_password=YES\nanon_root=" << m_root
        << "\nwrite_enable=YES\nanon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
           "anon_other_write_enable=YES\nanon_umask=022\nsecure_chroot_dir="
        << empty
        << "\nseccomp_sandbox=NO\nftp_username=ftp\nconnect_from_port_20=NO\nport_enable=YES\n"
           "pasv_enable=YES\nutf8_filesystem=YES\nxferlog_enable=NO\nmax_per_ip=0\n";
  }
  const char* argv[] = {"/usr/sbin/vsftpd", conf.c_str(), nullptr};
  Spawn(argv);
  for (int i = 0; i < 200; ++i) {
    if (Answers(m_port)) return;
    if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = -1;
      throw std::runtime_error("vsftpd did not start");
    }
    Pause();
  }
  Kill();
  throw std::runtime_error("vsftpd does not answer");
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
