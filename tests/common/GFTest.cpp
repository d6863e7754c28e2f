#include <gtest/gtest.h>

#include <string>

#include "ZELGF.h"
#include "support/TempDir.h"

using zeltest::TempDir;

namespace {
CString W(const std::string& s) { return CString(s.c_str()); }
}  // namespace

TEST(GF, SplitTextKeepsOrDropsEmptyParts) {
  CStringArray parts;
  EXPECT_EQ(ZELGF::SplitText(L"/a//b/", L"/", 0, parts), 5);
  EXPECT_EQ(parts[0], L"");
  EXPECT_EQ(parts[1], L"a");
  EXPECT_EQ(parts[2], L"");
  EXPECT_EQ(parts[3], L"b");
  EXPECT_EQ(parts[4], L"");
  EXPECT_EQ(ZELGF::SplitText(L"/a//b/", L"/", 1, parts), 2);
  EXPECT_EQ(parts[1], L"b");
  EXPECT_EQ(ZELGF::SplitText(L"html/body", L"/", 1, parts), 2);
  EXPECT_EQ(ZELGF::SplitText(L"", L"/", 0, parts), 0);
  EXPECT_EQ(ZELGF::SplitText(nullptr, L"/", 0, parts), 0);
  EXPECT_EQ(ZELGF::SplitText(L"one", L"/", 0, parts), 1);
  EXPECT_EQ(ZELGF::SplitText(L"a::b", L"::", 0, parts), 2);
}

TEST(GF, PathPieces) {
  EXPECT_EQ(ZELGF::MakePath(L"/data", L"x.txt"), L"/data/x.txt");
  EXPECT_EQ(ZELGF::MakePath(L"/data/", L"/x.txt"), L"/data/x.txt");
  CString cwdPath = ZELGF::MakePath(nullptr, L"ZELFtp_Download");
  EXPECT_EQ(cwdPath.Left(1), L"/");
  EXPECT_EQ(cwdPath.Right(16), L"/ZELFtp_Download");
  EXPECT_EQ(ZELGF::ExtractName(L"/a/b/c.tar.gz", 1), L"c.tar.gz");
  EXPECT_EQ(ZELGF::ExtractName(L"/a/b/c.tar.gz", 0), L"c.tar");
  EXPECT_EQ(ZELGF::ExtractName(L"/a/b/", 1), L"b");
  EXPECT_EQ(ZELGF::ExtractName(L"plain", 1), L"plain");
  EXPECT_EQ(ZELGF::ExtractDir(L"/a/b/c.txt"), L"/a/b");
  EXPECT_EQ(ZELGF::ExtractDir(L"/c.txt"), L"/");
  EXPECT_EQ(ZELGF::ExtractDir(L"c.txt"), L"");
}

TEST(GF, NameRules) {
  EXPECT_TRUE(ZELGF::IsValidPathName(L"/tmp/a b/c"));
  EXPECT_TRUE(ZELGF::IsValidPathName(L"relative/dir"));
  EXPECT_FALSE(ZELGF::IsValidPathName(L""));
  EXPECT_FALSE(ZELGF::IsValidPathName(nullptr));
  EXPECT_FALSE(ZELGF::IsValidPathName(CString(L'x', 256)));
  EXPECT_TRUE(ZELGF::IsValidPathName(CString(L'x', 255)));
  EXPECT_TRUE(ZELGF::IsValidFileName(L"report 2026.txt"));
  EXPECT_FALSE(ZELGF::IsValidFileName(L"a/b"));
  EXPECT_FALSE(ZELGF::IsValidFileName(L".."));
  EXPECT_FALSE(ZELGF::IsValidFileName(L""));
  EXPECT_TRUE(ZELGF::IsEmpty(L" \t\n"));
  EXPECT_TRUE(ZELGF::IsEmpty(nullptr));
  EXPECT_FALSE(ZELGF::IsEmpty(L" x "));
  CString s(L"  pad \r\n");
  EXPECT_EQ(ZELGF::Trim(s), L"pad");
}

