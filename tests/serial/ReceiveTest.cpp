#include <mutex>
#include <vector>

#include "SerialTest.h"

using serialtest::Eventually;
using serialtest::GetAll;
using zeltest::NamedPty;

namespace {

constexpr UINT kMsg = WM_APP + 7;

// Receives scripted chunks instead of reading a port; an empty chunk is a
// failed read.
struct Scripted : serialtest::Serial {
  std::vector<std::string> chunks;
  size_t next = 0;
  int Receive(unsigned char* buffer, unsigned long size, int& bEnd) override {
    if (next >= chunks.size()) return bEnd = 1, 0;
    const std::string& c = chunks[next++];
    size_t n = std::min<size_t>(c.size(), size);
    std::copy(c.begin(), c.begin() + static_cast<long>(n), buffer);
    bEnd = next == chunks.size();
    return static_cast<int>(n);
  }
  using ZELSerial::OnReceive;
};

std::vector<MSG> TakeMessages(HWND hwnd) {
  std::vector<MSG> out;
  MSG m;
  while (PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE)) out.push_back(m);
  return out;
}

struct Window : CWnd {
  Window() { CreateEx(0, L"", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL); }
};

TEST(SerialQueue, GetSplitsAndJoinsBlocks) {
  Scripted s;
  Window w;
  s.SetNotify(&w, kMsg);
  s.chunks = {"abc", "defgh"};
  EXPECT_EQ(s.OnReceive(), 8);
  auto msgs = TakeMessages(w.m_hWnd);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].message, kMsg);
  EXPECT_EQ(msgs[0].wParam, 3u);
  EXPECT_EQ(msgs[1].wParam, 5u);
  EXPECT_EQ(msgs[1].lParam, reinterpret_cast<LPARAM>(static_cast<ZELSerial*>(&s)));

  unsigned char buf[16];
  EXPECT_EQ(s.Get(buf, 0), 0);
  EXPECT_EQ(s.Get(buf, -5), 0);
  EXPECT_EQ(s.Get(nullptr, 4), 0);
  EXPECT_EQ(s.QueuedBytes(), 8);
  ASSERT_EQ(s.Get(buf, 4), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "abcd");
  ASSERT_EQ(s.Get(buf, 10), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "efgh");
  EXPECT_EQ(s.Get(buf, 10), 0);
}

TEST(SerialQueue, AFailedReadKeepsWhatCameBefore) {
  Scripted s;
  s.chunks = {"abc", "", "lost"};
  EXPECT_EQ(s.OnReceive(), 0);
  EXPECT_EQ(s.QueuedBytes(), 3);
  s.ClearRx();
  EXPECT_EQ(s.QueuedBytes(), 0);
}

int Collect(unsigned char* data, int length, unsigned long param) {
  auto* sink = reinterpret_cast<std::pair<std::mutex, std::string>*>(param);
  std::lock_guard<std::mutex> g(sink->first);
  sink->second.append(reinterpret_cast<char*>(data), static_cast<size_t>(length));
  return 0;
}

TEST(SerialQueue, ACustomFunctionTakesEverything) {
  Scripted s;
  Window w;
  s.SetNotify(&w, kMsg);
  std::pair<std::mutex, std::string> sink;
  s.UseCustomReceive(Collect, reinterpret_cast<unsigned long>(&sink));
  s.chunks = {"abc", "de"};
  EXPECT_EQ(s.OnReceive(), 5);
  EXPECT_EQ(sink.second, "abcde");
  EXPECT_EQ(s.QueuedBytes(), 0);
  EXPECT_TRUE(TakeMessages(w.m_hWnd).empty());
}

// Reads through the port and records the size of every read.
struct Recording : serialtest::Serial {
  std::mutex lock;
  std::vector<int> reads;
  int Receive(unsigned char* buffer, unsigned long size, int& bEnd) override {
    int n = ZELSerial::Receive(buffer, size, bEnd);
    std::lock_guard<std::mutex> g(lock);
    if (n > 0) reads.push_back(n);
    return n;
  }
};

