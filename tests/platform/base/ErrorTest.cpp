#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/base/WinError.h"

TEST(LastError, MapsErrnoToWin32Codes) {
  EXPECT_EQ(ZelWin32FromErrno(0), ERROR_SUCCESS);
  EXPECT_EQ(ZelWin32FromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ZelWin32FromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ZelWin32FromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ZelWin32FromErrno(EISDIR), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ZelWin32FromErrno(EMFILE), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(ZelWin32FromErrno(ENOSPC), ERROR_DISK_FULL);
  EXPECT_EQ(ZelWin32FromErrno(EEXIST), ERROR_FILE_EXISTS);
  EXPECT_EQ(ZelWin32FromErrno(ETIMEDOUT), ERROR_TIMEOUT);
  EXPECT_EQ(ZelWin32FromErrno(99999), ERROR_GEN_FAILURE);
}

TEST(LastError, IsPerThread) {
  ZelSetLastErrorFromErrno(ENOENT);
  DWORD other = 12345;
  std::thread([&] {
    other = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  }).join();
  EXPECT_EQ(other, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

namespace {

std::wstring Format(DWORD flags, DWORD code) {
  wchar_t buf[512];
  DWORD n = FormatMessageW(flags, NULL, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 512, NULL);
  return std::wstring(buf, n);
}

const DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

}  // namespace

TEST(MessageTable, EveryCodeTheLibraryRaisesHasATextEndingInCrLf) {
  const DWORD codes[] = {0, 2, 3, 4, 5, 6, 8, 13, 14, 19, 21, 25, 29, 30, 31, 32, 33, 38, 39, 50, 80, 87, 109, 112,
                         122, 123, 145, 170, 183, 206, 259, 267, 317, 995, 996, 997, 998, 1167, 1460,
                         0x80004005, 0x80004003, 0x8007000E, 0x80070057, 0x80004001, 0x80004002, 0x8000FFFF,
                         0x80070005, 0x80070006, 0x80004004, 0x80020004, 0x80020005, 0x8002000A, 0x8002000B,
                         0x80020008, 0x8002000D, 0x80020012, 0x80010106, 0x800401F0, 0x80040154};
  for (DWORD code : codes) {
    std::wstring text = Format(kSystem, code);
    ASSERT_GT(text.size(), 3u) << std::hex << code;
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n") << std::hex << code;
    EXPECT_EQ(ZelSystemMessage(code) + L"\r\n", text) << std::hex << code;
  }
}

TEST(MessageTable, ProviderCodesHaveNoText) {
  for (DWORD code : {0x80040205u, 0x80040E14u, 0x800A0BCDu, 0x80040E37u, 0x1234567u}) {
    SetLastError(0);
    wchar_t buf[64] = L"untouched";
    EXPECT_EQ(FormatMessageW(kSystem, NULL, code, 0, buf, 64, NULL), 0u) << std::hex << code;
    EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
    EXPECT_TRUE(ZelSystemMessage(code).empty());
  }
}

TEST(MessageTable, Win32ResultCodesReadAsTheirWin32Code) {
  EXPECT_EQ(ZelSystemMessage(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), ZelSystemMessage(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ZelSystemMessage(E_INVALIDARG), ZelSystemMessage(ERROR_INVALID_PARAMETER));
  // A Win32 code the table lacks stays without text under the facility too.
  EXPECT_TRUE(ZelSystemMessage(HRESULT_FROM_WIN32(4242)).empty());
}

TEST(MessageTable, AllocatesTheBufferOrRefusesASmallOne) {
  LPWSTR p = NULL;
  DWORD n = FormatMessageW(kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, NULL, ERROR_ACCESS_DENIED, 0,
                           reinterpret_cast<LPWSTR>(&p), 0, NULL);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::wstring(p), ZelSystemMessage(ERROR_ACCESS_DENIED) + L"\r\n");
  EXPECT_EQ(n, wcslen(p));
  EXPECT_EQ(LocalFree(p), nullptr);

  wchar_t small[4];
  EXPECT_EQ(FormatMessageW(kSystem, NULL, ERROR_ACCESS_DENIED, 0, small, 4, NULL), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  // The full width mask drops the line break.
  std::wstring bare = Format(kSystem | FORMAT_MESSAGE_MAX_WIDTH_MASK, ERROR_ACCESS_DENIED);
  EXPECT_EQ(bare, ZelSystemMessage(ERROR_ACCESS_DENIED));
}
