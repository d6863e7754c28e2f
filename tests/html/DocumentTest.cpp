// Reading and writing files: block boundaries, repeated opens, failures,
// and byte-exact round trips in both character forms.
#include <gtest/gtest.h>

#include <string>

#include "HtmlTestUtil.h"
#include "ZELHtml.h"
#include "support/TempDir.h"

using namespace htmltest;
using zeltest::ReadFileBytes;
using zeltest::TempDir;
using zeltest::WriteFileBytes;

namespace {
// Opens bytes from a file and answers what Save writes back.
std::string RoundTrip(const TempDir& dir, const std::string& bytes) {
  WriteFileBytes(dir.file("in.html"), bytes);
  ZELHtml doc;
  EXPECT_TRUE(doc.Open(dir.wfile("in.html").c_str()));
  EXPECT_TRUE(doc.Save(dir.wfile("out.html").c_str()));
  return ReadFileBytes(dir.file("out.html"));
}
}  // namespace

TEST(HtmlDocument, MissingEmptyAndRepeatedOpens) {
  TempDir dir;
  ZELHtml doc;
  doc.Load(L"<p>keep</p>");
  EXPECT_FALSE(doc.Open(dir.wfile("missing.html").c_str()));
  EXPECT_FALSE(doc.Open(NULL));
  EXPECT_FALSE(doc.Open(std::wstring(dir.path().begin(), dir.path().end()).c_str())) << "a folder";
  EXPECT_EQ(W(doc.m_root.GetFullText()), L"<p>keep</p>");

  WriteFileBytes(dir.file("empty.html"), "");
  EXPECT_TRUE(doc.Open(dir.wfile("empty.html").c_str()));
  EXPECT_EQ(doc.m_root.GetChildCount(), 1);

  doc.Close();
  WriteFileBytes(dir.file("a.html"), "<b>x</b>\n");
  EXPECT_TRUE(doc.Open(dir.wfile("a.html").c_str()));
  EXPECT_TRUE(doc.Open(dir.wfile("a.html").c_str()));
  EXPECT_EQ(doc.FindElement(L"b", 1)->GetParent(), &doc.m_root);
  EXPECT_TRUE(doc.Save(dir.wfile("twice.html").c_str()));
  EXPECT_EQ(ReadFileBytes(dir.file("twice.html")), "<b>x</b>\n<b>x</b>\n");

  EXPECT_EQ(doc.Load(L""), 0);
  EXPECT_EQ(doc.m_root.GetChildCount(), 0);
}

// Files over 64 KiB are read in blocks of 64 KiB: the second block starts
// at byte 65536.
TEST(HtmlDocument, TokensSpanBlockBoundaries) {
  TempDir dir;
  const size_t kBlock = 1 << 16;
  {
    // A tag that starts the second block right after text.
    std::string bytes = std::string(kBlock, 'a') + "<div class=\"long\">x</div>" + std::string(100, 'z');
    EXPECT_EQ(RoundTrip(dir, bytes), bytes);
    ZELHtml doc;
    ASSERT_TRUE(doc.Open(dir.wfile("in.html").c_str()));
    ASSERT_EQ(doc.m_root.GetChildCount(), 3);
    EXPECT_EQ(W(Child(&doc.m_root, 0)->m_strHtml).size(), kBlock);
    ZELHtmlElement* div = doc.FindElement(L"div", 0);
    ASSERT_NE(div, nullptr);
    EXPECT_EQ(W(div->GetAttribute(L"class")), L"long");
    EXPECT_EQ(div->m_nEndTagIndex, 1);
  }
  {
    // A tag cut by the boundary, then a two-byte and a four-byte sequence
    // cut by the boundary of the third block.
    std::string bytes = std::string(kBlock - 5, 'a') + "<span title=\"t\">";
    bytes += std::string(2 * kBlock - 1 - bytes.size(), 'b') + "\xC3\xA9</span>";
    bytes += std::string(3 * kBlock - 2 - bytes.size(), 'c') + "\xF0\x9F\x98\x80<i>";
    EXPECT_EQ(RoundTrip(dir, bytes), bytes);
    ZELHtml doc;
    ASSERT_TRUE(doc.Open(dir.wfile("in.html").c_str()));
    ZELHtmlElement* span = doc.FindElement(L"span", 0);
    ASSERT_NE(span, nullptr);
    EXPECT_EQ(W(span->GetAttribute(L"title")), L"t");
    EXPECT_EQ(W(Child(span, 0)->m_strHtml).back(), L'\u00E9');
    ASSERT_NE(doc.FindElement(L"i", 0), nullptr);
    std::wstring tail = W(Child(&doc.m_root, 2)->m_strHtml);
    EXPECT_EQ(tail.back(), L'\U0001F600');
  }
}