TEST(SerialReceive, BurstIsReadInPassesOfAtMost1024) {
  NamedPty p(221);
  Recording s;
  Window w;
  s.SetNotify(&w, kMsg);
  ASSERT_TRUE(s.Connect(221, 115200, 8, 0, 0));
  std::string burst;
  for (int i = 0; i < 3000; ++i) burst += static_cast<char>('A' + i % 26);
  p.pty.Write(burst);
  ASSERT_TRUE(Eventually([&] { return s.QueuedBytes() == 3000; }));
  size_t posted = 0;
  for (const MSG& m : TakeMessages(w.m_hWnd)) {
    EXPECT_LE(m.wParam, 1024u);
    posted += m.wParam;
  }
  EXPECT_EQ(posted, 3000u);
  {
    std::lock_guard<std::mutex> g(s.lock);
    for (int n : s.reads) EXPECT_LE(n, 1024);
  }
  EXPECT_EQ(GetAll(s, 3000), burst);
}

// A window whose handler takes the data, as an application's would.
struct Receiver : Window {
  ZELSerial* serial = nullptr;
  std::string got;
  int messages = 0;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kMsg) return CWnd::WindowProc(message, wParam, lParam);
    EXPECT_EQ(lParam, reinterpret_cast<LPARAM>(serial));
    unsigned char buf[2048];
    int n = reinterpret_cast<ZELSerial*>(lParam)->Get(buf, sizeof buf);
    got.append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
    ++messages;
    return 0;
  }
};

TEST(SerialReceive, MessagesReachTheWindowsHandler) {
  NamedPty p(222);
  ZELSerial s;
  Receiver w;
  w.serial = &s;
  s.SetNotify(&w, kMsg);
  ASSERT_TRUE(s.Connect(222, 9600, 8, 0, 0));
  p.pty.Write("first ");
  p.pty.Write("second");
  MSG m;
  while (w.got.size() < 12 && GetMessageW(&m, NULL, 0, 0) > 0) DispatchMessageW(&m);
  EXPECT_EQ(w.got, "first second");
  EXPECT_GE(w.messages, 1);
}

TEST(SerialReceive, CustomFunctionOnARealPort) {
  NamedPty p(223);
  ZELSerial s;
  std::pair<std::mutex, std::string> sink;
  s.UseCustomReceive(Collect, reinterpret_cast<unsigned long>(&sink));
  ASSERT_TRUE(s.Connect(223, 9600, 8, 0, 0));
  p.pty.Write(std::string(5000, 'q'));
  EXPECT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> g(sink.first);
    return sink.second.size() == 5000;
  }));
  unsigned char buf[8];
  EXPECT_EQ(s.Get(buf, sizeof buf), 0);
}

TEST(SerialReceive, TheReceiveFunctionMayDisconnect) {
  NamedPty p(225);
  ZELSerial s;
  s.UseCustomReceive(
      [](unsigned char*, int, unsigned long param) {
        reinterpret_cast<ZELSerial*>(param)->Disconnect();  // on the watch thread: must not wait for itself
        return 0;
      },
      reinterpret_cast<unsigned long>(&s));
  ASSERT_TRUE(s.Connect(225, 9600, 8, 0, 0));
  p.pty.Write("bye");
  EXPECT_TRUE(Eventually([&] { return !s.IsConnected(); }));
  ASSERT_TRUE(s.Connect(225, 9600, 8, 0, 0)) << "the port was given back";
}

TEST(SerialReceive, DisconnectWhileDataFlowsThenReconnect) {
  NamedPty p(224);
  serialtest::Serial s;
  ASSERT_TRUE(s.Connect(224, 115200, 8, 0, 0));
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop) {
      try {
        p.pty.Write(std::string(512, 'x'), 100);
      } catch (const std::exception&) {
        return;  // nobody reads any more: the terminal is full
      }
    }
  });
  ASSERT_TRUE(Eventually([&] { return s.QueuedBytes() > 0; }));
  s.Disconnect();
  EXPECT_FALSE(s.IsConnected());
  EXPECT_EQ(s.QueuedBytes(), 0);
  stop = true;
  writer.join();
  ASSERT_TRUE(s.Connect(224, 115200, 8, 0, 0));
  p.pty.Write("after");
  std::string got;
  Eventually([&] {
    got += GetAll(s, 1);
    return got.size() >= 5 && got.compare(got.size() - 5, 5, "after") == 0;
  });
  EXPECT_EQ(got.substr(got.size() - 5), "after");
}

}  // namespace
