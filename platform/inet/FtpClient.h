// One FTP control connection and the data connections it opens.
//
// Active mode comes first: the client listens on the control connection's
// own local address and the server connects to it (PORT, or EPRT over
// IPv6). Where the server refuses that, the session switches to passive
// mode (EPSV, else PASV) for good, always connecting to the control peer's
// address whatever address a PASV reply names.
//
// Every wait has a time-out. A control connection that timed out or broke
// is dropped, since its replies can no longer be matched to requests; the
// requests after that fail with ERROR_FTP_DROPPED.
#pragma once

#include <set>
#include <string>

#include "platform/inet/FtpReply.h"
#include "platform/inet/FtpSocket.h"

struct FtpTimeouts {
  int nConnectMs = 20000;
  int nSendMs = 20000;
  int nReceiveMs = 20000;
  // An abandoned transfer waits no longer than this for the server's word.
  int nAbortMs = 2000;
};

class FtpClient {
public:
  FtpClient(const FtpTimeouts& timeouts, bool bPassive) : m_timeouts(timeouts), m_bPassive(bPassive) {}

  // Connects, logs in and learns the server's features.
  void Open(const std::string& host, int port, const std::string& user, const std::string& password);
  // QUIT, briefly waited for; never throws.
  void Quit();

  // Sends one request and answers its final reply (preliminary ones are
  // skipped). Throws when the connection fails, never for a refusal.
  FtpReply Command(const std::string& verb, const std::string& arg = std::string());
  // As Command, but a reply outside class `expected` (2 or 3) throws the
  // refusal, which also becomes the thread's last response.
  FtpReply Require(int expected, const std::string& verb, const std::string& arg = std::string());

  void SetType(char type);  // 'A' or 'I'
  // Opens the data connection for a transfer request (RETR x, STOR x,
  // LIST, MLSD) and answers it once the server said it starts.
  FtpSocket OpenData(const std::string& verb, const std::string& arg, char type);
  // The server's final word on a transfer whose data went through.
  void FinishData();
  // Ends a transfer early (ABOR for a download), within nAbortMs; a server
  // that does not answer in time costs the control connection, not time.
  void AbandonData(bool bDownload);

  bool HasFeature(const char* name) const { return m_features.count(name) != 0; }
  bool IsOpen() const { return m_ctl.IsOpen(); }
  const FtpTimeouts& Timeouts() const { return m_timeouts; }
  // Refuses text that could smuggle a second request onto the line.
  static void CheckArgument(const std::string& arg);

  // A transfer holds the connection: a second one is refused.
  bool m_bBusy = false;

private:
  FtpReply ReadReply(int nTimeoutMs);
  FtpReply FinalReply();
  void Send(const std::string& verb, const std::string& arg);
  void Drop() { m_ctl.Close(); }
  [[noreturn]] void Refuse(const FtpReply& r);
  void ReadFeatures();
  bool SendPort(FtpSocket& listener);
  FtpSocket ConnectPassive();

  FtpTimeouts m_timeouts;
  bool m_bPassive;
  FtpSocket m_ctl;
  FtpReplyParser m_parser;
  std::string m_in;  // control bytes read but not yet parsed
  char m_type = 0;
  std::set<std::string> m_features;
};
