// The element itself: its token parser, attributes and token text. The tree
// operations are in ZELHtmlTree.cpp.
#include "ZELHtmlElement.h"

#include <cwchar>
#include <optional>

#include "ZELGF.h"
#include "html/HtmlTokenizer.h"
#include "html/HtmlTreeBuilder.h"

namespace {

// The white space that trimming removes.
bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

// What ends a tag name; "/" does not, so "<br/>" is named "br/".
bool IsNameEnd(wchar_t c) { return c == L' ' || c == L'>' || c == L'\r' || c == L'\n' || c == L'\t'; }

void TrimRange(const wchar_t*& b, const wchar_t*& e) {
  while (b < e && IsSpace(*b)) ++b;
  while (e > b && IsSpace(e[-1])) --e;
}

void TrimString(std::wstring& s) {
  size_t e = s.size();
  while (e > 0 && IsSpace(s[e - 1])) --e;
  size_t b = 0;
  while (b < e && IsSpace(s[b])) ++b;
  s.erase(e);
  s.erase(0, b);
}

}  // namespace

ZELHtmlElement::ZELHtmlElement(ZELHtmlElement* pParent)
    : m_nType(ZELHTML_TEXT), m_pParent(pParent), m_nEndTagIndex(-1) {}

ZELHtmlElement::~ZELHtmlElement() { Clear(); }

void ZELHtmlElement::Clear() {
  RemoveChildAll();
  m_arrAttribute.RemoveAll();
  m_strTagName.Empty();
  m_strEndTagName.Empty();
  m_nType = ZELHTML_TEXT;
  m_nEndTagIndex = -1;
}

void ZELHtmlElement::SetFromHtml(const wchar_t* token) { SetFromToken(std::wstring(token ? token : L"")); }

void ZELHtmlElement::SetFromToken(std::wstring&& token) {
  Clear();
  m_strHtml = CString(std::move(token));
  const std::wstring& s = m_strHtml.str();
  const wchar_t* b = s.data();
  const wchar_t* e = b + s.size();
  TrimRange(b, e);
  if (b == e) return;
  if (e - b >= 7 && std::wmemcmp(b, L"<!--", 4) == 0) {
    m_strTagName = L"!--";
    m_nType = ZELHTML_COMMENT;
    return;
  }
  if (*b != L'<') return;
  const wchar_t* q = b + 1;
  while (q < e && !IsNameEnd(*q)) ++q;
  if (q == b + 1) return;  // "<" with no name is text
  m_strTagName = CString(std::wstring(b + 1, q));
  if (q < e) ++q;  // the delimiter

  // The rest of the tag without its ">" characters, trimmed. A token cut
  // by the tokenizer has at most one ">", at its end, and is scanned in
  // place; any other text is copied without them.
  std::wstring copy;
  const wchar_t* r = q;
  const wchar_t* rEnd = e;
  if (rEnd > r && rEnd[-1] == L'>') --rEnd;
  if (std::wmemchr(r, L'>', static_cast<size_t>(rEnd - r))) {
    for (; q < e; ++q)
      if (*q != L'>') copy += *q;
    r = copy.data();
    rEnd = r + copy.size();
  }
  TrimRange(r, rEnd);
  if (r == rEnd && m_strTagName[0] == L'/') {
    m_nType = ZELHTML_END_TAG;
  } else if (r < rEnd && rEnd[-1] == L'/') {
    m_nType = ZELHTML_EMPTY_TAG;
    --rEnd;
  } else {
    m_nType = ZELHTML_START_TAG;
    std::wstring endName;
    endName.reserve(static_cast<size_t>(m_strTagName.GetLength()) + 1);
    endName += L'/';
    endName += m_strTagName.str();
    m_strEndTagName = CString(std::move(endName));
  }
  // A document-type declaration never has an end tag.
  if (m_strTagName.CompareNoCase(L"!DOCTYPE") == 0) {
    m_nType = ZELHTML_EMPTY_TAG;
    m_strEndTagName.Empty();
  }
  TrimRange(r, rEnd);
  if (r < rEnd) ParseAttributes(r, rEnd);
}

// Only double-quoted values make attributes: a quote opens a value when
// nothing is collected, and closes it otherwise; "=" outside quotes ends a
// name. Whatever is left at the end (a bare name, an unquoted or unclosed
// value) is dropped.
void ZELHtmlElement::ParseAttributes(const wchar_t* p, const wchar_t* end) {
  // Gathered first, so that the array is sized once.
  std::vector<__ZEL_HTML_ATTRIBUTE> found;
  std::wstring buf, name;
  bool haveName = false, inQuote = false;
  for (; p < end; ++p) {
    wchar_t c = *p;
    if (c == L'"') {
      inQuote = true;
      TrimString(buf);
      buf += c;
      if (buf.size() == 1) continue;  // the opening quote
      inQuote = false;
      if (haveName) found.push_back({CString(std::move(name)), CString(std::move(buf))});
      haveName = false;
      name.clear();
      buf.clear();
    } else if (c == L'=' && !inQuote) {
      TrimString(buf);
      if (buf.empty()) {
        buf += c;
      } else {
        name.swap(buf);
        buf.clear();
        haveName = true;
      }
    } else {
      buf += c;
    }
  }
  if (found.empty()) return;
  INT_PTR n = m_arrAttribute.GetSize();
  m_arrAttribute.SetSize(n + static_cast<INT_PTR>(found.size()));
  for (__ZEL_HTML_ATTRIBUTE& a : found) m_arrAttribute[n++] = std::move(a);
}

