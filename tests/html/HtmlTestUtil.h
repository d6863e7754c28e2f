// Shared by the HTML tests: parsing into a detached element, and a view of
// the element's protected parser.
#pragma once

#include <memory>
#include <string>

#include "ZELHtmlElement.h"

namespace htmltest {

class Element : public ZELHtmlElement {
public:
  explicit Element(ZELHtmlElement* pParent = NULL) : ZELHtmlElement(pParent) {}
  using ZELHtmlElement::FindAttribute;
  using ZELHtmlElement::SetFromHtml;
  using ZELHtmlElement::SplitElement;
};

// An empty holder with html parsed below it.
inline std::unique_ptr<ZELHtmlElement> Parse(const wchar_t* html) {
  auto root = std::make_unique<ZELHtmlElement>(nullptr);
  root->AddChild_Html(html);
  return root;
}

inline std::wstring W(const CString& s) { return s.str(); }

inline ZELHtmlElement* Child(ZELHtmlElement* e, int i) { return e->m_arrChild[i]; }

}  // namespace htmltest
