// ZELHtmlSelection: a list of elements of one document, filled by
// ZELHtmlElement::SelectChild. It owns none of them; an entry is valid only
// while the document holds its element, and a deletion in the document is
// not noticed here (reset or refill the selection after one).
#pragma once

#include "ZELExport.h"

#include "ZELHtmlElement.h"

class ZEL_EXPORT ZELHtmlSelection {
public:
  ZELHtmlSelection();
  virtual ~ZELHtmlSelection();

  int GetCount();
  // NULL outside 0 .. GetCount()-1.
  ZELHtmlElement* GetElement(int nIndex);
  // Deletes the element (and its subtree) from the document and drops it
  // from the list.
  void DeleteElement(int nIndex);
  void DeleteElementAll();
  // Empties the list; the document is untouched.
  void Reset();

  CArray<ZELHtmlElement*, ZELHtmlElement*> m_arrElement;

protected:
  friend class ZELHtmlElement;
  void AddElement(ZELHtmlElement* pElement);
};
