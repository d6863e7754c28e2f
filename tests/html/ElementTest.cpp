// The token parser, the tree-building loop, attributes and the rebuilding
// of token texts.
#include <gtest/gtest.h>

#include "HtmlTestUtil.h"

using namespace htmltest;

TEST(HtmlParse, TokenTypesAndNames) {
  struct Case {
    const wchar_t* token;
    ZELHTML_ELEMENT_TYPE type;
    const wchar_t* name;
    const wchar_t* endName;
  } cases[] = {
      {L"<p>", ZELHTML_START_TAG, L"p", L"/p"},
      {L"</p>", ZELHTML_END_TAG, L"/p", L""},
      {L"<br />", ZELHTML_EMPTY_TAG, L"br", L""},
      {L"<br/>", ZELHTML_START_TAG, L"br/", L"/br/"},
      {L"<!---->", ZELHTML_COMMENT, L"!--", L""},
      {L"<!-- a >", ZELHTML_COMMENT, L"!--", L""},
      {L"<!-->", ZELHTML_START_TAG, L"!--", L"/!--"},
      {L"<!DOCTYPE html>", ZELHTML_EMPTY_TAG, L"!DOCTYPE", L""},
      {L"<!doctype>", ZELHTML_EMPTY_TAG, L"!doctype", L""},
      {L"< p>", ZELHTML_TEXT, L"", L""},
      {L"<", ZELHTML_TEXT, L"", L""},
      {L"<>", ZELHTML_TEXT, L"", L""},
      {L"  \r\n", ZELHTML_TEXT, L"", L""},
      {L"<div\tclass=\"a\"", ZELHTML_START_TAG, L"div", L"/div"},  // unfinished at the end of a text
      {L"</p class>", ZELHTML_START_TAG, L"/p", L"//p"},
      {L"  <td\n>  ", ZELHTML_START_TAG, L"td", L"/td"},
  };
  for (const Case& c : cases) {
    Element e;
    e.SetFromHtml(c.token);
    EXPECT_EQ(e.GetType(), c.type) << c.token;
    EXPECT_EQ(W(e.GetTagName()), c.name) << c.token;
    EXPECT_EQ(W(e.GetEndTagName()), c.endName) << c.token;
    EXPECT_EQ(W(e.m_strHtml), c.token) << "the token text is kept as given";
    EXPECT_EQ(e.CanHasChild(), c.type == ZELHTML_START_TAG);
  }
}

