// Real terminals for serial tests.
//
// PtyPair is a pseudo-terminal: the test drives the master side; path() is
// the terminal a port opens. SocatPair is two terminals joined by socat,
// for two ports talking to each other.
#pragma once

#include <sys/types.h>

#include <string>

namespace zeltest {

class PtyPair {
public:
  PtyPair();  // the terminal in raw mode
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& path() const { return m_path; }
  // Writes every byte to the master side; throws when the terminal has
  // had no room for timeoutMs.
  void Write(const std::string& bytes, int timeoutMs = 5000);
  // Reads from the master side until n bytes came or timeoutMs passed.
  std::string Read(size_t n, int timeoutMs = 5000);
  // The device goes away under whoever has the terminal open.
  void CloseMaster();

private:
  int m_master = -1;
  int m_slave = -1;  // held so the terminal stays up between opens
  std::string m_path;
};

class SocatPair {
public:
  // Makes the links a and b inside dir.
  explicit SocatPair(const std::string& dir);
  ~SocatPair();
  SocatPair(const SocatPair&) = delete;
  SocatPair& operator=(const SocatPair&) = delete;

  const std::string& a() const { return m_a; }
  const std::string& b() const { return m_b; }
  void Stop();

private:
  pid_t m_pid = -1;
  std::string m_a, m_b;
};

}  // namespace zeltest
