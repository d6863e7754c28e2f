// The element's tree operations: children, searches, selection and
// writing. Walks over a subtree use an explicit stack, never recursion, so
// a tree of any depth is safe.
#include <unordered_set>

#include "ZELGF.h"
#include "ZELHtmlElement.h"
#include "ZELHtmlSelection.h"
#include "html/HtmlBytes.h"
#include "platform/mfc/File.h"

namespace {

// Visits top and then its subtree in document order.
template <class Visit>
void PreOrder(ZELHtmlElement* top, Visit&& visit) {
  visit(top);
  std::vector<std::pair<ZELHtmlElement*, INT_PTR>> stack;
  if (top->m_arrChild.GetSize()) stack.emplace_back(top, 0);
  while (!stack.empty()) {
    ZELHtmlElement* e = stack.back().first;
    INT_PTR i = stack.back().second++;
    if (i + 1 >= e->m_arrChild.GetSize()) stack.pop_back();
    ZELHtmlElement* c = e->m_arrChild.GetData()[i];
    visit(c);
    if (c->m_arrChild.GetSize()) stack.emplace_back(c, 0);
  }
}

}  // namespace

// Without memory of its own: it runs when memory has run out. Each last
// child is detached and descended into, and the parent link leads back up
// once it is gone, so no destructor ever has a subtree to walk.
void ZELHtmlElement::DeleteTree(ZELHtmlElement* top) {
  ZELHtmlElement* e = top;
  while (e) {
    INT_PTR n = e->m_arrChild.GetSize();
    if (n) {
      ZELHtmlElement* c = e->m_arrChild[n - 1];
      e->m_arrChild.SetSize(n - 1);
      c->m_pParent = e;
      e = c;
      continue;
    }
    ZELHtmlElement* up = e == top ? nullptr : e->m_pParent;
    delete e;
    e = up;
  }
}

void ZELHtmlElement::DeleteTrees(std::vector<ZELHtmlElement*>&& work) {
  for (ZELHtmlElement* e : work) DeleteTree(e);
}

int ZELHtmlElement::AddChild(ZELHtmlElement* pChild, int bInsert) {
  if (!pChild) return -1;
  pChild->m_pParent = this;
  if (bInsert && m_nEndTagIndex != -1) {
    m_arrChild.InsertAt(m_nEndTagIndex, pChild);
    return ++m_nEndTagIndex;
  }
  return static_cast<int>(m_arrChild.Add(pChild));
}

void ZELHtmlElement::RemoveChild(ZELHtmlElement* pChild) {
  for (INT_PTR i = 0; i < m_arrChild.GetSize(); ++i) {
    if (m_arrChild[i] != pChild) continue;
    m_arrChild.RemoveAt(i);
    if (i < m_nEndTagIndex) --m_nEndTagIndex;
    else if (i == m_nEndTagIndex) m_nEndTagIndex = -1;
    DeleteTree(pChild);
    return;
  }
}

void ZELHtmlElement::RemoveChildAll() {
  m_nEndTagIndex = -1;
  for (INT_PTR n = m_arrChild.GetSize(); n > 0; --n) {
    ZELHtmlElement* c = m_arrChild[n - 1];
    m_arrChild.SetSize(n - 1);
    DeleteTree(c);
  }
  m_arrChild.RemoveAll();
}

// One pass over the children however many are dropped; the end tag keeps
// its place among those that stay.
void ZELHtmlElement::RemoveChildren(const ZELHtmlElement* const* list, size_t count) {
  std::unordered_set<const ZELHtmlElement*> drop(list, list + count);
  ZELHtmlElement* endTag = m_nEndTagIndex >= 0 && m_nEndTagIndex < m_arrChild.GetSize() ? m_arrChild[m_nEndTagIndex] : nullptr;
  std::vector<ZELHtmlElement*> kept, dropped;
  for (ZELHtmlElement* c : m_arrChild) (drop.count(c) ? dropped : kept).push_back(c);
  if (dropped.empty()) return;
  m_arrChild.RemoveAll();
  m_nEndTagIndex = -1;
  for (ZELHtmlElement* c : kept) {
    if (c == endTag) m_nEndTagIndex = static_cast<int>(m_arrChild.GetSize());
    m_arrChild.Add(c);
  }
  DeleteTrees(std::move(dropped));
}

int ZELHtmlElement::GetChildCount() { return static_cast<int>(m_arrChild.GetSize()); }
ZELHtmlElement* ZELHtmlElement::GetParent() { return m_pParent; }

ZELHtmlElement* ZELHtmlElement::FindChild(const wchar_t* name, int nIndex) {
  if (nIndex < 0) return NULL;
  for (ZELHtmlElement* c : m_arrChild)
    if (c->m_strTagName.CompareNoCase(name) == 0 && nIndex-- == 0) return c;
  return NULL;
}

ZELHtmlElement* ZELHtmlElement::FindChildFormPath(const wchar_t* path, int nIndex) {
  CStringArray parts;
  int n = ZELGF::SplitText(path, L"/", 1, parts);
  if (n <= 0) return NULL;
  ZELHtmlElement* e = this;
  for (int i = 0; i + 1 < n && e; ++i) e = e->FindChild(parts[i], 0);
  return e ? e->FindChild(parts[n - 1], nIndex) : NULL;
}

ZELHtmlElement* ZELHtmlElement::FindParent(const wchar_t* endTagName) {
  for (ZELHtmlElement* e = this; e; e = e->m_pParent)
    if (e->m_strEndTagName.CompareNoCase(endTagName) == 0) return e;
  return NULL;
}

int ZELHtmlElement::SelectChild(const wchar_t* name, ZELHtmlSelection* pSelection) {
  if (pSelection) pSelection->Reset();
  int count = 0;
  for (ZELHtmlElement* c : m_arrChild) {
    if (c->m_strTagName.CompareNoCase(name) != 0) continue;
    ++count;
    if (pSelection) pSelection->AddElement(c);
  }
  return count;
}

CString ZELHtmlElement::GetFullText() {
  std::wstring text;
  PreOrder(this, [&text](ZELHtmlElement* e) { text += e->m_strHtml.view(); });
  return CString(std::move(text));
}

// A write failure throws the file's exception to the caller.
int ZELHtmlElement::WriteToFile(CStdioFile& file) {
  WriteTree(
      [&file](const std::string& block) {
        file.Write(block.data(), static_cast<UINT>(block.size()));
        return true;
      },
      FALSE);
  return TRUE;
}

// Written in large blocks rather than one write per element.
bool ZELHtmlElement::WriteTree(const std::function<bool(const std::string&)>& write, BOOL bBytes) {
  const size_t kBlock = 1 << 16;
  std::string block;
  block.reserve(kBlock + 1024);
  bool ok = true;
  PreOrder(this, [&](ZELHtmlElement* e) {
    if (!ok) return;
    ZelHtmlAppendBytes(block, e->m_strHtml.view(), bBytes != FALSE);
    if (block.size() >= kBlock) {
      ok = write(block);
      block.clear();
    }
  });
  return ok && (block.empty() || write(block));
}
