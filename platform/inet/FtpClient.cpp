#include "platform/inet/FtpClient.h"

#include <netinet/in.h>

#include <chrono>

#include "platform/inet/InternetException.h"

namespace {

using Clock = std::chrono::steady_clock;

// Refusals of a request the server does not know, as opposed to one it
// knows and turned down.
bool IsUnknownCommand(const FtpReply& r) { return r.nCode == 500 || r.nCode == 502 || r.nCode == 504; }

}  // namespace

void FtpClient::CheckArgument(const std::string& arg) {
  for (char c : arg)
    if (c == '\r' || c == '\n' || c == '\0') ZelThrowInternet(ERROR_INTERNET_INVALID_OPERATION);
}

void FtpClient::Open(const std::string& host, int port, const std::string& user, const std::string& password) {
  m_ctl = FtpSocket::ConnectHost(host, port, m_timeouts.nConnectMs);
  FtpReply r = FinalReply();
  if (!r.IsOk()) Refuse(r);
  r = Command("USER", user.empty() ? "anonymous" : user);
  if (r.IsIntermediate()) r = Command("PASS", user.empty() && password.empty() ? "anonymous@" : password);
  if (!r.IsOk()) {
    ZelSetLastResponse(r.nCode, r.text);
    ZelThrowInternet(ERROR_INTERNET_LOGIN_FAILURE, std::to_string(r.nCode) + " " + r.text);
  }
  ReadFeatures();
  // Names are UTF-8 on the wire either way; this asks the server to agree.
  if (HasFeature("UTF8")) Command("OPTS", "UTF8 ON");
}

void FtpClient::ReadFeatures() {
  FtpReply r = Command("FEAT");
  if (!r.IsOk()) return;
  for (const std::string& line : FtpSplit(r.text, '\n')) {
    size_t b = line.find_first_not_of(' ');
    if (b == std::string::npos || b == 0) continue;  // features are indented
    std::string name = line.substr(b, line.find(' ', b) - b);
    for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    m_features.insert(name);
  }
}

void FtpClient::Quit() {
  if (!m_ctl.IsOpen()) return;
  try {
    Send("QUIT", std::string());
    ReadReply(m_timeouts.nAbortMs);
  } catch (CInternetException* e) {
    e->Delete();
  }
  Drop();
}

void FtpClient::Send(const std::string& verb, const std::string& arg) {
  CheckArgument(arg);
  if (!m_ctl.IsOpen()) ZelThrowInternet(ERROR_FTP_DROPPED);
  std::string line = arg.empty() ? verb + "\r\n" : verb + " " + arg + "\r\n";
  try {
    m_ctl.SendAll(line.data(), line.size(), m_timeouts.nSendMs);
  } catch (CInternetException*) {
    Drop();
    throw;
  }
}

FtpReply FtpClient::ReadReply(int nTimeoutMs) {
  if (!m_ctl.IsOpen()) ZelThrowInternet(ERROR_FTP_DROPPED);
  auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  FtpReply r;
  try {
    for (;;) {
      size_t used = 0;
      FtpReplyParser::Status s = m_parser.Feed(m_in.data(), m_in.size(), &used, r);
      m_in.erase(0, used);
      if (s == FtpReplyParser::kReply) return r;
      if (s != FtpReplyParser::kNeedMore) {
        Drop();
        ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR, s == FtpReplyParser::kTooLong
                                                            ? "The server's reply is too long."
                                                            : "The server's reply is malformed.");
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      char buf[4096];
      size_t n = m_ctl.RecvSome(buf, sizeof buf, left > 0 ? static_cast<int>(left) : 0);
      if (n == 0) {
        Drop();
        ZelThrowInternet(ERROR_FTP_DROPPED);
      }
      m_in.append(buf, n);
    }
  } catch (CInternetException*) {
    Drop();
    throw;
  }
}

void FtpClient::Refuse(const FtpReply& r) {
  ZelSetLastResponse(r.nCode, r.text);
  if (r.nCode == 421) Drop();  // the server is closing the connection
  ZelThrowInternet(ERROR_INTERNET_EXTENDED_ERROR, std::to_string(r.nCode) + " " + r.text);
}

FtpReply FtpClient::FinalReply() {
  // A server may say "wait" a few times, not for ever.
  for (int i = 0; i < 16; ++i) {
    FtpReply r = ReadReply(m_timeouts.nReceiveMs);
    if (!r.IsPreliminary()) return r;
  }
  Drop();
  ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR, "The server never gives its final reply.");
}

FtpReply FtpClient::Command(const std::string& verb, const std::string& arg) {
  Send(verb, arg);
  FtpReply r = FinalReply();
  if (r.nCode == 421) Drop();
  return r;
}

