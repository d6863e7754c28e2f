#include "ZELHtmlSelection.h"

#include <vector>

ZELHtmlSelection::ZELHtmlSelection() = default;
ZELHtmlSelection::~ZELHtmlSelection() = default;

void ZELHtmlSelection::AddElement(ZELHtmlElement* pElement) { m_arrElement.Add(pElement); }
int ZELHtmlSelection::GetCount() { return static_cast<int>(m_arrElement.GetSize()); }
void ZELHtmlSelection::Reset() { m_arrElement.RemoveAll(); }

ZELHtmlElement* ZELHtmlSelection::GetElement(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) return NULL;
  return m_arrElement[nIndex];
}

void ZELHtmlSelection::DeleteElement(int nIndex) {
  ZELHtmlElement* e = GetElement(nIndex);
  if (!e) return;
  m_arrElement.RemoveAt(nIndex);
  if (e->GetParent()) e->GetParent()->RemoveChild(e);
}

// Removing entries one by one would cost a scan of the siblings each; the
// entries are grouped by parent and each parent drops them in one pass.
void ZELHtmlSelection::DeleteElementAll() {
  std::vector<ZELHtmlElement*> entries(m_arrElement.begin(), m_arrElement.end());
  m_arrElement.RemoveAll();
  std::vector<std::pair<ZELHtmlElement*, std::vector<ZELHtmlElement*>>> groups;
  for (ZELHtmlElement* e : entries) {
    ZELHtmlElement* parent = e ? e->GetParent() : NULL;
    if (!parent) continue;
    if (groups.empty() || groups.back().first != parent) groups.emplace_back(parent, std::vector<ZELHtmlElement*>());
    groups.back().second.push_back(e);
  }
  for (auto& [parent, list] : groups) parent->RemoveChildren(list.data(), list.size());
}
