#include "SerialTest.h"

using serialtest::GetAll;
using serialtest::LastRecord;
using zeltest::NamedPty;

namespace {

TEST(SerialConnect, DisconnectOnANeverConnectedObjectChangesNothing) {
  ZELSerial s;
  s.Disconnect();
  EXPECT_FALSE(s.IsConnected());
  EXPECT_EQ(s.GetHandle(), nullptr);
  EXPECT_EQ(s.GetPort(), 1u);
  EXPECT_EQ(s.GetBaud(), 0u);
  EXPECT_EQ(s.GetLogCount(), 0);
}

TEST(SerialConnect, FailedOpenIsReportedAndLeavesTheObjectClosed) {
  ZELSerial s;
  EXPECT_FALSE(s.Connect(251, 9600, 8, 0, 0));
  EXPECT_FALSE(s.IsConnected());
  EXPECT_EQ(s.GetHandle(), nullptr);
  EXPECT_EQ(s.GetPort(), 251u);
  ASSERT_EQ(s.GetLogCount(), 1);
  ZEL_LOG_RECORD r = LastRecord(s);
  EXPECT_EQ(r.nType, ZEL_LOG_ERROR);
  EXPECT_EQ(r.nCategory, ZEL_CATEGORY_SYSTEM);
  EXPECT_EQ(r.nCode, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(r.strText.IsEmpty());
  EXPECT_TRUE(r.strDetail == L"\\\\.\\COM251");
  EXPECT_TRUE(r.strSource == L".\\ZELSerial");
  EXPECT_TRUE(r.strFunction == L"ZELSerial::Connect");
  EXPECT_EQ(r.nFlag, ZEL_LOG_FLAG_REPORT);

  DCB dcb{};
  EXPECT_FALSE(s.ConnectEx(252, dcb));
  r = LastRecord(s);
  EXPECT_TRUE(r.strDetail == L"\\\\.\\COM252: Create fail");
  EXPECT_TRUE(r.strFunction == L"ZELSerial::ConnectEx");
}

TEST(SerialConnect, ConnectSetsTheLineAndHandshake) {
  NamedPty p(201);
  ZELSerial s;
  ASSERT_TRUE(s.Connect(201, 9600, 8, 0, 0));
  EXPECT_TRUE(s.IsConnected());
  EXPECT_EQ(s.GetPort(), 201u);
  EXPECT_EQ(s.GetBaud(), 9600u);
  EXPECT_EQ(s.GetDatabits(), 8);
  EXPECT_EQ(s.GetStopbits(), 0);
  EXPECT_EQ(s.GetParity(), 0);
  DCB dev{};
  ASSERT_TRUE(GetCommState(s.GetHandle(), &dev));
  EXPECT_EQ(dev.BaudRate, 9600u);
  EXPECT_EQ(dev.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
  EXPECT_EQ(dev.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  ZELSerial other;
  EXPECT_FALSE(other.Connect(201, 9600, 8, 0, 0)) << "a port serves one object";
  EXPECT_EQ(LastRecord(other).nCode, ERROR_ACCESS_DENIED);
}

TEST(SerialConnect, ConnectExAppliesTheCallersDcbWhole) {
  NamedPty p(202);
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 250000;
  dcb.ByteSize = 8;
  dcb.StopBits = TWOSTOPBITS;
  dcb.fOutX = 1;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.XoffLim = 512;
  ZELSerial s;
  ASSERT_TRUE(s.ConnectEx(202, dcb));
  EXPECT_EQ(s.GetBaud(), 250000u);
  EXPECT_EQ(s.GetStopbits(), TWOSTOPBITS);
  DCB dev{};
  ASSERT_TRUE(GetCommState(s.GetHandle(), &dev));
  EXPECT_EQ(dev.BaudRate, 250000u);
  EXPECT_EQ(dev.StopBits, TWOSTOPBITS);
  EXPECT_EQ(dev.fOutX, 1u);
  EXPECT_EQ(dev.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
  EXPECT_EQ(dev.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_EQ(dev.XoffLim, 512);
}

TEST(SerialConnect, RefusedSettingsCloseThePortAndKeepWhatWasAsked) {
  NamedPty p(203);
  ZELSerial s;
  EXPECT_FALSE(s.Connect(203, 9600, 8, ONE5STOPBITS, 0));
  EXPECT_FALSE(s.IsConnected());
  EXPECT_EQ(s.GetStopbits(), ONE5STOPBITS);
  ZEL_LOG_RECORD r = LastRecord(s);
  EXPECT_TRUE(r.strDetail == L"SetCommState");
  EXPECT_EQ(r.nCode, ERROR_INVALID_PARAMETER);
  // The port was given back: another object can have it.
  ZELSerial other;
  EXPECT_TRUE(other.Connect(203, 9600, 8, 0, 0));
}

TEST(SerialConnect, ReconnectClosesFirstAndDropsQueuedData) {
  NamedPty a(204), b(205);
  serialtest::Serial s;
  ASSERT_TRUE(s.Connect(204, 115200, 8, 0, 0));
  a.pty.Write("old");
  ASSERT_TRUE(serialtest::Eventually([&] { return s.QueuedBytes() == 3; }));
  ASSERT_TRUE(s.Connect(205, 115200, 8, 0, 0));
  unsigned char buf[16];
  EXPECT_EQ(s.Get(buf, sizeof buf), 0);
  ZELSerial other;
  EXPECT_TRUE(other.Connect(204, 9600, 8, 0, 0)) << "the first port was closed";
  b.pty.Write("new");
  EXPECT_EQ(GetAll(s, 3), "new");
  // A failed open after all that leaves the object closed.
  EXPECT_FALSE(s.Connect(253, 9600, 8, 0, 0));
  EXPECT_FALSE(s.IsConnected());
}

TEST(SerialConnect, DestroyingAnIdleOpenObjectReturns) {
  NamedPty p(206);
  for (int i = 0; i < 20; ++i) {
    ZELSerial s;
    ASSERT_TRUE(s.Connect(206, 9600, 8, 0, 0));
  }
}

}  // namespace
