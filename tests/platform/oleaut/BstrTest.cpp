#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/Utf8.h"
#include "platform/oleaut/OleAut.h"

TEST(Bstr, LengthPrefixKeepsEmbeddedNullsAndNullIsEmpty) {
  BSTR b = SysAllocStringLen(L"a\0b", 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(SysStringByteLen(b), 3u * sizeof(OLECHAR));
  EXPECT_EQ(b[3], L'\0');  // still a C string
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);

  // reallocating from the string's own text must not read freed memory
  EXPECT_TRUE(SysReAllocString(&b, b + 2));
  EXPECT_EQ(std::wstring(b, SysStringLen(b)), L"b");
  SysFreeString(b);

  BSTR bytes = SysAllocStringByteLen("xyz", 3);
  EXPECT_EQ(SysStringByteLen(bytes), 3u);
  EXPECT_EQ(memcmp(bytes, "xyz", 3), 0);
  EXPECT_EQ(memcmp(reinterpret_cast<char*>(bytes) + 3, "\0\0\0\0", 4), 0);  // an odd length is still ended
  SysFreeString(bytes);

  // Set again and again: shorter, longer, empty, from nothing; each time
  // exactly the new text, ended.
  BSTR again = SysAllocString(L"a text of some length");
  const wchar_t* texts[] = {L"short", L"", L"a much longer text than the first one was, by far", L"mid"};
  for (const wchar_t* t : texts) {
    ASSERT_TRUE(SysReAllocString(&again, t));
    EXPECT_EQ(std::wstring(again, SysStringLen(again)), t);
    EXPECT_EQ(again[SysStringLen(again)], L'\0');
  }
  ASSERT_TRUE(SysReAllocStringLen(&again, nullptr, 2));
  EXPECT_EQ(SysStringLen(again), 2u);
  EXPECT_EQ(again[0], L'\0');
  EXPECT_EQ(again[1], L'\0');
  SysFreeString(again);

  // Without a source the text is nulls, not what the allocator left there.
  for (int i = 0; i < 4; i++) SysFreeString(SysAllocStringLen(L"leftover text!", 14));
  BSTR zeros = SysAllocStringLen(nullptr, 14);
  ASSERT_NE(zeros, nullptr);
  for (int i = 0; i <= 14; i++) EXPECT_EQ(zeros[i], L'\0') << i;
  SysFreeString(zeros);

  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);  // too large: NULL, no crash
}

TEST(Bstr, Utf8BothWaysWithReplacementForBadBytes) {
  _bstr_t s("h\xC3\xA9llo \xF0\x9F\x98\x80");
  EXPECT_EQ(s.length(), 7u);
  EXPECT_EQ(static_cast<const wchar_t*>(s)[1], L'\u00e9');
  EXPECT_EQ(static_cast<const wchar_t*>(s)[6], static_cast<wchar_t>(0x1F600));
  EXPECT_STREQ(static_cast<const char*>(s), "h\xC3\xA9llo \xF0\x9F\x98\x80");

  // stray continuation, overlong form, surrogate, cut-off sequence
  _bstr_t bad("a\x80" "b\xC0\xAF" "c\xED\xA0\x80" "d\xE2\x82");
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(bad)), L"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFDd\uFFFD\uFFFD");
}

TEST(Bstr, CopiesShareUntilOneChanges) {
  _bstr_t a(L"shared");
  _bstr_t b = a;
  EXPECT_EQ(static_cast<const wchar_t*>(a), static_cast<const wchar_t*>(b));
  const char* narrow = a;
  EXPECT_STREQ(narrow, "shared");
  b += L"!";
  EXPECT_TRUE(a == L"shared");
  EXPECT_TRUE(b == L"shared!");
  EXPECT_STREQ(static_cast<const char*>(b), "shared!");

  BSTR& raw = b.GetBSTR();
  raw[0] = L'S';  // changes b only: GetBSTR made it unshared
  EXPECT_TRUE(a == L"shared");
  EXPECT_TRUE(b == L"Shared!");
}

TEST(Bstr, NullAndEmptyCompareEqualButDifferForNot) {
  _bstr_t none, empty(L"");
  EXPECT_TRUE(!none);
  EXPECT_FALSE(!empty);
  EXPECT_TRUE(none == empty);
  EXPECT_EQ(static_cast<const wchar_t*>(none), nullptr);
  EXPECT_EQ(none.length(), 0u);
  EXPECT_TRUE(_bstr_t(L"abc") < _bstr_t(L"abd"));
  EXPECT_TRUE(_bstr_t(L"ab") < _bstr_t(L"abc"));
  EXPECT_TRUE(_bstr_t(L"a") != _bstr_t(L"a\u00e9"));
  EXPECT_TRUE((L"x" + _bstr_t(L"y") + "z") == L"xyz");
}

TEST(Bstr, AttachDetachCopyOwnership) {
  _bstr_t a;
  a.Attach(SysAllocString(L"owned"));
  _bstr_t shared = a;
  BSTR out = a.Detach();  // shared: a copy goes out, the other keeps its text
  EXPECT_EQ(std::wstring(out), L"owned");
  EXPECT_TRUE(shared == L"owned");
  SysFreeString(out);

  BSTR c = shared.copy();
  EXPECT_NE(c, static_cast<const wchar_t*>(shared));
  SysFreeString(c);
  EXPECT_EQ(shared.copy(false), static_cast<const wchar_t*>(shared));

  _bstr_t filled;
  *filled.GetAddress() = SysAllocString(L"out param");
  EXPECT_TRUE(filled == L"out param");
}