TEST(HtmlParse, Tokenizer) {
  Element e;
  CStringArray t;
  EXPECT_EQ(e.SplitElement(L"a<b>c</b>\n<!-- x > y -->< z", t), 8);
  const wchar_t* want[] = {L"a", L"<b>", L"c", L"</b>", L"\n", L"<!-- x >", L" y -->", L"< z"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(W(t[i]), want[i]);
  EXPECT_EQ(e.SplitElement(L"x< z", t), 2);
  EXPECT_EQ(W(t[1]), L"< z");
  EXPECT_EQ(e.SplitElement(L"", t), 0);
  EXPECT_EQ(e.SplitElement(L">>", t), 2);
}

TEST(HtmlParse, ClosedElementShape) {
  auto root = Parse(L"<p>Hello</p>");
  ASSERT_EQ(root->GetChildCount(), 1);
  ZELHtmlElement* p = Child(root.get(), 0);
  EXPECT_EQ(p->GetType(), ZELHTML_START_TAG);
  EXPECT_EQ(W(p->GetEndTagName()), L"/p");
  ASSERT_EQ(p->GetChildCount(), 2);
  EXPECT_EQ(W(Child(p, 0)->m_strHtml), L"Hello");
  EXPECT_EQ(Child(p, 1)->GetType(), ZELHTML_END_TAG);
  EXPECT_EQ(p->m_nEndTagIndex, 1);
  EXPECT_EQ(Child(p, 0)->GetParent(), p);
  EXPECT_EQ(root->m_nEndTagIndex, -1);
}

TEST(HtmlParse, OuterEndTagClosesInnerAsEmpty) {
  auto root = Parse(L"<div><p>x</div>");
  ZELHtmlElement* div = Child(root.get(), 0);
  ASSERT_EQ(div->GetChildCount(), 2);
  ZELHtmlElement* p = Child(div, 0);
  EXPECT_EQ(p->GetType(), ZELHTML_EMPTY_TAG);
  EXPECT_EQ(p->GetChildCount(), 1);
  EXPECT_EQ(p->m_nEndTagIndex, -1);
  EXPECT_EQ(div->m_nEndTagIndex, 1);
  EXPECT_EQ(W(Child(div, 1)->m_strHtml), L"</div>");

  // Only the innermost open element turns empty; those between stay open.
  auto r2 = Parse(L"<a><b><c>x</a>y");
  ZELHtmlElement* a = Child(r2.get(), 0);
  ZELHtmlElement* b = Child(a, 0);
  ZELHtmlElement* c = Child(b, 0);
  EXPECT_EQ(b->GetType(), ZELHTML_START_TAG);
  EXPECT_EQ(c->GetType(), ZELHTML_EMPTY_TAG);
  EXPECT_EQ(a->m_nEndTagIndex, 1);
  EXPECT_EQ(r2->GetChildCount(), 2);  // "y" after the closed a
}

TEST(HtmlParse, SlashNamedTagStaysOpenUntilAnOuterEndTag) {
  auto root = Parse(L"<div><br/>a<i>b</i></DIV>");
  ZELHtmlElement* div = Child(root.get(), 0);
  ZELHtmlElement* br = Child(div, 0);
  EXPECT_EQ(W(br->GetTagName()), L"br/");
  EXPECT_EQ(br->GetType(), ZELHTML_EMPTY_TAG);
  EXPECT_EQ(br->GetChildCount(), 2);  // "a" and the closed i
  EXPECT_EQ(div->m_nEndTagIndex, 1);
}

TEST(HtmlParse, StrayEndTagsAreKeptInPlace) {
  const wchar_t* html = L"</p><div>a</span>b</div></div>";
  auto root = Parse(html);
  ASSERT_EQ(root->GetChildCount(), 3);
  EXPECT_EQ(Child(root.get(), 0)->GetType(), ZELHTML_END_TAG);
  ZELHtmlElement* div = Child(root.get(), 1);
  EXPECT_EQ(div->GetType(), ZELHTML_START_TAG);
  EXPECT_EQ(div->GetChildCount(), 4);
  EXPECT_EQ(div->m_nEndTagIndex, 3);
  EXPECT_EQ(W(root->GetFullText()), html);
}

TEST(HtmlParse, ParentlessElementClosedByItsOwnEndTagKeepsTheRest) {
  ZELHtmlElement e(NULL);
  e.SetHtmlText(L"<p>x</p><b>y</b></p>z");
  EXPECT_EQ(W(e.GetFullText()), L"<p>x</p><b>y</b></p>z");
  EXPECT_EQ(e.m_nEndTagIndex, 1);
  EXPECT_EQ(e.GetChildCount(), 5);
}

TEST(HtmlAttributes, Scanning) {
  Element e;
  e.SetFromHtml(L"<img src=\"a.png\" alt=\"x\" />");
  EXPECT_EQ(e.GetType(), ZELHTML_EMPTY_TAG);
  ASSERT_EQ(e.m_arrAttribute.GetSize(), 2);
  EXPECT_EQ(W(e.m_arrAttribute[0].strName), L"src");
  EXPECT_EQ(W(e.m_arrAttribute[0].strValue), L"\"a.png\"");
  EXPECT_EQ(W(e.GetAttribute(L"SRC")), L"a.png");
  EXPECT_EQ(W(e.GetAttribute(L"none")), L"");

  // Unquoted values vanish and run into the next name; "=" and ">" inside
  // quotes; space before a closing quote trimmed, after an opening one kept.
  e.SetFromHtml(L"<a x=1 y=\"2\" q=\"a=b\" s=\" k \" bare single='v' n=\"1\" n=\"2\">");
  ASSERT_EQ(e.m_arrAttribute.GetSize(), 5);
  EXPECT_EQ(W(e.m_arrAttribute[0].strName), L"1 y");
  EXPECT_EQ(W(e.m_arrAttribute[1].strValue), L"\"a=b\"");
  EXPECT_EQ(W(e.m_arrAttribute[2].strValue), L"\" k\"");
  EXPECT_EQ(W(e.m_arrAttribute[3].strName), L"'v' n");  // each "=" outside quotes starts a name anew
  EXPECT_EQ(W(e.m_arrAttribute[4].strName), L"n");
  EXPECT_EQ(e.FindAttribute(L"N"), 4);
  EXPECT_EQ(W(e.GetAttribute(L"n")), L"2");

  e.SetFromHtml(L"<input disabled value=\"open>");
  EXPECT_EQ(e.m_arrAttribute.GetSize(), 0);
}

TEST(HtmlAttributes, SetAndDeleteRebuildTheToken) {
  Element e;
  e.SetFromHtml(L"<div class=\"a\">");
  e.SetAttribute(L"id", L"m", TRUE);
  EXPECT_EQ(W(e.m_strHtml), L"<div class=\"a\" id=\"m\">");
  e.SetAttribute(L"CLASS", L"b", FALSE);  // the old spelling stays
  EXPECT_EQ(W(e.m_strHtml), L"<div class=\"a\" id=\"m\">");
  e.UpdateElement(TRUE);
  EXPECT_EQ(W(e.m_strHtml), L"<div class=\"b\" id=\"m\">");
  e.DeleteAttribute(L"nothing", TRUE);
  e.DeleteAttribute(L"Class", TRUE);
  EXPECT_EQ(W(e.m_strHtml), L"<div id=\"m\">");

  const wchar_t* before[] = {L"<br />", L"</p>", L"<!-- c -->", L"hello"};
  const wchar_t* after[] = {L"<br/>", L"</p>", L"<!-->", L"hello"};
  for (int i = 0; i < 4; ++i) {
    e.SetFromHtml(before[i]);
    e.UpdateElement(TRUE);
    EXPECT_EQ(W(e.m_strHtml), after[i]);
  }
}

TEST(HtmlElementText, SetHtmlTextMovesLeadingTextToTheParent) {
  auto root = Parse(L"<ul><li>a</li></ul>");
  ZELHtmlElement* ul = Child(root.get(), 0);
  ZELHtmlElement* li = Child(ul, 0);
  li->SetHtmlText(L"hello <b>x</b>");
  EXPECT_EQ(W(li->GetTagName()), L"b");
  EXPECT_EQ(li->GetChildCount(), 2);
  EXPECT_EQ(li->m_nEndTagIndex, 1);
  ASSERT_EQ(ul->GetChildCount(), 3);
  EXPECT_EQ(W(Child(ul, 2)->m_strHtml), L"hello ");  // after </ul>
  EXPECT_EQ(W(ul->GetFullText()), L"<ul><b>x</b></ul>hello ");

  li->SetHtmlText(L"");
  EXPECT_EQ(li->GetType(), ZELHTML_TEXT);
  EXPECT_EQ(li->GetChildCount(), 0);
  EXPECT_EQ(W(li->m_strHtml), L"");
  li->SetHtmlText(L"only text");
  EXPECT_EQ(W(li->m_strHtml), L"") << "the text now lives in the parent alone";
  EXPECT_EQ(W(ul->GetFullText()), L"<ul></ul>hello only text");
}

TEST(HtmlElementText, UpdateElementFromText) {
  auto root = Parse(L"<div><p>1</p></div>");
  ZELHtmlElement* div = Child(root.get(), 0);
  div->m_strHtml = L"<section id=\"s\"><i>";
  div->UpdateElement(FALSE);
  EXPECT_EQ(W(div->GetTagName()), L"section");
  EXPECT_EQ(W(div->GetAttribute(L"id")), L"s");
  ASSERT_EQ(div->GetChildCount(), 1);  // the old children are gone; the i below
  EXPECT_EQ(W(Child(div, 0)->GetTagName()), L"i");
  EXPECT_EQ(W(div->GetFullText()), L"<section id=\"s\"><i>");

  ZELHtmlElement text(NULL);
  text.m_strHtml = L"plain";
  text.UpdateElement(FALSE);  // a text element is left alone
  EXPECT_EQ(W(text.m_strHtml), L"plain");
}

TEST(HtmlElementText, AddChildHtmlCountsTokensAndCanCloseThisElement) {
  auto root = Parse(L"<div>");
  ZELHtmlElement* div = Child(root.get(), 0);
  EXPECT_EQ(div->AddChild_Html(L"<p>a</p>b</div>"), 5);
  EXPECT_EQ(div->m_nEndTagIndex, 2);
  EXPECT_EQ(root->AddChild_Html(L""), 0);
  EXPECT_EQ(root->AddChild_Html(NULL), 0);
  EXPECT_EQ(W(root->GetFullText()), L"<div><p>a</p>b</div>");
}

// New tokens below an element that already has its end tag go before it;
// the ones they open keep their children until they close, also when an
// outer end tag closes several at once or the text ends first.
TEST(HtmlElementText, AddChildHtmlBelowAClosedElement) {
  auto root = Parse(L"<div><span>x</span></div>");
  ZELHtmlElement* div = Child(root.get(), 0);
  EXPECT_EQ(div->AddChild_Html(L"<p><b>y</b>z"), 5);
  ASSERT_EQ(div->GetChildCount(), 3);
  EXPECT_EQ(div->m_nEndTagIndex, 2);
  ZELHtmlElement* p = Child(div, 1);
  EXPECT_EQ(p->GetType(), ZELHTML_START_TAG);
  EXPECT_EQ(p->m_nEndTagIndex, -1) << "left open by the end of the text";
  ASSERT_EQ(p->GetChildCount(), 2);
  EXPECT_EQ(Child(p, 0)->m_nEndTagIndex, 1);
  EXPECT_EQ(Child(p, 1)->GetParent(), p);
  EXPECT_EQ(W(root->GetFullText()), L"<div><span>x</span><p><b>y</b>z</div>");

  root = Parse(L"<div></div>");
  div = Child(root.get(), 0);
  EXPECT_EQ(div->AddChild_Html(L"<ul><li>1<LI>2</ul></div>after"), 8);
  ASSERT_EQ(div->GetChildCount(), 3);
  EXPECT_EQ(div->m_nEndTagIndex, 2) << "the first end tag stays the last child";
  ZELHtmlElement* ul = Child(div, 0);
  ASSERT_EQ(ul->GetChildCount(), 2);
  EXPECT_EQ(ul->m_nEndTagIndex, 1);
  ZELHtmlElement* li = Child(ul, 0);
  EXPECT_EQ(li->GetType(), ZELHTML_START_TAG);
  ASSERT_EQ(li->GetChildCount(), 2);
  EXPECT_EQ(Child(li, 1)->GetType(), ZELHTML_EMPTY_TAG) << "the innermost one the outer end tag closed";
  EXPECT_EQ(Child(li, 1)->GetChildCount(), 1);
  ASSERT_EQ(root->GetChildCount(), 2);
  EXPECT_EQ(W(root->GetFullText()), L"<div><ul><li>1<LI>2</ul></div></div>after");
}

// Tags at every position of the tokenizer's four-character steps.
TEST(HtmlParse, TagsAtEveryOffset) {
  Element e;
  CStringArray t;
  for (int k = 0; k < 12; ++k) {
    std::wstring a(static_cast<size_t>(k), L'a'), c(static_cast<size_t>(k) + 5, L'c');
    int n = e.SplitElement((a + L"<b>" + c + L"</b>>" + a).c_str(), t);
    ASSERT_EQ(n, k ? 6 : 4) << k;
    int i = 0;
    if (k) {
      EXPECT_EQ(W(t[i++]), a);
    }
    EXPECT_EQ(W(t[i++]), L"<b>");
    EXPECT_EQ(W(t[i++]), c);
    EXPECT_EQ(W(t[i++]), L"</b>");
    EXPECT_EQ(W(t[i++]), L">");
    if (k) {
      EXPECT_EQ(W(t[i++]), a);
    }
  }
}
