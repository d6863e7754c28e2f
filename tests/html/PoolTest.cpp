// Elements live in a pool of large blocks: slots must be reused, blocks
// handed back, elements made on one thread freed on another, and a derived
// class of another size must still be made and freed correctly.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ZELHtml.h"

namespace {

struct Tagged : ZELHtmlElement {
  explicit Tagged(ZELHtmlElement* parent) : ZELHtmlElement(parent) {}
  std::wstring note = std::wstring(100, L'x');  // a size the pool does not serve
};

std::wstring Page(int rows) {
  std::wstring html = L"<table>";
  for (int i = 0; i < rows; ++i) html += L"<tr><td class=\"c\">" + std::to_wstring(i) + L"</td></tr>";
  return html + L"</table>";
}

}  // namespace

TEST(HtmlPool, SlotsAreReusedAndSubclassesUseTheHeap) {
  ZELHtmlElement* a = new ZELHtmlElement(NULL);
  delete a;
  ZELHtmlElement* b = new ZELHtmlElement(NULL);
  EXPECT_EQ(a, b) << "a freed slot is the next one handed out";

  // A subclass child is deleted by its parent through the virtual destructor.
  b->SetHtmlText(L"<div>");
  Tagged* t = new Tagged(b);
  t->m_strHtml = L"text";
  b->AddChild(t, TRUE);
  EXPECT_EQ(b->GetFullText(), CString(L"<div>text"));
  delete b;
}

TEST(HtmlPool, DocumentsBuiltAndFreedOnOtherThreads) {
  // Several blocks' worth of elements per document, built on two threads at
  // once, then freed on the main thread in the opposite order.
  std::vector<ZELHtml*> docs(4);
  auto build = [&](int first) {
    for (int i = first; i < 4; i += 2) {
      docs[i] = new ZELHtml;
      docs[i]->Load(Page(20000 + i).c_str());
    }
  };
  std::thread t1(build, 0), t2(build, 1);
  t1.join();
  t2.join();
  for (int i = 0; i < 4; ++i) {
    ZELHtmlElement* cell = docs[i]->FindElement(L"table/tr", 19999);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->GetFullText(), CString(L"<tr><td class=\"c\">19999</td></tr>"));
  }
  for (int i = 3; i >= 0; --i) delete docs[i];
  // After everything went back, a new document still parses whole.
  ZELHtml again;
  EXPECT_EQ(again.Load(Page(3).c_str()), 2 + 3 * 5);
  EXPECT_EQ(again.FindElement(L"table", 0)->GetFullText(), CString(Page(3).c_str()));
}
