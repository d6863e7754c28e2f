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

TEST(Utf8, BoundedConversionTakesWholeCharactersOnly) {
  // Long ASCII runs take the sixteen-at-a-time path; the other characters
  // land at every offset of a small room.
  std::wstring text = std::wstring(40, L'a') + L"\u00e9\u20ac\U0001F600" + std::wstring(17, L'b') + L"\u00e9";
  std::string whole = ZelWideToUtf8(text.data(), text.size());
  for (size_t room = 4; room <= 20; ++room) {
    std::string joined;
    size_t at = 0;
    while (at < text.size()) {
      char buf[20];
      size_t used = 0;
      size_t n = ZelWideToUtf8Some(text.data() + at, text.size() - at, buf, room, used);
      ASSERT_GT(used, 0u);
      joined.append(buf, n);
      at += used;
    }
    EXPECT_EQ(whole, joined) << "room " << room;
  }
  // A room smaller than the next character takes nothing.
  const wchar_t emoji[] = L"😀";
  char buf[3];
  size_t used = 7;
  EXPECT_EQ(0u, ZelWideToUtf8Some(emoji, 1, buf, 3, used));
  EXPECT_EQ(0u, used);
}

TEST(Utf8, DecodingRunsOfAsciiBetweenOtherBytes) {
  // Runs longer than sixteen bytes, broken at every offset by a wider
  // character or a stray byte, read back as the characters written.
  for (size_t at = 0; at < 40; ++at) {
    std::wstring text = std::wstring(at, L'a') + L"\u00e9" + std::wstring(33, L'b') + L"\U0001F600" + L"c";
    std::string utf8 = ZelWideToUtf8(text.data(), text.size());
    EXPECT_EQ(text, ZelUtf8ToWide(utf8.data(), utf8.size())) << at;
    std::string bad = std::string(at, 'x') + "\xFF" + std::string(20, 'y');
    EXPECT_EQ(std::wstring(at, L'x') + L"\uFFFD" + std::wstring(20, L'y'), ZelUtf8ToWide(bad.data(), bad.size())) << at;
  }
}
