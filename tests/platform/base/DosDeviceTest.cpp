#include <gtest/gtest.h>

#include "platform/base/DosDevice.h"
#include "platform/base/WinError.h"

TEST(DosDevice, NamesStackAndCompareWithoutCase) {
  ASSERT_TRUE(DefineDosDeviceW(0, L"COM7", L"/dev/pts/90"));
  EXPECT_EQ("/dev/pts/90", ZelDosDeviceTarget(L"\\\\.\\com7"));
  ASSERT_TRUE(DefineDosDeviceW(0, L"com7", L"/dev/pts/91"));
  wchar_t buf[32];
  EXPECT_EQ(13u, QueryDosDeviceW(L"COM7", buf, 32));
  EXPECT_STREQ(L"/dev/pts/91", buf);
  EXPECT_EQ(0u, QueryDosDeviceW(L"COM7", buf, 12));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

  // Removing the newer definition uncovers the older one.
  ASSERT_TRUE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM7", NULL));
  EXPECT_EQ("/dev/pts/90", ZelDosDeviceTarget(L"COM7"));
  EXPECT_FALSE(DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, L"COM7", L"/dev/pts"));
  EXPECT_TRUE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM7", L"/dev/pts"));
  EXPECT_EQ("", ZelDosDeviceTarget(L"COM7"));
  EXPECT_FALSE(DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"COM7", NULL));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(DosDevice, RefusesEmptyNamesAndTargets) {
  EXPECT_FALSE(DefineDosDeviceW(0, L"", L"/dev/null"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_FALSE(DefineDosDeviceW(0, L"E:", L""));
  EXPECT_FALSE(DefineDosDeviceW(0, NULL, L"/dev/null"));
}
