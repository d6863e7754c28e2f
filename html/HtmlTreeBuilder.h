// The loop that builds a subtree from a token sequence: every token becomes
// an element below the element open at that point; a start tag opens
// itself; an end tag closes the nearest open element of its name (the one
// FindParent answers) and becomes that element's last child.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ZELHtmlElement.h"
#include "html/HtmlStringCache.h"

class ZELHtmlTreeBuilder {
public:
  // Tokens go below pStart; its ancestors can be closed by them too. The
  // text's length (in characters, or a guess) sizes the string cache.
  ZELHtmlTreeBuilder(ZELHtmlElement* pStart, size_t nTextLength);
  ZELHtmlTreeBuilder(const ZELHtmlTreeBuilder&) = delete;
  ZELHtmlTreeBuilder& operator=(const ZELHtmlTreeBuilder&) = delete;
  // Without Finish (a parse that failed), the children not yet handed to
  // their elements are deleted.
  ~ZELHtmlTreeBuilder();

  void Add(const wchar_t* p, size_t n);
  // Hands the children of the elements still open to them.
  void Finish();
  int GetTokenCount() const { return m_nTokens; }

private:
  static uint64_t NameKey(const CString& endTagName);
  // NameKey, remembered by buffer: the string cache gives a page's names
  // few buffers, and every start tag and most end tags ask.
  uint64_t KeyOf(const CString& endTagName);
  // The count of a key, made zero when new; CountOf adds nothing.
  int& OpenCount(uint64_t key);
  int CountOf(uint64_t key) const;
  void Open(ZELHtmlElement* e, int delta);
  void Append(ZELHtmlElement* e);
  void Close(ZELHtmlElement* pEnd);
  // Moves the innermost open element's children to its exact array.
  void Settle();

  ZELHtmlElement* m_pCurrent;
  // A parentless element that an end tag already closed: what follows is
  // written after its end tag, so it is appended there.
  ZELHtmlElement* m_pSealed = nullptr;
  // How many elements of the open chain (m_pCurrent up to the top) carry
  // each end-tag name, by a case-folded hash. An end tag whose name counts
  // zero closes nothing and needs no walk up the chain, so that deep
  // unclosed nesting followed by stray end tags stays linear. Open
  // addressing in one array: a page has few names and looks them up on
  // every tag. A key of 0 marks a free slot (a name hashing to 0 is
  // counted under 1: a shared count only costs a walk).
  struct Count {
    uint64_t key;
    int n;
  };
  std::vector<Count> m_open;
  size_t m_nNames = 0;
  // Each entry holds its string, so that its buffer (the key) is not
  // freed and reused for another name while the entry stands.
  struct Known {
    CString name;
    uint64_t key = 0;
  };
  Known m_known[64];
  int m_nTokens = 0;
  // The children of the elements this builder opened and has not closed,
  // one run per element, innermost last: an element's array is made once,
  // exact, when it closes, rather than grown child by child on the heap.
  // Elements that were there before (pStart and its ancestors) take their
  // children at once.
  struct Level {
    ZELHtmlElement* element;
    size_t first;  // its first child in m_kids
  };
  std::vector<Level> m_levels;
  std::vector<ZELHtmlElement*> m_kids;
  ZELHtmlStringCache m_cache;
};
