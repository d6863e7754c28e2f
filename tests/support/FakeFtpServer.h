// A scripted FTP server for misbehaviour: it answers the log-in and the
// usual requests plainly, and a test replaces any request's answer with its
// own (overlong lines, malformed replies, hostile listings, silence).
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace zeltest {

class FakeFtpServer {
public:
  struct Session {
    int ctl = -1;
    std::string portHost;  // from the last PORT
    int portPort = 0;
    void Send(const std::string& text);  // as is, no line end added
    // Connects to the address of the last PORT, sends data, closes.
    void SendData(const std::string& data);
  };
  using Handler = std::function<void(Session&, const std::string& arg)>;

  FakeFtpServer();
  ~FakeFtpServer();

  // The answer to a request (upper-case verb), replacing the plain one.
  void On(const std::string& verb, Handler h) { m_handlers[verb] = std::move(h); }
  // Replaces the greeting ("220 fake ready\r\n").
  void Greeting(const std::string& text) { m_greeting = text; }
  void Start();
  int port() const { return m_port; }
  // Every request line received, in order.
  std::string Log() const;

private:
  void Serve();
  int m_listen = -1;
  int m_port = 0;
  std::string m_greeting = "220 fake ready\r\n";
  std::map<std::string, Handler> m_handlers;
  std::thread m_thread;
  std::atomic<bool> m_stop{false};
  mutable std::mutex m_logLock;
  std::string m_log;
};

}  // namespace zeltest
