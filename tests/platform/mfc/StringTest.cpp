#include <gtest/gtest.h>

#include "platform/mfc/String.h"

TEST(CStringFormat, KeepsTheFrameworkLetters) {
  CString s;
  s.Format(L"%s|%d|%ld|%0lX|%I64d|%S|%c|%C|%%", L"wide", -5, static_cast<LONG>(70000), 0xBEEFu,
           static_cast<LONGLONG>(-9000000000LL), "nar\xC3\xA9", L'\x263A', 'z');
  EXPECT_EQ(s, L"wide|-5|70000|BEEF|-9000000000|nar\x00E9|\x263A|z|%");
  s.Format(L"[%-6s][%6.2f][%08.3lf][%.2s][%5S]", L"ab", 3.14159, 2.5, L"xyz", "q");
  EXPECT_EQ(s, L"[ab    ][  3.14][0002.500][xy][    q]");
  s.Format(L"%*d|%-*d|%x", 4, 7, 3, 1, 255u);
  EXPECT_EQ(s, L"   7|1  |ff");
}

TEST(CStringFormat, BadArgumentsGiveTextNotFailure) {
  CString s;
  // Narrow text that is not UTF-8, NULL strings, a cut-short conversion and an
  // unknown letter.
  s.Format(L"%S|%s|%S|%q|%", "\xFF\xFEok", static_cast<const wchar_t*>(NULL), static_cast<const char*>(NULL));
  EXPECT_EQ(s, L"\xFFFD\xFFFDok|(null)|(null)|%q|%");
  s.Format(L"%5000d", 1);
  EXPECT_EQ(s.GetLength(), 5000);
  s.AppendFormat(L"%d", 2);
  EXPECT_EQ(s.Right(2), L"12");
}

TEST(CString, SearchAndSlice) {
  CString s(L"  Hello, World  ");
  EXPECT_EQ(s.Find(L'o'), 6);
  EXPECT_EQ(s.Find(L"World"), 9);
  EXPECT_EQ(s.Find(L'o', 7), 10);
  EXPECT_EQ(s.Find(L'o', 99), -1);
  EXPECT_EQ(s.Find(L'o', -1), -1);
  EXPECT_EQ(s.ReverseFind(L'o'), 10);
  EXPECT_EQ(s.Mid(2, 5), L"Hello");
  EXPECT_EQ(s.Mid(-3, 4), L"  He");
  EXPECT_EQ(s.Mid(100), L"");
  EXPECT_EQ(s.Left(-1), L"");
  EXPECT_EQ(s.Right(100), s);
  s.Trim();
  EXPECT_EQ(s, L"Hello, World");
  EXPECT_EQ(s.Replace(L"o", L"0"), 2);
  EXPECT_EQ(s, L"Hell0, W0rld");
  EXPECT_EQ(s.Replace(L"", L"x"), 0);
  EXPECT_EQ(s.MakeUpper(), L"HELL0, W0RLD");
  EXPECT_EQ(s.CompareNoCase(L"hell0, w0rld"), 0);
  EXPECT_LT(CString(L"abc").Compare(L"abd"), 0);
  s = L"x";
  s.Insert(5, L'y');
  s.Delete(-1, 3);
  EXPECT_EQ(s, L"xy");
}

TEST(CString, TokenizeSkipsEmptyTokensAndEnds) {
  CString s(L"/a//b/c/");
  int pos = 0;
  std::vector<std::wstring> parts;
  for (CString t = s.Tokenize(L"/", pos); pos != -1; t = s.Tokenize(L"/", pos)) parts.push_back(t.str());
  EXPECT_EQ(parts, (std::vector<std::wstring>{L"a", L"b", L"c"}));
  pos = 0;
  EXPECT_EQ(CString(L"///").Tokenize(L"/", pos), L"");
  EXPECT_EQ(pos, -1);
}

TEST(CString, Utf8RoundTripAndInvalidBytes) {
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € and an emoji
  CString s(text);
  EXPECT_EQ(s.GetLength(), 4);
  EXPECT_EQ(s.ToUtf8(), text);
  // Stray continuation, overlong form, encoded surrogate, truncated tail.
  CString bad("\x80x\xC0\xAFy\xED\xA0\x80z\xE2\x82");
  EXPECT_EQ(bad, L"\xFFFDx\xFFFD\xFFFDy\xFFFD\xFFFD\xFFFDz\xFFFD\xFFFD");
  std::wstring lone(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ(ZelWideToUtf8(lone.c_str()), "\xEF\xBF\xBD");
}

TEST(CString, BufferAccess) {
  CString s;
  wchar_t* p = s.GetBuffer(10);
  wcscpy(p, L"abc");
  s.ReleaseBuffer();
  EXPECT_EQ(s.GetLength(), 3);
  s.GetBufferSetLength(2);
  s.ReleaseBuffer(5);  // longer than the buffer: kept at its length
  EXPECT_EQ(s, L"ab");
}

TEST(CArray, InsertRemoveAndBounds) {
  CArray<int, int> a;
  a.Add(1);
  a.Add(3);
  a.InsertAt(1, 2);
  a.InsertAt(5, 9);  // past the end grows the array
  EXPECT_EQ(a.GetSize(), 6);
  EXPECT_EQ(a[3], 0);
  EXPECT_EQ(a[5], 9);
  a.RemoveAt(3, 3);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_THROW(a.RemoveAt(2, 2), std::out_of_range);
  EXPECT_THROW(a.RemoveAt(-1), std::out_of_range);
  EXPECT_THROW(a.GetAt(3), std::out_of_range);
  EXPECT_THROW(a[-1], std::out_of_range);
  EXPECT_THROW(a.InsertAt(-1, 0), std::out_of_range);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a.GetUpperBound(), 2);
  CStringArray names;
  names.Add(L"x");
  names.SetAtGrow(2, CString(L"z"));
  EXPECT_EQ(names.GetSize(), 3);
  EXPECT_TRUE(names[1].IsEmpty());
}
