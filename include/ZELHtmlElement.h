// ZELHtmlElement: one node of the HTML tree, and the shallow parser that
// builds it.
//
// Every token of the text (a tag, a comment, the text between two tags) is
// one element that keeps its exact text in m_strHtml; the tree comes only
// from pairing start tags with end tags by name, without regard to case. No
// markup is ever rejected, so writing the elements back in document order
// (GetFullText) gives the parsed text again, character for character.
//
// Rules a caller sees:
// - Only double-quoted attribute values make attributes; the stored value
//   keeps its quotes. A bare name or an unquoted value gives no attribute.
// - A tag written with a final " /" is ZELHTML_EMPTY_TAG; "<br/>" is a start
//   tag named "br/". A tag named !DOCTYPE (any case) is always
//   ZELHTML_EMPTY_TAG, so that it does not swallow the page.
// - A start tag closed by the end tag of an outer element becomes
//   ZELHTML_EMPTY_TAG and keeps its children.
// - An end tag that closes nothing is kept as a child of the element then
//   open, so the text still round-trips.
// - Nothing here recurses on the machine stack: a tree of any depth is
//   parsed, searched, written and destroyed in loops.
//
// An element owns its children. Elements are not copyable. Make them with
// new and let their parent (or delete) free them.
#pragma once

#include <functional>
#include <string>

#include "ZELExport.h"

#include "platform/mfc/Array.h"
#include "platform/mfc/String.h"

#include <cstddef>
#include <string>
#include <vector>

class CStdioFile;
class CFile;
class ZELHtmlSelection;
class ZELHtml;
class ZELHtmlTreeBuilder;
class ZELHtmlStringCache;

enum ZELHTML_ELEMENT_TYPE {
  ZELHTML_TEXT = 0,       // text between tags; also a cleared element
  ZELHTML_COMMENT = 1,    // "<!--" ... at least 7 characters
  ZELHTML_START_TAG = 2,  // expects an end tag; the only type with children
  ZELHTML_END_TAG = 3,    // "</name>"
  ZELHTML_EMPTY_TAG = 4,  // "<name ... />", or a start tag an outer end tag closed
};

struct ZEL_EXPORT __ZEL_HTML_ATTRIBUTE {
  CString strName;   // as written
  CString strValue;  // as written, double quotes included: "abc" is 5 characters
};

class ZEL_EXPORT ZELHtmlElement {
public:
  explicit ZELHtmlElement(ZELHtmlElement* pParent);
  virtual ~ZELHtmlElement();
  ZELHtmlElement(const ZELHtmlElement&) = delete;
  ZELHtmlElement& operator=(const ZELHtmlElement&) = delete;

  // Elements come from a pool of large blocks (a page is millions of
  // them); a derived class of another size uses the general heap.
  static void* operator new(size_t size);
  static void operator delete(void* p, size_t size);

  // Makes this element the first tag of html and builds the rest below it.
  // Text before that tag is appended to the parent (dropped when there is
  // none); a text with no tag leaves the element cleared, its text empty.
  void SetHtmlText(const wchar_t* html);
  // Parses html and adds its tokens below this element; the token count.
  int AddChild_Html(const wchar_t* html);

  CString GetTagName();
  CString GetEndTagName();
  ZELHTML_ELEMENT_TYPE GetType();
  int CanHasChild();

  // The value without its double quotes; empty when there is none.
  CString GetAttribute(const wchar_t* name);
  // Sets (keeping the name's old spelling) or appends; with bUpdate the
  // token text is rebuilt from the tag name and attributes.
  void SetAttribute(const wchar_t* name, const wchar_t* value, int bUpdate);
  void DeleteAttribute(const wchar_t* name, int bUpdate);
  // bFromAttributes: token text from the parsed fields; otherwise the
  // fields (and the children) again from the token text.
  void UpdateElement(int bFromAttributes);
  // Deletes the children and the parsed fields; m_strHtml stays.
  void Clear();

  // With bInsert and an end-tag child, pChild goes just before the end tag
  // and the answer is the end tag's new index; otherwise it is appended and
  // the answer is its index. pChild is not taken from a previous parent.
  int AddChild(ZELHtmlElement* pChild, int bInsert);
  void RemoveChild(ZELHtmlElement* pChild);  // deletes it; not a child: nothing
  void RemoveChildAll();
  int GetChildCount();
  ZELHtmlElement* GetParent();

  // Direct children by tag name (any case), nIndex-th match from 0.
  ZELHtmlElement* FindChild(const wchar_t* name, int nIndex);
  // "a/b/c": the first a, its first b, then its nIndex-th c. Empty parts
  // ("a//b", a leading "/") are skipped.
  ZELHtmlElement* FindChildFormPath(const wchar_t* path, int nIndex);
  // This element or its nearest ancestor whose end-tag name is endTagName
  // (such as "/div"), any case.
  ZELHtmlElement* FindParent(const wchar_t* endTagName);
  // Counts the children of that tag name and, given a selection, resets it
  // and lists them in it.
  int SelectChild(const wchar_t* name, ZELHtmlSelection* pSelection);
  CString GetFullText();

  CString m_strHtml;
  CString m_strTagName;
  CString m_strEndTagName;
  ZELHTML_ELEMENT_TYPE m_nType;
  CArray<__ZEL_HTML_ATTRIBUTE> m_arrAttribute;
  ZELHtmlElement* m_pParent;
  CArray<ZELHtmlElement*, ZELHtmlElement*> m_arrChild;
  int m_nEndTagIndex;

protected:
  void SetFromHtml(const wchar_t* token);
  int SplitElement(const wchar_t* html, CStringArray& tokens);
  int FindAttribute(const wchar_t* name);
  int WriteToFile(CStdioFile& file);

private:
  friend class ZELHtml;
  friend class ZELHtmlSelection;
  friend class ZELHtmlTreeBuilder;

  // Parses the token [p, p + n) into a cleared element; strings come from
  // cache when given.
  void SetFromToken(const wchar_t* p, size_t n, ZELHtmlStringCache* cache);
  void Reparse(std::wstring text);
  void ParseAttributes(const wchar_t* p, const wchar_t* end, ZELHtmlStringCache* cache);
  // The subtree's text in blocks to write: UTF-8, or with bBytes each
  // character below 0x100 as one byte (and any other as UTF-8). false as
  // soon as write answers false.
  bool WriteTree(const std::function<bool(const std::string&)>& write, BOOL bBytes);
  // Drops the listed children of this element in one pass (for selections).
  void RemoveChildren(const ZELHtmlElement* const* list, size_t count);
  // Deletes whole subtrees without recursion.
  static void DeleteTrees(std::vector<ZELHtmlElement*>&& work);
  static void DeleteTree(ZELHtmlElement* top);
};
