#include <gtest/gtest.h>

#include "platform/inet/FtpListing.h"
#include "platform/inet/FtpReply.h"
#include "platform/inet/ParseUrl.h"

namespace {

// Feeds text in pieces of `step` bytes; answers the replies and the last status.
std::vector<FtpReply> Replies(const std::string& text, size_t step, FtpReplyParser::Status* last = nullptr) {
  FtpReplyParser p;
  std::vector<FtpReply> out;
  FtpReplyParser::Status s = FtpReplyParser::kNeedMore;
  for (size_t at = 0; at < text.size();) {
    size_t n = std::min(step, text.size() - at), used = 0;
    FtpReply r;
    s = p.Feed(text.data() + at, n, &used, r);
    at += used;
    if (s == FtpReplyParser::kReply) out.push_back(r);
    if (s == FtpReplyParser::kBadLine || s == FtpReplyParser::kTooLong) break;
  }
  if (last) *last = s;
  return out;
}

TEST(FtpReplyParser, SingleAndMultiLineRepliesInAnyPieces) {
  std::string text = "220 hi\r\n211-Features:\r\n MLST type*;\r\n211-more\r\n UTF8\r\n211 End\r\n200\n";
  for (size_t step : {1u, 3u, 1000u}) {
    auto r = Replies(text, step);
    ASSERT_EQ(3u, r.size()) << step;
    EXPECT_EQ(220, r[0].nCode);
    EXPECT_EQ("hi", r[0].text);
    EXPECT_EQ(211, r[1].nCode);
    // Only a line of the same code and a space ends it; inner lines stay as sent.
    EXPECT_EQ("Features:\n MLST type*;\n211-more\n UTF8\nEnd", r[1].text);
    EXPECT_EQ(200, r[2].nCode);
  }
}

TEST(FtpReplyParser, MalformedAndOverlongLinesFailForGood) {
  FtpReplyParser::Status s;
  EXPECT_TRUE(Replies("hello\r\n", 100, &s).empty());
  EXPECT_EQ(FtpReplyParser::kBadLine, s);
  Replies("2000 x\r\n", 100, &s);
  EXPECT_EQ(FtpReplyParser::kBadLine, s);
  Replies("699 x\r\n", 100, &s);
  EXPECT_EQ(FtpReplyParser::kBadLine, s);
  Replies("220 " + std::string(10000, 'x') + "\r\n", 512, &s);
  EXPECT_EQ(FtpReplyParser::kTooLong, s);
  std::string endless = "220-start\r\n";
  for (int i = 0; i < 1000; ++i) endless += "more\r\n";
  Replies(endless, 4096, &s);
  EXPECT_EQ(FtpReplyParser::kTooLong, s);
}

TEST(FtpReplyTexts, PassiveAddressesAndQuotedPaths) {
  EXPECT_EQ(256 * 19 + 137, FtpParsePasvPort("Entering Passive Mode (127,0,0,1,19,137)."));
  EXPECT_EQ(-1, FtpParsePasvPort("Entering Passive Mode (127,0,0,1,19)"));
  EXPECT_EQ(-1, FtpParsePasvPort("(999,0,0,1,19,137)"));
  EXPECT_EQ(50001, FtpParseEpsvPort("Entering Extended Passive Mode (|||50001|)"));
  EXPECT_EQ(-1, FtpParseEpsvPort("(|||99999|)"));
  EXPECT_EQ(-1, FtpParseEpsvPort("(|||"));
  std::string path;
  ASSERT_TRUE(FtpParseQuotedPath("\"/a \"\"b\"\" c\" is current", path));
  EXPECT_EQ("/a \"b\" c", path);
  EXPECT_FALSE(FtpParseQuotedPath("/unquoted", path));
  long long t = 0;
  ASSERT_TRUE(FtpParseTimeVal("20200102030405.123", t));
  EXPECT_EQ(1577934245LL, t);
  EXPECT_FALSE(FtpParseTimeVal("2020010203", t));
}

const long long kNow = 1700000000;  // 2023-11-14 22:13:20 UTC

TEST(FtpListing, UnixLinesKeepSpacesBigSizesAndDirs) {
  FtpListing l(kNow);
  FtpEntry e;
  ASSERT_TRUE(l.ParseListLine("-rw-r--r--   1 owner group 5368709120 Mar  5  2021  two  spaces ", e));
  EXPECT_EQ(" two  spaces ", e.name);
  EXPECT_EQ(5368709120ULL, e.nSize);
  EXPECT_FALSE(e.bDirectory);
  EXPECT_EQ(1614902400LL, e.tmWrite);
  ASSERT_TRUE(l.ParseListLine("drwxr-xr-x 2 1000 4096 Nov 14 12:30 sub dir", e));  // no group
  EXPECT_TRUE(e.bDirectory);
  EXPECT_EQ("sub dir", e.name);
  EXPECT_EQ(1699965000LL, e.tmWrite);
  // A date without a year more than a day ahead is last year's.
  ASSERT_TRUE(l.ParseListLine("-rw-r--r-- 1 a b 1 Dec 31 23:59 old", e));
  EXPECT_EQ(1672531140LL, e.tmWrite);
  ASSERT_TRUE(l.ParseListLine("lrwxrwxrwx 1 a b 7 Jan  1  2020 link -> target", e));
  EXPECT_EQ("link", e.name);
  EXPECT_FALSE(l.ParseListLine("total 12", e));
  EXPECT_FALSE(l.ParseListLine("-rw-r--r-- 1 a b 99999999999999999999999 Jan 1 2020 x", e));
}

TEST(FtpListing, DosLinesAndMachineFacts) {
  FtpListing l(kNow);
  FtpEntry e;
  ASSERT_TRUE(l.ParseListLine("01-31-20  03:04PM       <DIR>          My Folder", e));
  EXPECT_TRUE(e.bDirectory);
  EXPECT_EQ("My Folder", e.name);
  EXPECT_EQ(1580483040LL, e.tmWrite);
  ASSERT_TRUE(l.ParseListLine("12-01-2019  12:00AM           4294967296 big.bin", e));
  EXPECT_EQ(4294967296ULL, e.nSize);
  EXPECT_EQ(1575158400LL, e.tmWrite);
  EXPECT_FALSE(l.ParseListLine("13-01-2019  12:00AM 1 x", e));
  ASSERT_TRUE(l.ParseMlsdLine("Type=file;Size=12;Modify=20200102030405; a b.txt", e));
  EXPECT_EQ("a b.txt", e.name);
  EXPECT_EQ(12u, e.nSize);
  EXPECT_EQ(1577934245LL, e.tmWrite);
  ASSERT_TRUE(l.ParseMlsdLine("type=cdir;modify=20200102030405; /home/x", e));
  EXPECT_EQ(".", e.name);
  ASSERT_TRUE(l.ParseMlsdLine("type=pdir; /home", e));
  EXPECT_EQ("..", e.name);
  EXPECT_FALSE(l.ParseMlsdLine("size=1; untyped", e));
}

TEST(FtpListing, NamesThatLeaveTheFolderAreDropped) {
  FtpListing l(kNow);
  std::string data =
      "type=file;size=1; ../x\r\n"
      "type=file;size=1; /etc/passwd\r\n"
      "type=file;size=1; a\\b\r\n"
      "type=file;size=1; cr\rin\r\n"
      "type=file;size=1; ok\r\n"
      "type=dir; ..\r\n";
  auto entries = l.Parse(data, true);
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("a\\b", entries[0].name);  // one odd but local name
  EXPECT_EQ("ok", entries[1].name);
  EXPECT_EQ("..", entries[2].name);
}

TEST(AfxParseURL, FormsOfServerTexts) {
  DWORD type;
  CString server, object;
  INTERNET_PORT port;
  ASSERT_TRUE(AfxParseURL(L"ftp://user:pw@example.org:2121/pub/a", type, server, object, port));
  EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_FTP), type);
  EXPECT_EQ(CString(L"example.org"), server);
  EXPECT_EQ(CString(L"/pub/a"), object);
  EXPECT_EQ(2121, port);
  ASSERT_TRUE(AfxParseURL(L"FTP://[::1]", type, server, object, port));
  EXPECT_EQ(CString(L"::1"), server);
  EXPECT_EQ(CString(L"/"), object);
  EXPECT_EQ(21, port);
  ASSERT_TRUE(AfxParseURL(L"http://example.org/", type, server, object, port));
  EXPECT_EQ(static_cast<DWORD>(AFX_INET_SERVICE_HTTP), type);
  EXPECT_FALSE(AfxParseURL(L"example.org", type, server, object, port));
  EXPECT_FALSE(AfxParseURL(L"ftp://host:99999/", type, server, object, port));
  EXPECT_FALSE(AfxParseURL(L"ftp://[::1/", type, server, object, port));
  ASSERT_TRUE(AfxParseURL(L"ftp:///", type, server, object, port));
  EXPECT_TRUE(server.IsEmpty());
}

}  // namespace
