// Children and their end-tag bookkeeping, searches, selections and the
// text of a subtree.
#include <gtest/gtest.h>

#include "HtmlTestUtil.h"
#include "ZELHtml.h"
#include "ZELHtmlSelection.h"

using namespace htmltest;

namespace {
ZELHtmlElement* Text(const wchar_t* text) {
  ZELHtmlElement* e = new ZELHtmlElement(NULL);
  e->m_strHtml = text;
  return e;
}
}  // namespace

TEST(HtmlTree, AddAndRemoveKeepTheEndTagIndex) {
  auto root = Parse(L"<ul><li>a</li></ul>");
  ZELHtmlElement* ul = Child(root.get(), 0);
  ZELHtmlElement* x = Text(L"x");
  EXPECT_EQ(ul->AddChild(x, TRUE), 2);
  EXPECT_EQ(ul->m_nEndTagIndex, 2);
  EXPECT_EQ(x->GetParent(), ul);
  EXPECT_EQ(ul->AddChild(Text(L"y"), FALSE), 3);
  EXPECT_EQ(W(ul->GetFullText()), L"<ul><li>a</li>x</ul>y");

  ul->RemoveChild(Child(ul, 0));  // the li, before the end tag
  EXPECT_EQ(ul->m_nEndTagIndex, 1);
  EXPECT_EQ(ul->AddChild(Text(L"z"), TRUE), 2);
  EXPECT_EQ(W(ul->GetFullText()), L"<ul>xz</ul>y");

  ZELHtmlElement stranger(NULL);
  ul->RemoveChild(&stranger);  // not a child: nothing happens
  ul->RemoveChild(NULL);
  EXPECT_EQ(ul->GetChildCount(), 4);

  ul->RemoveChild(Child(ul, ul->m_nEndTagIndex));  // the end tag itself
  EXPECT_EQ(ul->m_nEndTagIndex, -1);
  EXPECT_EQ(ul->AddChild(Text(L"w"), TRUE), 3);  // no end tag: appended
  EXPECT_EQ(W(ul->GetFullText()), L"<ul>xzyw");

  ul->RemoveChildAll();
  EXPECT_EQ(ul->GetChildCount(), 0);
  EXPECT_EQ(ul->AddChild(NULL, TRUE), -1);
}

TEST(HtmlTree, FindChildAndPaths) {
  auto root = Parse(L"<ul><li>1</li><LI>2</LI><li>3</li></ul>");
  ZELHtmlElement* ul = Child(root.get(), 0);
  EXPECT_EQ(W(ul->FindChild(L"LI", 1)->GetFullText()), L"<LI>2</LI>");
  EXPECT_EQ(ul->FindChild(L"li", 3), nullptr);
  EXPECT_EQ(ul->FindChild(L"li", -1), nullptr);
  EXPECT_EQ(W(ul->FindChild(L"/ul", 0)->m_strHtml), L"</ul>");
  EXPECT_EQ(W(ul->FindChild(L"li", 0)->FindChild(L"", 0)->m_strHtml), L"1") << "text children have no name";

  ZELHtml doc;
  EXPECT_EQ(doc.Load(L"<html><body><p>1</p><p>2</p></body></html>"), 10);
  EXPECT_EQ(W(doc.FindElement(L"html/body/p", 1)->GetFullText()), L"<p>2</p>");
  EXPECT_EQ(doc.FindElement(L"html/body/p", 2), nullptr);
  EXPECT_EQ(doc.FindElement(L"html/x/p", 0), nullptr);
  EXPECT_EQ(doc.FindElement(L"", 0), nullptr);
  EXPECT_EQ(doc.FindElement(NULL, 0), nullptr);
  EXPECT_EQ(doc.FindElement(L"/HTML//BODY/", 0), doc.FindElement(L"html/body", 0)) << "empty parts are skipped";
  ZELHtmlElement* html = doc.FindElement(L"html", 0);
  EXPECT_EQ(html->FindChildFormPath(L"body/p", 1), doc.FindElement(L"html/body/p", 1));
  EXPECT_EQ(doc.FindElement(html, L"body", 0), html->FindChild(L"body", 0));
  EXPECT_EQ(doc.FindElement(NULL, L"p", 0), nullptr);
}

TEST(HtmlTree, FindParentByEndTagName) {
  auto root = Parse(L"<div><span>x</span><b>y");
  ZELHtmlElement* div = Child(root.get(), 0);
  ZELHtmlElement* x = Child(Child(div, 0), 0);
  EXPECT_EQ(x->FindParent(L"/DIV"), div);
  EXPECT_EQ(x->FindParent(L"/span"), Child(div, 0));
  EXPECT_EQ(x->FindParent(L"/p"), nullptr);
  EXPECT_EQ(div->FindParent(L"/div"), div);
}

TEST(HtmlSelection, SelectAndDelete) {
  ZELHtml doc;
  doc.Load(L"<body><p>1</p><i>a</i><p>2</p><P>3</P></body>");
  ZELHtmlElement* body = doc.FindElement(L"body", 0);
  ZELHtmlSelection sel;
  EXPECT_EQ(body->SelectChild(L"p", NULL), 3);
  EXPECT_EQ(body->SelectChild(L"i", &sel), 1);
  EXPECT_EQ(body->SelectChild(L"p", &sel), 3);  // emptied first
  ASSERT_EQ(sel.GetCount(), 3);
  EXPECT_EQ(sel.GetElement(-1), nullptr);
  EXPECT_EQ(sel.GetElement(3), nullptr);

  sel.DeleteElement(1);
  EXPECT_EQ(sel.GetCount(), 2);
  EXPECT_EQ(W(body->GetFullText()), L"<body><p>1</p><i>a</i><P>3</P></body>");
  EXPECT_EQ(body->m_nEndTagIndex, 3);
  sel.DeleteElement(7);  // outside: nothing
  EXPECT_EQ(sel.GetCount(), 2);

  ZELHtmlSelection copy = sel;
  copy.Reset();  // the document is untouched
  EXPECT_EQ(body->GetChildCount(), 4);

  sel.DeleteElementAll();
  EXPECT_EQ(sel.GetCount(), 0);
  EXPECT_EQ(W(body->GetFullText()), L"<body><i>a</i></body>");
  EXPECT_EQ(body->m_nEndTagIndex, 1);
  EXPECT_EQ(W(body->FindChild(L"/body", 0)->m_strHtml), L"</body>");

  // Deleting the end tags through a selection leaves no end-tag index.
  EXPECT_EQ(body->SelectChild(L"/BODY", &sel), 1);
  sel.DeleteElementAll();
  EXPECT_EQ(body->m_nEndTagIndex, -1);
  EXPECT_EQ(W(doc.m_root.GetFullText()), L"<body><i>a</i>");
}