int ZELHtmlElement::SplitElement(const wchar_t* html, CStringArray& tokens) {
  tokens.RemoveAll();
  ZELHtmlTokenizer tokenizer;
  auto add = [&tokens](std::wstring&& t) { tokens.Add(CString(std::move(t))); };
  if (html) tokenizer.Feed(html, std::wcslen(html), add);
  tokenizer.Finish(add);
  return static_cast<int>(tokens.GetSize());
}

int ZELHtmlElement::AddChild_Html(const wchar_t* html) {
  ZELHtmlTreeBuilder builder(this);
  ZELHtmlTokenizer tokenizer;
  auto add = [&builder](std::wstring&& t) { builder.Add(std::move(t)); };
  if (html) tokenizer.Feed(html, std::wcslen(html), add);
  tokenizer.Finish(add);
  return builder.GetTokenCount();
}

void ZELHtmlElement::SetHtmlText(const wchar_t* html) { Reparse(std::wstring(html ? html : L"")); }

// Takes its text by value: it may be our own m_strHtml. The old token text
// goes too, so a text without a tag leaves nothing behind to be written.
void ZELHtmlElement::Reparse(std::wstring text) {
  Clear();
  m_strHtml.Empty();
  std::optional<ZELHtmlTreeBuilder> builder;
  auto add = [&](std::wstring&& t) {
    if (builder) {
      builder->Add(std::move(t));
      return;
    }
    SetFromToken(std::move(t));
    if (m_nType != ZELHTML_TEXT) {
      builder.emplace(this);
      return;
    }
    // Text before the first tag belongs before this element: the parent
    // takes it, after all its children.
    CString moved(std::move(m_strHtml));
    m_strHtml.Empty();
    if (m_pParent) {
      ZELHtmlElement* e = new ZELHtmlElement(m_pParent);
      e->m_strHtml = std::move(moved);
      m_pParent->AddChild(e, FALSE);
    }
  };
  ZELHtmlTokenizer tokenizer;
  tokenizer.Feed(text.data(), text.size(), add);
  tokenizer.Finish(add);
}

CString ZELHtmlElement::GetTagName() { return m_strTagName; }
CString ZELHtmlElement::GetEndTagName() { return m_strEndTagName; }
ZELHTML_ELEMENT_TYPE ZELHtmlElement::GetType() { return m_nType; }
int ZELHtmlElement::CanHasChild() { return m_nType == ZELHTML_START_TAG ? TRUE : FALSE; }

int ZELHtmlElement::FindAttribute(const wchar_t* name) {
  for (INT_PTR i = 0; i < m_arrAttribute.GetSize(); ++i)
    if (m_arrAttribute[i].strName.CompareNoCase(name) == 0) return static_cast<int>(i);
  return -1;
}

CString ZELHtmlElement::GetAttribute(const wchar_t* name) {
  int i = FindAttribute(name);
  if (i < 0) return CString();
  CString value = m_arrAttribute[i].strValue;
  value.Remove(L'"');
  return value;
}

void ZELHtmlElement::SetAttribute(const wchar_t* name, const wchar_t* value, int bUpdate) {
  CString quoted = L'"' + CString(value) + L'"';
  int i = FindAttribute(name);
  if (i >= 0) m_arrAttribute[i].strValue = quoted;
  else m_arrAttribute.Add(__ZEL_HTML_ATTRIBUTE{CString(name), quoted});
  if (bUpdate) UpdateElement(TRUE);
}

void ZELHtmlElement::DeleteAttribute(const wchar_t* name, int bUpdate) {
  int i = FindAttribute(name);
  if (i < 0) return;
  m_arrAttribute.RemoveAt(i);
  if (bUpdate) UpdateElement(TRUE);
}

void ZELHtmlElement::UpdateElement(int bFromAttributes) {
  if (m_strTagName.IsEmpty()) return;
  if (!bFromAttributes) {
    Reparse(m_strHtml.str());
    return;
  }
  CString html = L"<" + m_strTagName + L" ";
  for (const __ZEL_HTML_ATTRIBUTE& a : m_arrAttribute) html += a.strName + L"=" + a.strValue + L" ";
  ZELGF::Trim(html);
  html += m_nType == ZELHTML_EMPTY_TAG ? L"/>" : L">";
  m_strHtml = html;
}
