#include <time.h>

#include "SerialTest.h"
#include "support/TempDir.h"

using serialtest::Eventually;
using serialtest::GetAll;
using serialtest::LastRecord;
using zeltest::NamedPty;

namespace {

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

TEST(SerialTransmit, ClosedObjectRefusesQuietly) {
  ZELSerial s;
  std::string data = "abc";
  EXPECT_FALSE(s.Put(Bytes(data), 3));
  EXPECT_FALSE(s.PutDelay(Bytes(data), 3, 1));
  EXPECT_EQ(s.GetLogCount(), 0);
}

TEST(SerialTransmit, PutAndPutDelayReachTheDevice) {
  NamedPty p(231);
  ZELSerial s;
  ASSERT_TRUE(s.Connect(231, 9600, 8, 0, 0));
  std::string data = "hello";
  EXPECT_TRUE(s.Put(Bytes(data), 5));
  EXPECT_EQ(p.pty.Read(5), "hello");

  EXPECT_TRUE(s.PutDelay(Bytes(data), 0, 1000)) << "nothing to send: no pause either";
  EXPECT_EQ(p.pty.Read(1, 50), "");

  // Three pauses of 10 ms, the last one included: at least 30 ms.
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(s.PutDelay(Bytes(data), 3, 10));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(p.pty.Read(3), "hel");
  EXPECT_TRUE(s.PutDelay(Bytes(data), 2, 0));
  EXPECT_EQ(p.pty.Read(2), "he");

  EXPECT_FALSE(s.Put(Bytes(data), -1));
  EXPECT_EQ(LastRecord(s).nCode, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(s.GetLogCount(), 1);
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

TEST(SerialTransmit, DeviceClosedUnderAnOpenPort) {
  NamedPty p(232);
  ZELSerial s;
  ASSERT_TRUE(s.Connect(232, 9600, 8, 0, 0));
  p.pty.CloseMaster();
  std::string data = "abc";
  EXPECT_FALSE(s.Put(Bytes(data), 3));
  ZEL_LOG_RECORD r = LastRecord(s);
  EXPECT_EQ(r.nCode, ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_TRUE(r.strFunction == L"ZELSerial::Put");
  EXPECT_TRUE(r.strDetail == L"ZELSerial::Put");
  EXPECT_FALSE(s.PutDelay(Bytes(data), 3, 1));
  EXPECT_TRUE(LastRecord(s).strFunction == L"ZELSerial::PutDelay");
  EXPECT_TRUE(s.IsConnected()) << "a failing port stays open until Disconnect";
  // The watch thread waits on the dead device rather than spinning.
  double before = CpuSeconds();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_LT(CpuSeconds() - before, 0.25);
  s.Disconnect();
  EXPECT_FALSE(s.IsConnected());
}

TEST(SerialTransmit, TwoObjectsOnTwoPortsTalk) {
  zeltest::TempDir dir;
  zeltest::SocatPair pair(dir.path());
  DefineDosDeviceW(0, L"COM241", dir.wfile("a").c_str());
  DefineDosDeviceW(0, L"COM242", dir.wfile("b").c_str());
  {
    ZELSerial a, b;
    ASSERT_TRUE(a.Connect(241, 115200, 8, 0, 0));
    ASSERT_TRUE(b.Connect(242, 115200, 8, 0, 0));
    std::string ping = "ping", pong(3000, 'p');
    for (size_t i = 0; i < pong.size(); ++i) pong[i] = static_cast<char>(i * 7);
    EXPECT_TRUE(a.Put(Bytes(ping), 4));
    EXPECT_EQ(GetAll(b, 4), "ping");
    EXPECT_TRUE(b.Put(Bytes(pong), 3000));
    EXPECT_EQ(GetAll(a, 3000), pong);
  }
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM241", NULL);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM242", NULL);
}

}  // namespace
