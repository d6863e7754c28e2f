#include "html/HtmlTreeBuilder.h"

#include <algorithm>
#include <cwctype>

ZELHtmlTreeBuilder::ZELHtmlTreeBuilder(ZELHtmlElement* pStart, size_t nTextLength)
    : m_pCurrent(pStart), m_open(64, Count{0, 0}), m_cache(nTextLength) {
  for (ZELHtmlElement* e = pStart; e; e = e->m_pParent) Open(e, 1);
}

// FNV-1a over the characters as wcscasecmp folds them, so names that
// CompareNoCase finds equal always share a key.
uint64_t ZELHtmlTreeBuilder::NameKey(const CString& endTagName) {
  uint64_t h = 1469598103934665603ull;
  for (wchar_t c : endTagName.view()) {
    wint_t w = static_cast<wint_t>(c);
    w = w < 0x80 ? (w >= L'A' && w <= L'Z' ? w + 32 : w) : std::towlower(w);
    h ^= static_cast<uint64_t>(static_cast<uint32_t>(w));
    h *= 1099511628211ull;
  }
  return h ? h : 1;
}

uint64_t ZELHtmlTreeBuilder::KeyOf(const CString& endTagName) {
  const wchar_t* p = endTagName.GetString();
  Known& k = m_known[(reinterpret_cast<uintptr_t>(p) >> 3) % 64];
  if (k.name.GetString() != p) {
    k.key = NameKey(endTagName);
    k.name = endTagName;
  }
  return k.key;
}

int ZELHtmlTreeBuilder::CountOf(uint64_t key) const {
  size_t mask = m_open.size() - 1;
  for (size_t i = (key ^ (key >> 29)) & mask; m_open[i].key; i = (i + 1) & mask)
    if (m_open[i].key == key) return m_open[i].n;
  return 0;
}

int& ZELHtmlTreeBuilder::OpenCount(uint64_t key) {
  size_t mask = m_open.size() - 1;
  for (size_t i = (key ^ (key >> 29)) & mask;; i = (i + 1) & mask) {
    if (m_open[i].key == key) return m_open[i].n;
    if (m_open[i].key) continue;
    if (2 * (m_nNames + 1) <= m_open.size()) {
      ++m_nNames;
      m_open[i].key = key;
      return m_open[i].n;
    }
    // Half full: twice the room, and the key placed again.
    std::vector<Count> old(2 * m_open.size(), Count{0, 0});
    old.swap(m_open);
    m_nNames = 0;
    for (const Count& c : old)
      if (c.key) OpenCount(c.key) = c.n;
    return OpenCount(key);
  }
}

void ZELHtmlTreeBuilder::Open(ZELHtmlElement* e, int delta) {
  if (e->m_strEndTagName.IsEmpty()) return;
  OpenCount(KeyOf(e->m_strEndTagName)) += delta;
}

ZELHtmlTreeBuilder::~ZELHtmlTreeBuilder() {
  for (ZELHtmlElement* e : m_kids) ZELHtmlElement::DeleteTree(e);
}

void ZELHtmlTreeBuilder::Finish() {
  while (!m_levels.empty()) Settle();
}

void ZELHtmlTreeBuilder::Settle() {
  Level level = m_levels.back();
  CArray<ZELHtmlElement*, ZELHtmlElement*>& arr = level.element->m_arrChild;
  const size_t n = m_kids.size() - level.first;
  if (n) {
    arr.SetSizePacked(static_cast<INT_PTR>(n));
    std::copy(m_kids.begin() + static_cast<ptrdiff_t>(level.first), m_kids.end(), arr.GetData());
  }
  m_kids.resize(level.first);
  m_levels.pop_back();
}

void ZELHtmlTreeBuilder::Append(ZELHtmlElement* e) {
  if (!m_levels.empty() && m_levels.back().element == m_pCurrent) {
    e->m_pParent = m_pCurrent;
    m_kids.push_back(e);
    return;
  }
  m_pCurrent->AddChild(e, m_pCurrent != m_pSealed);
}

void ZELHtmlTreeBuilder::Add(const wchar_t* p, size_t n) {
  ++m_nTokens;
  ZELHtmlElement* e = new ZELHtmlElement(m_pCurrent);
  e->SetFromToken(p, n, &m_cache);
  if (e->m_nType == ZELHTML_END_TAG) {
    Close(e);
    return;
  }
  Append(e);
  if (e->m_nType == ZELHTML_START_TAG) {
    m_levels.push_back(Level{e, m_kids.size()});
    m_pCurrent = e;
    Open(e, 1);
  }
}

void ZELHtmlTreeBuilder::Close(ZELHtmlElement* pEnd) {
  // Usually the end tag closes the element just opened, spelled the same
  // (the string cache makes them one buffer): FindParent's first answer.
  ZELHtmlElement* p = nullptr;
  const CString& name = pEnd->m_strTagName;
  const CString& open = m_pCurrent->m_strEndTagName;
  if (open.GetString() == name.GetString() || (!open.IsEmpty() && open == name)) p = m_pCurrent;
  else if (CountOf(KeyOf(name)) > 0) p = m_pCurrent->FindParent(name);
  if (!p || p == m_pSealed) {
    // Closes nothing: kept where it stands, so the text survives.
    Append(pEnd);
    return;
  }
  // Everything from the current element up to p leaves the open chain;
  // only the innermost becomes an empty tag, keeping its children.
  // Their child lists are complete now, so they move to exact blocks.
  for (ZELHtmlElement* e = m_pCurrent; e != p; e = e->m_pParent) {
    Open(e, -1);
    if (!m_levels.empty() && m_levels.back().element == e) Settle();
    else e->m_arrChild.SetSizePacked(e->m_arrChild.GetSize());
  }
  Open(p, -1);
  if (p != m_pCurrent) m_pCurrent->m_nType = ZELHTML_EMPTY_TAG;
  m_pCurrent = p;
  pEnd->m_pParent = p;
  if (!m_levels.empty() && m_levels.back().element == p) {
    // Its end tag is its last child, and it may not be inserted anywhere
    // else: the element is fresh, without an end tag yet.
    m_kids.push_back(pEnd);
    p->m_nEndTagIndex = static_cast<int>(m_kids.size() - m_levels.back().first - 1);
    Settle();
  } else {
    p->m_nEndTagIndex = p->AddChild(pEnd, TRUE);
    p->m_arrChild.SetSizePacked(p->m_arrChild.GetSize());
  }
  if (p->m_pParent) m_pCurrent = p->m_pParent;
  else m_pSealed = p;
}
