#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/comm/Comm.h"
#include "platform/comm/CommName.h"
#include "support/NamedPty.h"
#include "support/TempDir.h"

namespace {

HANDLE OpenCom(const std::wstring& name) {
  return CreateFileW((L"\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                     FILE_FLAG_OVERLAPPED, NULL);
}

struct NamedPty : zeltest::NamedPty {
  using zeltest::NamedPty::NamedPty;
  HANDLE Open() { return OpenCom(name); }
};

struct OpenPort : NamedPty {
  explicit OpenPort(int n) : NamedPty(n), h(Open()) {
    COMMTIMEOUTS t = {MAXDWORD, 0, 1000, 0, 1000};
    SetCommTimeouts(h, &t);
    SetCommMask(h, EV_RXCHAR);
  }
  ~OpenPort() { CloseHandle(h); }
  HANDLE h;
};

TEST(CommName, PortNamesResolve) {
  EXPECT_EQ(ZelCommDevicePath(L"COM1"), "/dev/ttyS0");
  EXPECT_EQ(ZelCommDevicePath(L"\\\\.\\com12"), "/dev/ttyS11");
  EXPECT_EQ(ZelCommDevicePath(L"/dev/ttyUSB0"), "/dev/ttyUSB0");
  for (const wchar_t* bad : {L"", L"COM", L"COM0", L"COMx", L"LPT1", L"COM99999999999", L"C:"})
    EXPECT_EQ(ZelCommDevicePath(bad), "") << bad;
  DefineDosDeviceW(0, L"COM77", L"/dev/pts/9");
  EXPECT_EQ(ZelCommDevicePath(L"\\\\.\\COM77"), "/dev/pts/9");
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM77", NULL);
}

TEST(CommOpen, ExclusiveAndFailures) {
  NamedPty p(101);
  HANDLE h = p.Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(p.Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(CloseHandle(h));
  h = p.Open();
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << "closing gives the port back";
  CloseHandle(h);

  EXPECT_EQ(CreateFileW(L"\\\\.\\COM250", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  zeltest::TempDir dir;
  std::ofstream(dir.file("plain")) << "x";
  EXPECT_EQ(CreateFileW(dir.wfile("plain").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(CommState, SettingsRoundTrip) {
  OpenPort p(102);
  DCB d{};
  ASSERT_TRUE(GetCommState(p.h, &d));
  d.BaudRate = 123457;  // no standard rate
  d.ByteSize = 8;
  d.Parity = NOPARITY;
  d.StopBits = TWOSTOPBITS;
  d.fOutX = d.fInX = 1;
  d.fOutxCtsFlow = 1;
  d.fDtrControl = DTR_CONTROL_HANDSHAKE;
  d.XonLim = 77;
  ASSERT_TRUE(SetCommState(p.h, &d));
  DCB back{};
  ASSERT_TRUE(GetCommState(p.h, &back));
  EXPECT_EQ(back.BaudRate, 123457u);
  EXPECT_EQ(back.ByteSize, 8);
  EXPECT_EQ(back.StopBits, TWOSTOPBITS);
  EXPECT_EQ(back.fOutX, 1u);
  EXPECT_EQ(back.fInX, 1u);
  EXPECT_EQ(back.fOutxCtsFlow, 1u);
  EXPECT_EQ(back.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
  EXPECT_EQ(back.XonLim, 77);
}

// A pseudo-terminal carries 8-bit bytes without parity whatever it is told:
// the device's refusal surfaces, and reading back tells what it took.
TEST(CommState, WhatTheDeviceDidNotTakeFails) {
  OpenPort p(110);
  DCB d{};
  ASSERT_TRUE(GetCommState(p.h, &d));
  d.BaudRate = 9600;
  for (auto [bits, parity] : {std::pair<BYTE, BYTE>{7, EVENPARITY}, {8, MARKPARITY}, {8, SPACEPARITY}, {5, NOPARITY}}) {
    d.ByteSize = bits;
    d.Parity = parity;
    EXPECT_FALSE(SetCommState(p.h, &d));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DCB back{};
    ASSERT_TRUE(GetCommState(p.h, &back));
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, NOPARITY);
  }
}

TEST(CommState, RefusedSettingsLeaveTheDeviceAlone) {
  OpenPort p(103);
  DCB good{};
  ASSERT_TRUE(GetCommState(p.h, &good));
  good.BaudRate = 9600;
  good.ByteSize = 8;
  ASSERT_TRUE(SetCommState(p.h, &good));
  auto refused = [&](auto change) {
    DCB d = good;
    change(d);
    SetLastError(0);
    EXPECT_FALSE(SetCommState(p.h, &d));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  };
  refused([](DCB& d) { d.ByteSize = 4; });
  refused([](DCB& d) { d.StopBits = ONE5STOPBITS; });
  refused([](DCB& d) { d.Parity = 5; });
  refused([](DCB& d) { d.BaudRate = 0; });
  refused([](DCB& d) { d.fRtsControl = RTS_CONTROL_TOGGLE; });
  refused([](DCB& d) { d.fOutX = 1, d.XonChar = d.XoffChar = 0x11; });
  DCB back{};
  ASSERT_TRUE(GetCommState(p.h, &back));
  EXPECT_EQ(back.BaudRate, 9600u);
  EXPECT_EQ(back.ByteSize, 8);
}

TEST(CommIo, DataBothWaysWithOverlappedRecords) {
  OpenPort p(104);
  p.pty.Write("hello");
  DWORD mask = 0;
  ASSERT_TRUE(WaitCommEvent(p.h, &mask, NULL));
  EXPECT_EQ(mask, static_cast<DWORD>(EV_RXCHAR));
  COMSTAT st{};
  DWORD errors = 0;
  for (int i = 0; i < 100 && st.cbInQue < 5; ++i) ClearCommError(p.h, &errors, &st);
  EXPECT_EQ(st.cbInQue, 5u);

  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
  char buf[64];
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(p.h, buf, sizeof buf, &got, &ov));
  EXPECT_EQ(std::string(buf, got), "hello");
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD again = 0;
  EXPECT_TRUE(GetOverlappedResult(p.h, &ov, &again, TRUE));
  EXPECT_EQ(again, 5u);

  DWORD put = 0;
  ASSERT_TRUE(WriteFile(p.h, "world!", 6, &put, &ov));
  EXPECT_EQ(put, 6u);
  EXPECT_EQ(p.pty.Read(6), "world!");
  CloseHandle(ov.hEvent);
}

TEST(CommLines, APseudoTerminalHasNoModemLines) {
  OpenPort p(111);
  for (DWORD f : {SETDTR, CLRDTR, SETRTS, CLRRTS}) {
    EXPECT_FALSE(EscapeCommFunction(p.h, f));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  }
  EXPECT_FALSE(EscapeCommFunction(p.h, 99));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Output stopped as if XOFF had come, then let go again.
  EXPECT_TRUE(EscapeCommFunction(p.h, SETXOFF));
  EXPECT_TRUE(EscapeCommFunction(p.h, SETXON));
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(p.h, "go", 2, &n, NULL));
  EXPECT_EQ(p.pty.Read(2), "go");
}

TEST(CommIo, PurgeDropsWaitingInput) {
  OpenPort p(105);
  p.pty.Write(std::string(100, 'x'));
  DWORD mask = 0;
  ASSERT_TRUE(WaitCommEvent(p.h, &mask, NULL));
  ASSERT_TRUE(PurgeComm(p.h, PURGE_RXCLEAR | PURGE_RXABORT));
  COMSTAT st{};
  ASSERT_TRUE(ClearCommError(p.h, NULL, &st));
  EXPECT_EQ(st.cbInQue, 0u);
  EXPECT_FALSE(PurgeComm(p.h, 0x100));
}

TEST(CommWait, MaskChangeFromAnotherThreadEndsTheWait) {
  OpenPort p(106);
  std::atomic<int> result{-1};
  DWORD mask = 99;
  std::thread waiter([&] { result = WaitCommEvent(p.h, &mask, NULL); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(result.load(), -1) << "nothing arrived, the wait goes on";
  SetCommMask(p.h, 0);
  waiter.join();
  EXPECT_EQ(result.load(), TRUE);
  EXPECT_EQ(mask, 0u);
  EXPECT_FALSE(WaitCommEvent(p.h, &mask, NULL)) << "an empty mask waits for nothing";
}

TEST(CommWait, CloseEndsABlockedRead) {
  OpenPort p(107);
  COMMTIMEOUTS forever = {0, 0, 0, 0, 0};
  SetCommTimeouts(p.h, &forever);
  std::atomic<DWORD> err{0};
  std::thread reader([&] {
    char buf[8];
    DWORD got = 0;
    if (!ReadFile(p.h, buf, sizeof buf, &got, NULL)) err = GetLastError();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  CloseHandle(p.h);
  reader.join();
  EXPECT_EQ(err.load(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  p.h = NULL;
}

TEST(CommGone, VanishedDeviceFailsAndWaitsDoNotSpin) {
  OpenPort p(108);
  p.pty.CloseMaster();
  char buf[8];
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(p.h, buf, sizeof buf, &n, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(WriteFile(p.h, "x", 1, &n, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  DWORD mask = 0;
  EXPECT_FALSE(WaitCommEvent(p.h, &mask, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  // Reported once; the next wait holds until the mask changes.
  std::atomic<int> result{-1};
  std::thread waiter([&] { result = WaitCommEvent(p.h, &mask, NULL); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(result.load(), -1);
  SetCommMask(p.h, 0);
  waiter.join();
  EXPECT_EQ(result.load(), TRUE);
}

TEST(CommIo, WriteThatFindsNoRoomTimesOut) {
  OpenPort p(109);
  COMMTIMEOUTS t = {MAXDWORD, 0, 0, 0, 100};
  SetCommTimeouts(p.h, &t);
  std::string block(4096, 'z');
  DWORD n = 0;
  DWORD err = 0;
  // Nobody reads the other side, so the terminal's buffers fill.
  for (int i = 0; i < 1000 && !err; ++i)
    if (!WriteFile(p.h, block.data(), static_cast<DWORD>(block.size()), &n, NULL)) err = GetLastError();
  EXPECT_EQ(err, static_cast<DWORD>(ERROR_SEM_TIMEOUT));
}

}  // namespace