TEST(Bstr, ReusedBlocksComeBackEmptyAndSized) {
  // Strings of every short size, freed and made again: a block kept from a
  // freed string must not show its old text or length.
  for (UINT n = 0; n <= 140; ++n) {
    std::wstring text(n, L'x');
    BSTR full = SysAllocStringLen(text.c_str(), n);
    ASSERT_NE(full, nullptr);
    SysFreeString(full);
    BSTR zero = SysAllocStringLen(nullptr, n);
    ASSERT_EQ(SysStringLen(zero), n);
    for (UINT i = 0; i <= n; ++i) ASSERT_EQ(zero[i], L'\0') << n << " at " << i;
    SysFreeString(zero);
    BSTR bytes = SysAllocStringByteLen("abcdefghijklmnopqrstuvwxyz", n % 27);
    ASSERT_EQ(SysStringByteLen(bytes), n % 27);
    EXPECT_EQ(reinterpret_cast<const char*>(bytes)[n % 27], '\0');
    EXPECT_EQ(memcmp(bytes, "abcdefghijklmnopqrstuvwxyz", n % 27), 0);
    SysFreeString(bytes);
  }
  // Many alive at once, freed in another order, then taken again.
  auto text = [](size_t i) { return (std::to_wstring(i * 7919) + L"......").substr(0, 6); };
  std::vector<BSTR> held;
  for (size_t i = 0; i < 200; ++i) held.push_back(SysAllocStringLen(text(i).c_str(), 6));
  for (size_t i = 0; i < held.size(); i += 2) SysFreeString(held[i]);
  for (size_t i = 0; i < held.size(); i += 2) held[i] = SysAllocString(L"again");
  for (size_t i = 0; i < held.size(); ++i) {
    std::wstring want = i % 2 ? text(i) : L"again";
    EXPECT_EQ(std::wstring(held[i], SysStringLen(held[i])), want);
    SysFreeString(held[i]);
  }
}

TEST(Bstr, BlocksRewrittenInPlaceAreKeptByTheirRoom) {
  // A string made short and rewritten in place with longer text (or the
  // other way) goes back to the kept blocks; every string made afterwards
  // must have room for its whole text, which the checked fill below and
  // the allocator's own checks on free would show.
  for (UINT made = 0; made <= 70; made += 3) {
    for (UINT now = 0; now <= 70; now += 5) {
      BSTR b = SysAllocStringLen(nullptr, made);
      std::wstring longer(now, L'r');
      ASSERT_TRUE(SysReAllocStringLen(&b, longer.c_str(), now));
      ASSERT_EQ(std::wstring(b, SysStringLen(b)), longer);
      SysFreeString(b);
    }
    std::vector<BSTR> fresh;
    for (UINT n = 0; n <= 128; ++n) {
      std::wstring text(n, static_cast<wchar_t>(L'a' + n % 26));
      fresh.push_back(SysAllocStringLen(text.c_str(), n));
    }
    for (UINT n = 0; n <= 128; ++n) {
      ASSERT_EQ(SysStringLen(fresh[n]), n);
      ASSERT_EQ(std::wstring(fresh[n], n), std::wstring(n, static_cast<wchar_t>(L'a' + n % 26)));
      SysFreeString(fresh[n]);
    }
  }
}

TEST(Bstr, StringsCrossThreads) {
  // Made on one thread, freed on another that then ends: each thread's
  // kept blocks go with it.
  std::vector<BSTR> made;
  for (int i = 0; i < 100; ++i) made.push_back(SysAllocString(L"from main"));
  std::thread([&] {
    for (BSTR b : made) SysFreeString(b);
    made.assign(100, nullptr);
    for (BSTR& b : made) b = SysAllocString(L"from worker");
  }).join();
  for (BSTR b : made) {
    EXPECT_EQ(std::wstring(b), L"from worker");
    SysFreeString(b);
  }
}

TEST(Bstr, FromUtf8KeepsLengthAndTextOfEveryWidth) {
  // Short and long texts of one-, three- and four-byte characters: the
  // string is made with room for a character a byte and cut to the text.
  for (size_t n : {0, 1, 15, 300, 5000}) {
    for (const char* unit : {"a", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xFF"}) {
      std::string utf8;
      for (size_t i = 0; i < n; ++i) utf8 += unit;
      BSTR b = ZelBstrFromUtf8Len(utf8.data(), utf8.size());
      ASSERT_NE(nullptr, b);
      std::wstring want = ZelUtf8ToWide(utf8.data(), utf8.size());
      EXPECT_EQ(want.size(), SysStringLen(b)) << n << " of " << unit;
      EXPECT_EQ(want, std::wstring(b, SysStringLen(b)));
      EXPECT_EQ(L'\0', b[SysStringLen(b)]);
      SysFreeString(b);
    }
  }
}