FtpReply FtpClient::Require(int expected, const std::string& verb, const std::string& arg) {
  FtpReply r = Command(verb, arg);
  if (r.nCode / 100 != expected) Refuse(r);
  return r;
}

void FtpClient::SetType(char type) {
  if (m_type == type) return;
  Require(2, "TYPE", std::string(1, type));
  m_type = type;
}

bool FtpClient::SendPort(FtpSocket& listener) {
  FtpAddress at = listener.LocalAddress();
  int port = at.Port();
  FtpReply r;
  if (at.Family() == AF_INET) {
    std::string host = at.Host();
    for (char& c : host)
      if (c == '.') c = ',';
    r = Command("PORT", host + "," + std::to_string(port / 256) + "," + std::to_string(port % 256));
  } else {
    r = Command("EPRT", "|2|" + at.Host() + "|" + std::to_string(port) + "|");
  }
  if (r.IsOk()) return true;
  // Refused (a server behind a firewall, or one that only serves passive
  // clients): passive from now on.
  if (r.nCode / 100 == 5) return false;
  Refuse(r);
}

FtpSocket FtpClient::ConnectPassive() {
  FtpAddress peer = m_ctl.PeerAddress();
  FtpReply r = Command("EPSV");
  int port = r.nCode == 229 ? FtpParseEpsvPort(r.text) : -1;
  if (port < 0 && peer.Family() == AF_INET && (r.nCode == 229 || IsUnknownCommand(r) || r.nCode / 100 == 5)) {
    r = Command("PASV");
    if (r.nCode != 227) Refuse(r);
    port = FtpParsePasvPort(r.text);
  } else if (r.nCode != 229) {
    Refuse(r);
  }
  if (port < 0) ZelThrowInternet(ERROR_INTERNET_INTERNAL_ERROR, "The server's passive address is malformed.");
  peer.SetPort(port);
  return FtpSocket::ConnectAddress(peer, m_timeouts.nConnectMs);
}

FtpSocket FtpClient::OpenData(const std::string& verb, const std::string& arg, char type) {
  CheckArgument(arg);
  SetType(type);
  if (!m_bPassive) {
    FtpSocket listener = FtpSocket::ListenOn(m_ctl.LocalAddress());
    if (SendPort(listener)) {
      Send(verb, arg);
      bool started = false;
      auto deadline = Clock::now() + std::chrono::milliseconds(m_timeouts.nReceiveMs);
      for (;;) {
        if (!started && !m_in.empty()) {
          // The answer came in with the bytes of an earlier reply.
          FtpReply r = ReadReply(m_timeouts.nReceiveMs);
          if (!r.IsPreliminary()) Refuse(r);
          started = true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;
        // The server may answer before it connects, or refuse instead.
        FtpSocket data = listener.AcceptWithin(static_cast<int>(left), started ? -1 : m_ctl.Fd());
        if (data.IsOpen()) {
          if (!started) {
            FtpReply r = ReadReply(m_timeouts.nReceiveMs);
            if (!r.IsPreliminary()) Refuse(r);
          }
          return data;
        }
        if (!started && FtpWaitReadable(m_ctl.Fd(), 0)) {
          FtpReply r = ReadReply(m_timeouts.nReceiveMs);
          if (!r.IsPreliminary()) Refuse(r);
          started = true;
        }
      }
      Drop();
      ZelThrowInternet(ERROR_INTERNET_TIMEOUT, "The server's data connection did not come.");
    }
    m_bPassive = true;
  }
  FtpSocket data = ConnectPassive();
  Send(verb, arg);
  FtpReply r = ReadReply(m_timeouts.nReceiveMs);
  if (!r.IsPreliminary()) Refuse(r);
  return data;
}

void FtpClient::FinishData() {
  FtpReply r = ReadReply(m_timeouts.nReceiveMs);
  if (!r.IsOk()) Refuse(r);
}

void FtpClient::AbandonData(bool bDownload) {
  if (!m_ctl.IsOpen()) return;
  try {
    if (bDownload) Send("ABOR", std::string());
    auto deadline = Clock::now() + std::chrono::milliseconds(m_timeouts.nAbortMs);
    // Read what the server says about the transfer and the ABOR: usually
    // 426 then 226, or one 225/226; a second completion reply may follow.
    bool done = false;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (done) left = left < 300 ? left : 300;
      if (left <= 0 || (m_in.empty() && !FtpWaitReadable(m_ctl.Fd(), static_cast<int>(left)))) break;
      FtpReply r = ReadReply(static_cast<int>(left));
      if (r.IsOk() || r.nCode / 100 == 5) {
        if (done || !bDownload) return;
        done = true;
      }
    }
    if (!done) Drop();
  } catch (CInternetException* e) {
    e->Delete();
    Drop();
  }
}
