// A real FTP server for one test program: pyftpdlib on a free loopback port
// with a temporary root, started on construction and stopped (with the
// whole root) on destruction. It dies with the test program, however that
// ends.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/TempDir.h"

namespace zeltest {

class FtpServer {
public:
  struct Options {
    bool bIpv6 = false;
    bool bNoActive = false;  // refuses PORT and EPRT
    // vsftpd instead: anonymous only, LIST without MLSD, the writable
    // folder is /pub (its root must not be writable).
    bool bVsftpd = false;
  };
  FtpServer() : FtpServer(Options()) {}
  explicit FtpServer(const Options& options);
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  int port() const { return m_port; }
  std::wstring url() const;               // "ftp://127.0.0.1/" or "ftp://[::1]/"
  const std::string& root() const { return m_root; }
  std::string file(const std::string& name) const { return m_root + "/" + name; }
  // The log-in the server takes (empty for vsftpd: anonymous).
  const wchar_t* user() const { return m_bVsftpd ? L"" : L"zel"; }
  const wchar_t* password() const { return m_bVsftpd ? L"" : L"zel"; }
  bool vsftpd() const { return m_bVsftpd; }
  // Kills the server at once, as a crash or a dropped line would.
  void Kill();

private:
  void StartPyftpdlib(const Options& options);
  void StartVsftpd();
  void Spawn(const char* const* argv);

  TempDir m_dir;
  std::string m_root;
  bool m_bIpv6;
  bool m_bVsftpd;
  pid_t m_pid = -1;
  int m_port = 0;
};

}  // namespace zeltest