TEST(GF, FilesAndFolders) {
  TempDir t;
  CString deep = W(t.file("a/b/c"));
  EXPECT_EQ(ZELGF::CreateDir(deep), 0);
  EXPECT_TRUE(ZELGF::IsDir(deep));
  EXPECT_EQ(ZELGF::CreateDir(deep), 0);  // exists already: still success
  CString f = W(t.file("x/y/file.bin"));
  EXPECT_EQ(ZELGF::CreateFileW(f, 1, 1), 0);
  EXPECT_TRUE(ZELGF::IsFile(f));
  EXPECT_EQ(ZELGF::GetFileSize(f, 0), 0);
  zeltest::WriteFileBytes(t.file("x/y/file.bin"), "12345");
  EXPECT_EQ(ZELGF::CreateFileW(f, 1, 0), 0);  // no truncation asked
  EXPECT_EQ(ZELGF::GetFileSize(f, 0), 5);
  EXPECT_EQ(ZELGF::CreateFileW(f, 1, 1), 0);
  EXPECT_EQ(ZELGF::GetFileSize(f, 0), 0);
  EXPECT_NE(ZELGF::CreateFileW(deep, 1, 1), 0);  // a folder is no file
  EXPECT_EQ(ZELGF::GetFileSize(deep, 0), -1);
  EXPECT_FALSE(ZELGF::IsFile(deep));
  EXPECT_FALSE(ZELGF::IsDir(f));
  // a file standing where a folder must go
  EXPECT_NE(ZELGF::CreateDir(W(t.file("x/y/file.bin/sub"))), 0);
}

TEST(GF, DirInfoListsPlainFilesOnly) {
  TempDir t;
  zeltest::WriteFileBytes(t.file("one"), "abc");
  zeltest::WriteFileBytes(t.file("two"), "defgh");
  ZELGF::CreateDir(W(t.file("sub")));
  zeltest::WriteFileBytes(t.file("sub/three"), "1234567");
  CStringArray files;
  EXPECT_EQ(ZELGF::GetDirInfo(W(t.path()), nullptr, nullptr, &files, 0, nullptr), 8);
  EXPECT_EQ(files.GetSize(), 2);
  LONGLONG nFiles = 0, nDirs = 0;
  CStringArray all, dirs;
  EXPECT_EQ(ZELGF::GetDirInfo(W(t.path()), &nFiles, &nDirs, &all, 1, &dirs), 15);
  EXPECT_EQ(nFiles, 3);
  EXPECT_EQ(nDirs, 1);
  EXPECT_EQ(dirs[0], W(t.file("sub")));
  EXPECT_EQ(ZELGF::GetDirInfo(L"/no/such/folder", nullptr, nullptr, &files, 0, nullptr), 0);
}

TEST(GF, MultiToWideCountsAndFills) {
  const char* label = "Disk \xC3\xA9t\xC3\xA9";  // "Disk été"
  int n = ZELGF::MultiToWide(label, nullptr, 0);
  EXPECT_EQ(n, 9);
  wchar_t buf[9];
  EXPECT_EQ(ZELGF::MultiToWide(label, buf, n), 8);
  EXPECT_STREQ(buf, L"Disk \u00e9t\u00e9");
  wchar_t small[4];
  EXPECT_EQ(ZELGF::MultiToWide(label, small, 4), 3);
  EXPECT_STREQ(small, L"Dis");
}

TEST(GF, FormatMsgTrimsTheLineBreak) {
  CString t = ZELGF::FormatMsg(2);  // file not found
  EXPECT_FALSE(t.IsEmpty());
  EXPECT_NE(t.Right(1), L"\n");
  EXPECT_TRUE(ZELGF::FormatMsg(0x80040205).IsEmpty());
}
