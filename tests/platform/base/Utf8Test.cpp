// Wide text to UTF-8 into a string whose room is used again.
#include <gtest/gtest.h>

#include <string>

#include "platform/base/Utf8.h"

TEST(Utf8, IntoReusedStringMatchesAFreshConversion) {
  const std::wstring texts[] = {
      L"a rather long first text, longer than those after it",
      L"",
      L"short",
      L"caf\u00e9 \u20ac \U0001F600 end",  // two, three and four bytes
      L"ascii first then \u00e9",          // the switch from one byte a character comes late
      std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x",  // a lone surrogate
      std::wstring(1, static_cast<wchar_t>(0x110000)),
      L"again plain",
  };
  std::string out = "junk that must go";
  for (const std::wstring& t : texts) {
    ZelWideToUtf8Into(t.data(), t.size(), out);
    EXPECT_EQ(out, ZelWideToUtf8(t.data(), t.size()));
    EXPECT_EQ(out.size(), std::string(out.c_str()).size()) << "no stray bytes past the text";
  }
  ZelWideToUtf8Into(texts[3].data(), texts[3].size(), out);
  EXPECT_EQ(out, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 end");
  ZelWideToUtf8Into(texts[5].data(), texts[5].size(), out);
  EXPECT_EQ(out, "\xEF\xBF\xBDx");
  ZelWideToUtf8Into(nullptr, 0, out);
  EXPECT_EQ(out, "");
}
