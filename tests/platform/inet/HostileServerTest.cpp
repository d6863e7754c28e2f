// The client against a server that misbehaves: every case ends in a clean
// failure within its time-out, never a hang or a crash.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/inet/Inet.h"
#include "support/FakeFtpServer.h"

namespace {

using zeltest::FakeFtpServer;
using Clock = std::chrono::steady_clock;

struct Hostile : ::testing::Test {
  Hostile() {
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 1000);
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 1000);
    session.SetOption(INTERNET_OPTION_SEND_TIMEOUT, 1000);
  }
  // The error code of a failed connection, 0 when it succeeded.
  DWORD ConnectError() {
    server.Start();
    try {
      conn.reset(session.GetFtpConnection(L"127.0.0.1", L"u", L"p", static_cast<INTERNET_PORT>(server.port())));
      return 0;
    } catch (CInternetException* e) {
      DWORD code = e->m_dwError;
      text = e->GetErrorMessage();
      e->Delete();
      return code;
    }
  }
  double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
  }
  FakeFtpServer server;
  CInternetSession session{L"test"};
  std::unique_ptr<CFtpConnection> conn;
  CString text;
};

TEST_F(Hostile, BrokenGreetingsFailTheConnection) {
  server.Greeting("220 " + std::string(100000, 'A') + "\r\n");
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INTERNAL_ERROR), ConnectError());
}

TEST_F(Hostile, MalformedGreeting) {
  server.Greeting("SSH-2.0-OpenSSH\r\n");
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INTERNAL_ERROR), ConnectError());
}

TEST_F(Hostile, EndlessWaitRepliesAreCutShort) {
  std::string wait;
  for (int i = 0; i < 100; ++i) wait += "120 a moment\r\n";
  server.Greeting(wait);
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INTERNAL_ERROR), ConnectError());
}

TEST_F(Hostile, SilenceTimesOut) {
  server.On("PASS", [](FakeFtpServer::Session&, const std::string&) {});
  auto t0 = Clock::now();
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_TIMEOUT), ConnectError());
  EXPECT_LT(Seconds(t0), 3.0);
}

TEST_F(Hostile, RefusedLoginCarriesTheReply) {
  server.On("PASS", [](FakeFtpServer::Session& s, const std::string&) { s.Send("530 go away\r\n"); });
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_LOGIN_FAILURE), ConnectError());
  EXPECT_EQ(CString(L"530 go away"), text);
}

TEST_F(Hostile, MultiLineRepliesAndRefusalsReachTheLastError) {
  server.Greeting("220-first\r\n220-second\r\n220 ready\r\n");
  server.On("FEAT", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("211-Extensions:\r\n UTF8\r\n SIZE\r\n211 END\r\n");
  });
  server.On("DELE", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("550-No such file.\r\n550 Really.\r\n");
  });
  ASSERT_EQ(0u, ConnectError());
  EXPECT_FALSE(conn->Remove(L"gone"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_EXTENDED_ERROR), GetLastError());
  EXPECT_EQ(CString(L"550 No such file.\nReally."), ZelInternetErrorText(ERROR_INTERNET_EXTENDED_ERROR));
  // The connection stays in step: the next request gets its own answer.
  EXPECT_TRUE(conn->CreateDirectory(L"d"));
  EXPECT_NE(std::string::npos, server.Log().find("OPTS UTF8 ON"));
}

TEST_F(Hostile, LineBreaksInNamesNeverReachTheServer) {
  ASSERT_EQ(0u, ConnectError());
  EXPECT_FALSE(conn->Remove(L"a\r\nDELE important"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_INVALID_OPERATION), GetLastError());
  EXPECT_FALSE(conn->Rename(L"x", L"y\nRMD /"));
  EXPECT_FALSE(conn->SetCurrentDirectory(L"a\rb"));
  EXPECT_EQ(std::string::npos, server.Log().find("important"));
  EXPECT_EQ(std::string::npos, server.Log().find("RNFR"));
  EXPECT_EQ(std::string::npos, server.Log().find("RMD"));
}

TEST_F(Hostile, DataConnectionThatNeverComes) {
  server.On("SIZE", [](FakeFtpServer::Session& s, const std::string&) { s.Send("213 10\r\n"); });
  server.On("RETR", [](FakeFtpServer::Session& s, const std::string&) { s.Send("150 here it comes\r\n"); });
  ASSERT_EQ(0u, ConnectError());
  std::unique_ptr<CInternetFile> f(conn->OpenFile(L"x"));
  ASSERT_TRUE(f);
  auto t0 = Clock::now();
  char buf[16];
  try {
    f->Read(buf, sizeof buf);
    ADD_FAILURE() << "no data came, yet Read answered";
  } catch (CInternetException* e) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_TIMEOUT), e->m_dwError);
    e->Delete();
  }
  EXPECT_LT(Seconds(t0), 3.0);
  // The control connection lost step and is gone; requests say so.
  EXPECT_FALSE(conn->CreateDirectory(L"d"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FTP_DROPPED), GetLastError());
}

TEST_F(Hostile, OddListingNamesAreNotListed) {
  server.On("LIST", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("150 listing\r\n");
    s.SendData(
        "-rw-r--r-- 1 a b 3 Jan  1  2020 ../x\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 /etc/passwd\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 a\\b\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 bad\rname\r\n"
        "garbage that is no entry\r\n"
        "-rw-r--r-- 1 a b 3 Jan  1  2020 fine\r\n");
    s.Send("226 done\r\n");
  });
  ASSERT_EQ(0u, ConnectError());
  CFtpFileFind find(conn.get());
  ASSERT_TRUE(find.FindFile(L"*"));
  std::vector<CString> names;
  BOOL more;
  do {
    more = find.FindNextFile();
    names.push_back(find.GetFileName());
  } while (more);
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ(CString(L"a\\b"), names[0]);
  EXPECT_EQ(CString(L"fine"), names[1]);
}

TEST_F(Hostile, ServerIgnoringAbortCostsTheConnectionNotTime) {
  server.On("SIZE", [](FakeFtpServer::Session& s, const std::string&) { s.Send("213 1000000\r\n"); });
  server.On("RETR", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("150 here\r\n");
    s.SendData(std::string(1000000, 'x'));  // and never a word after it
  });
  server.On("ABOR", [](FakeFtpServer::Session&, const std::string&) {});
  server.On("MDTM", [](FakeFtpServer::Session& s, const std::string&) { s.Send("213 20200102030405\r\n"); });
  ASSERT_EQ(0u, ConnectError());
  CTime when;
  ASSERT_TRUE(conn->GetFileTime(L"x", when));
  EXPECT_EQ(1577934245, when.GetTime());
  std::unique_ptr<CInternetFile> f(conn->OpenFile(L"x"));
  char buf[4096];
  ASSERT_GT(f->Read(buf, sizeof buf), 0u);
  auto t0 = Clock::now();
  f->Abort();
  EXPECT_LT(Seconds(t0), 3.0);
  EXPECT_FALSE(conn->CreateDirectory(L"d"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FTP_DROPPED), GetLastError());
}

TEST_F(Hostile, DroppedMidReplyIsAnError) {
  server.On("MKD", [](FakeFtpServer::Session& s, const std::string&) {
    s.Send("257-partial\r\n");
    ::shutdown(s.ctl, SHUT_RDWR);
  });
  ASSERT_EQ(0u, ConnectError());
  EXPECT_FALSE(conn->CreateDirectory(L"d"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FTP_DROPPED), GetLastError());
}

}  // namespace
