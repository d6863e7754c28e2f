// Copies of a CString share one buffer until one of them changes; these
// tests change one copy in every way the class allows and check that the
// other never sees it, including text taken from the string itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

#include "platform/mfc/String.h"

TEST(CStringShare, EveryChangeLeavesTheCopyAlone) {
  const std::vector<std::function<void(CString&)>> changes = {
      [](CString& s) { s += L"!"; },
      [](CString& s) { s.SetAt(0, L'X'); },
      [](CString& s) { s.MakeUpper(); },
      [](CString& s) { s.MakeReverse(); },
      [](CString& s) { s.Trim(L"ab"); },
      [](CString& s) { s.Replace(L'b', L'q'); },
      [](CString& s) { s.Replace(L"bc", L"--"); },
      [](CString& s) { s.Remove(L'c'); },
      [](CString& s) { s.Insert(1, L"ins"); },
      [](CString& s) { s.Delete(0, 2); },
      [](CString& s) { s.GetBuffer()[0] = L'Z'; s.ReleaseBuffer(); },
      [](CString& s) { s.GetBufferSetLength(2); s.ReleaseBuffer(); },
      [](CString& s) { s.Format(L"%d", 42); },
      [](CString& s) { s.Empty(); },
  };
  for (size_t i = 0; i < changes.size(); ++i) {
    // A packed string has no room to spare: every change must move it.
    for (const CString& original : {CString(L"abcabc"), CString::Packed(L"abcabc", 6)}) {
      CString copy = original;
      changes[i](copy);
      EXPECT_EQ(original, L"abcabc") << "change " << i;
      EXPECT_NE(copy, original) << "change " << i;
    }
    CString plain(L"abcabc"), packed = CString::Packed(L"abcabc", 6);
    changes[i](plain);
    changes[i](packed);
    EXPECT_EQ(packed, plain) << "change " << i << " of a string nobody shares";
  }
  // Texts too long for the pool are packed into an ordinary buffer.
  std::wstring longText(1000, L'x');
  CString big = CString::Packed(longText.data(), 1000);
  big += L"y";
  EXPECT_EQ(big.GetLength(), 1001);
  EXPECT_TRUE(CString::Packed(L"abc", 0).IsEmpty());
}

TEST(CStringShare, OwnTextAsArgument) {
  CString s(L"abc");
  s += s;
  EXPECT_EQ(s, L"abcabc");
  s.Append(s.GetString() + 1, 2);
  EXPECT_EQ(s, L"abcabcbc");
  s.Insert(0, s.GetString() + 6);
  EXPECT_EQ(s, L"bcabcabcbc");
  s = s.GetString() + 5;
  EXPECT_EQ(s, L"abcbc");
  const CString& alias = s;
  s = alias;
  EXPECT_EQ(s, L"abcbc");
  CString t = s + s;
  EXPECT_EQ(t, L"abcbcabcbc");
  EXPECT_EQ(s.GetLength(), 5);
}

TEST(CStringShare, EmptyStringsAreWritableAndAlike) {
  CString a, b(L""), c(L'x', 0), d(static_cast<const wchar_t*>(nullptr));
  EXPECT_TRUE(a == b && b == c && c == d);
  EXPECT_EQ(a.GetString()[0], L'\0');
  wchar_t* p = a.GetBuffer(3);
  p[0] = L'h';
  p[1] = L'i';
  a.ReleaseBuffer();
  EXPECT_EQ(a, L"hi");
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(CString().GetLength(), 0);
  EXPECT_THROW(b.GetAt(0), std::out_of_range);
  EXPECT_EQ(b.Mid(3), L"");
}

// The count is shared across threads: many threads copying and dropping
// one string must leave it intact and freed exactly once (the sanitizer
// run catches a double free or a leak).
TEST(CStringShare, CopiesAcrossThreads) {
  CString shared(L"shared text of some length");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([shared] {
      for (int i = 0; i < 20000; ++i) {
        CString local = shared;
        CString other(local);
        other += L"x";
        if (local.GetLength() != 26 || other.GetLength() != 27) std::abort();
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(shared, L"shared text of some length");
}

TEST(CArrayStorage, CopiesMovesAndGrowthKeepElements) {
  CStringArray a;
  for (int i = 0; i < 100; ++i) a.Add(CString(L'a', i % 7 + 1));
  a.Add(a[3]);  // an element of the array itself, while it grows
  EXPECT_EQ(a[100], a[3]);
  CStringArray b(a);
  b.Append(b);
  EXPECT_EQ(b.GetSize(), 202);
  EXPECT_EQ(b[201], a[100]);
  b.InsertAt(1, b[0], 3);
  EXPECT_EQ(b[3], b[0]);
  EXPECT_EQ(b[4], a[1]);
  CStringArray c(std::move(b));
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(c.GetSize(), 205);
  c.RemoveAt(0, 200);
  c.FreeExtra();
  EXPECT_EQ(c.GetSize(), 5);
  c.SetAtGrow(9, L"end");
  EXPECT_EQ(c[8], L"");
  EXPECT_EQ(c[9], L"end");
  a = c;
  EXPECT_EQ(a.GetSize(), 10);
  EXPECT_THROW(a.GetAt(10), std::out_of_range);

  // A packed array is exact; growing, shrinking or copying it keeps its
  // elements, and a size too large for the pool still packs.
  a.SetSizePacked(12);
  EXPECT_EQ(a[9], L"end");
  EXPECT_EQ(a[11], L"");
  a.Add(L"more");
  a.InsertAt(0, L"first");
  EXPECT_EQ(a.GetSize(), 14);
  EXPECT_EQ(a[10], L"end");
  a.SetSizePacked(3);
  CStringArray d(a);
  d.SetSizePacked(100);
  EXPECT_EQ(d[0], L"first");
  EXPECT_EQ(d[99], L"");
  d.SetSizePacked(0);
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_EQ(a.GetSize(), 3);
}
