// Hostile shapes: very deep and very wide trees must parse, search, write
// and be destroyed without recursion or quadratic walks, and any text must
// come back unchanged.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "HtmlTestUtil.h"
#include "ZELHtml.h"
#include "ZELHtmlSelection.h"
#include "support/TempDir.h"

using namespace htmltest;

TEST(HtmlScale, MillionUnclosedNestedTags) {
  const int kDepth = 1000000;
  std::wstring html;
  html.reserve(kDepth * 3 + 16);
  for (int i = 0; i < kDepth; ++i) html += L"<a>";
  html += L"deep";
  {
    ZELHtml doc;
    EXPECT_EQ(doc.Load(html.c_str()), kDepth + 1);
    ZELHtmlElement* e = doc.FindElement(L"a", 0);
    for (int i = 1; i < kDepth; ++i) e = e->FindChild(L"a", 0);
    ASSERT_NE(e, nullptr);
    ZELHtmlElement* leaf = Child(e, 0);
    EXPECT_EQ(W(leaf->m_strHtml), L"deep");
    EXPECT_EQ(leaf->FindParent(L"/b"), nullptr);
    EXPECT_EQ(leaf->FindParent(L"/A"), e);
    EXPECT_EQ(doc.m_root.GetFullText().GetLength(), static_cast<int>(html.size()));

    zeltest::TempDir dir;
    ASSERT_TRUE(doc.Save(dir.wfile("deep.html").c_str()));
    doc.Close();
    ASSERT_TRUE(doc.Open(dir.wfile("deep.html").c_str()));
    EXPECT_EQ(doc.m_root.GetFullText().str(), html);
  }  // destroyed here
}

TEST(HtmlScale, StrayEndTagsBelowDeepNesting) {
  // Each stray end tag would otherwise walk the whole open chain.
  const int kN = 200000;
  std::wstring html;
  for (int i = 0; i < kN; ++i) html += L"<a>";
  for (int i = 0; i < kN; ++i) html += L"</b>";
  html += L"</A>";
  ZELHtml doc;
  doc.Load(html.c_str());
  ZELHtmlElement* first = doc.FindElement(L"a", 0);
  EXPECT_EQ(first->GetChildCount(), 1);
  EXPECT_EQ(doc.m_root.GetFullText().str(), html);
}

TEST(HtmlScale, WideSelectionDeletes) {
  const int kN = 200000;
  std::wstring html = L"<ul>";
  for (int i = 0; i < kN; ++i) html += L"<li>x</li><hr />";
  html += L"</ul>";
  ZELHtml doc;
  doc.Load(html.c_str());
  ZELHtmlElement* ul = doc.FindElement(L"ul", 0);
  ZELHtmlSelection sel;
  EXPECT_EQ(ul->SelectChild(L"li", &sel), kN);
  sel.DeleteElementAll();
  EXPECT_EQ(ul->GetChildCount(), kN + 1);
  EXPECT_EQ(ul->m_nEndTagIndex, kN);
  EXPECT_EQ(W(Child(ul, kN)->m_strHtml), L"</ul>");
}

TEST(HtmlScale, RandomTextsRoundTrip) {
  const wchar_t alphabet[] = L"<<>>//\"\"== ab!-\n\u00E9P";
  std::mt19937 rng(12345);
  for (int n = 0; n < 3000; ++n) {
    std::wstring text;
    size_t len = rng() % 60;
    for (size_t i = 0; i < len; ++i) text += alphabet[rng() % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
    ZELHtml doc;
    doc.Load(text.c_str());
    ASSERT_EQ(doc.m_root.GetFullText().str(), text);
  }
}