TEST(HtmlDocument, CharactersRoundTripToTheByte) {
  TempDir dir;
  std::string utf8 = "<p title=\"\xE2\x82\xAC\">caf\xC3\xA9 \xF0\x9F\x98\x80</p>\r\n\xEF\xBB\xBF";
  EXPECT_EQ(RoundTrip(dir, utf8), utf8);
  ZELHtml doc;
  doc.Open(dir.wfile("in.html").c_str());
  EXPECT_EQ(W(doc.FindElement(L"p", 0)->GetAttribute(L"title")), L"\u20AC");

  // Latin-1, an overlong form, a lone continuation byte, a sequence cut by
  // the end of the file: each byte one character, written back as it was.
  // NUL bytes are valid UTF-8 and survive too.
  const std::string others[] = {"<a>\xC0\xAF</a>", "x\x80y", "<b>\xE2\x82", std::string("a\0<b>\0", 6),
                                "<p>caf\xE9</p>"};
  for (const std::string& bytes : others) EXPECT_EQ(RoundTrip(dir, bytes), bytes);
  doc.Close();
  doc.Open(dir.wfile("in.html").c_str());
  ZELHtmlElement* p = doc.FindElement(L"p", 0);
  EXPECT_EQ(W(p->GetFullText()), L"<p>caf\u00E9</p>");
  // An edit of a byte-for-byte document stays in its form; a character
  // no byte can carry is written as UTF-8.
  p->SetAttribute(L"t", L"\u00E9\u20AC", TRUE);
  ASSERT_TRUE(doc.Save(dir.wfile("edit.html").c_str()));
  EXPECT_EQ(ReadFileBytes(dir.file("edit.html")), "<p t=\"\xE9\xE2\x82\xAC\">caf\xE9</p>");

  // Text given to Load saves as UTF-8, as does an edit of a UTF-8 file.
  doc.Load(L"<p>\u00E9</p>");
  doc.FindElement(L"p", 0)->SetAttribute(L"t", L"\u20AC", TRUE);
  ASSERT_TRUE(doc.Save(dir.wfile("load.html").c_str()));
  EXPECT_EQ(ReadFileBytes(dir.file("load.html")), "<p t=\"\xE2\x82\xAC\">\xC3\xA9</p>");
}

TEST(HtmlDocument, SaveFailures) {
  TempDir dir;
  ZELHtml doc;
  doc.Load(L"<p>x</p>");
  EXPECT_FALSE(doc.Save(std::wstring(dir.path().begin(), dir.path().end()).c_str()));
  EXPECT_FALSE(doc.Save(L""));
  EXPECT_FALSE(doc.Save(NULL));
  WriteFileBytes(dir.file("plain"), "x");
  EXPECT_FALSE(doc.Save(dir.wfile("plain/under.html").c_str()));
  EXPECT_TRUE(doc.Save(dir.wfile("made/sub/ok.html").c_str()));
  EXPECT_EQ(ReadFileBytes(dir.file("made/sub/ok.html")), "<p>x</p>");
}

// ASCII is decoded sixteen bytes at a time: a multi-byte sequence or an
// invalid byte at every position of such a step.
TEST(HtmlDocument, NonAsciiAtEveryOffset) {
  TempDir dir;
  for (size_t k = 0; k < 20; ++k) {
    std::string pad(k, 'x');
    std::string utf8 = "<p>" + pad + "\xE2\x82\xAC" + pad + "</p>";
    EXPECT_EQ(RoundTrip(dir, utf8), utf8) << k;
    ZELHtml doc;
    ASSERT_TRUE(doc.Open(dir.wfile("in.html").c_str()));
    ZELHtmlElement* p = doc.FindElement(L"p", 0);
    ASSERT_NE(p, nullptr);
    std::wstring wpad(k, L'x');
    EXPECT_EQ(W(Child(p, 0)->m_strHtml), wpad + L"\u20AC" + wpad) << k;

    std::string latin = "<p>" + pad + "\xE9" + pad + "</p>";
    EXPECT_EQ(RoundTrip(dir, latin), latin) << k;
    ZELHtml bytes;
    ASSERT_TRUE(bytes.Open(dir.wfile("in.html").c_str()));
    p = bytes.FindElement(L"p", 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(W(Child(p, 0)->m_strHtml), wpad + L"\u00E9" + wpad) << k;
  }
}
