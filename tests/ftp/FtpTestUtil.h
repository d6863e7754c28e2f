// What the ZELFtp tests share: a connected object against a fresh local
// server, and a callback that remembers what it was told.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ZELFtp.h"
#include "support/FtpServer.h"
#include "support/TempDir.h"

namespace zeltest {

inline std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

struct FtpFixture : ::testing::Test {
  FtpFixture() = default;
  explicit FtpFixture(const FtpServer::Options& options) : server(options) {}
  void SetUp() override {
    ASSERT_EQ(0, ftp.Connect(server.url().c_str(), server.user(), server.password(), server.port()));
  }
  // The code of the newest log record, 0 when there is none.
  long LastCode() { return ftp.GetLogCount() ? ftp.GetLog(ftp.GetLogCount() - 1).nCode : 0; }
  FtpServer server;
  TempDir local;
  ZELFtp ftp;
};

struct Recorder : ZELCallBack {
  struct Seen {
    long nKind;
    __ZEL_FTP_PROGRESS progress;
  };
  long CallBack(__ZEL_NOTIFY& notify) override {
    Seen s{notify.nKind, {}};
    if (notify.nKind != ZELFTP_NOTIFY_KEPT) s.progress = *reinterpret_cast<__ZEL_FTP_PROGRESS*>(notify.nData);
    seen.push_back(s);
    if (onCall) onCall(seen.size());
    return static_cast<int>(seen.size()) == cancelAt ? 2 : 0;
  }
  std::vector<Seen> seen;
  int cancelAt = -1;                       // the call that answers 2
  std::function<void(size_t)> onCall;      // runs at every call
};

}  // namespace zeltest
