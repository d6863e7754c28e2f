// The element itself: its token parser, attributes and token text. The tree
// operations are in ZELHtmlTree.cpp.
#include "ZELHtmlElement.h"

#include <cstdint>
#include <cwchar>
#include <optional>
#include <vector>

#include "ZELGF.h"
#include "platform/base/SmallPool.h"
#include "html/HtmlStringCache.h"
#include "html/HtmlTokenizer.h"
#include "html/HtmlTreeBuilder.h"

namespace {

// The white space that trimming removes.
// Tab, line feed, vertical tab, form feed and carriage return are 9 to 13.
bool IsSpace(wchar_t c) { return c == L' ' || static_cast<uint32_t>(c) - 9u <= 4u; }

// What ends a tag name; "/" does not, so "<br/>" is named "br/".
bool IsNameEnd(wchar_t c) { return c == L' ' || c == L'>' || c == L'\r' || c == L'\n' || c == L'\t'; }

inline void TrimRange(const wchar_t*& b, const wchar_t*& e) {
  while (b < e && IsSpace(*b)) ++b;
  while (e > b && IsSpace(e[-1])) --e;
}

// Only double-quoted values make attributes: a quote opens a value when
// nothing is collected, and closes it otherwise; "=" outside quotes ends a
// name. Whatever is left at the end (a bare name, an unquoted or unclosed
// value) is dropped. What is collected is always one run of the input, so
// it is kept as a range and copied only into the attribute it becomes.
template <class Found>
void ScanAttributes(const wchar_t* p, const wchar_t* end, Found&& found) {
  const wchar_t* bs = p;  // the collected run is [bs, q)
  const wchar_t *nameB = nullptr, *nameE = nullptr;
  bool inQuote = false;
  for (const wchar_t* q = p; q < end; ++q) {
    // Inside quotes only the closing quote matters.
    q = inQuote ? ZelHtmlFindEither(q, end, L'"', L'"') : ZelHtmlFindEither(q, end, L'"', L'=');
    if (q == end) break;
    const wchar_t *tb = bs, *te = q;
    TrimRange(tb, te);
    if (*q == L'"') {
      inQuote = true;
      if (tb == te) {
        bs = q;  // the opening quote
        continue;
      }
      // The value is the trimmed run and this closing quote.
      if (nameB) found(nameB, nameE, tb, te);
      inQuote = false;
      nameB = nameE = nullptr;
      bs = q + 1;
    } else if (tb == te) {
      bs = q;  // a lone "=" is collected as a character
    } else {
      nameB = tb;
      nameE = te;
      bs = q + 1;
    }
  }
}

}  // namespace

void* ZELHtmlElement::operator new(size_t size) {
  return size == sizeof(ZELHtmlElement) ? ZelPoolAlloc(size) : ::operator new(size);
}

void ZELHtmlElement::operator delete(void* p, size_t size) {
  if (size == sizeof(ZELHtmlElement)) ZelPoolFree(p);
  else ::operator delete(p);
}

ZELHtmlElement::ZELHtmlElement(ZELHtmlElement* pParent)
    : m_nType(ZELHTML_TEXT), m_pParent(pParent), m_nEndTagIndex(-1) {}

ZELHtmlElement::~ZELHtmlElement() { Clear(); }

void ZELHtmlElement::Clear() {
  if (!m_arrChild.IsEmpty()) RemoveChildAll();
  m_arrAttribute.RemoveAll();
  m_strTagName.Empty();
  m_strEndTagName.Empty();
  m_nType = ZELHTML_TEXT;
  m_nEndTagIndex = -1;
}

void ZELHtmlElement::SetFromHtml(const wchar_t* token) {
  CString text(token);  // token may be our own text, which Clear keeps
  Clear();
  SetFromToken(text.GetString(), static_cast<size_t>(text.GetLength()), nullptr);
}

void ZELHtmlElement::SetFromToken(const wchar_t* p, size_t n, ZELHtmlStringCache* cache) {
  m_strHtml = ZelHtmlString(cache, p, n);
  const wchar_t* b = m_strHtml.GetString();
  const wchar_t* e = b + m_strHtml.GetLength();
  TrimRange(b, e);
  if (b == e) return;
  if (e - b >= 7 && b[0] == L'<' && b[1] == L'!' && b[2] == L'-' && b[3] == L'-') {
    m_strTagName = L"!--";
    m_nType = ZELHTML_COMMENT;
    return;
  }
  if (*b != L'<') return;
  const wchar_t* q = b + 1;
  while (q < e && !IsNameEnd(*q)) ++q;
  if (q == b + 1) return;  // "<" with no name is text
  m_strTagName = ZelHtmlString(cache, b + 1, static_cast<size_t>(q - b - 1));
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
    // "/" and the name, put together on the stack for the usual short name.
    wchar_t shortName[64];
    std::wstring longName;
    size_t len = static_cast<size_t>(m_strTagName.GetLength()) + 1;
    wchar_t* endName = shortName;
    if (len > 64) {
      longName.resize(len);
      endName = &longName[0];
    }
    endName[0] = L'/';
    std::wmemcpy(endName + 1, m_strTagName.GetString(), len - 1);
    m_strEndTagName = ZelHtmlString(cache, endName, len);
  }
  // A document-type declaration never has an end tag.
  if (m_strTagName.GetLength() == 8 && m_strTagName.GetString()[0] == L'!' && m_strTagName.CompareNoCase(L"!DOCTYPE") == 0) {
    m_nType = ZELHTML_EMPTY_TAG;
    m_strEndTagName.Empty();
  }
  TrimRange(r, rEnd);
  if (r < rEnd) ParseAttributes(r, rEnd, cache);
}


void ZELHtmlElement::ParseAttributes(const wchar_t* p, const wchar_t* end, ZELHtmlStringCache* cache) {
  // Collected first, so that the array is sized once; a tag rarely has
  // more attributes than fit on the stack.
  struct Found {
    const wchar_t *nb, *ne, *vb, *ve;
  };
  const size_t kLocal = 16;
  Found local[kLocal];
  std::vector<Found> more;
  size_t count = 0;
  ScanAttributes(p, end, [&](const wchar_t* nb, const wchar_t* ne, const wchar_t* vb, const wchar_t* ve) {
    if (count < kLocal) {
      local[count++] = Found{nb, ne, vb, ve};
      return;
    }
    if (more.empty()) more.assign(local, local + kLocal);
    more.push_back(Found{nb, ne, vb, ve});
    ++count;
  });
  if (!count) return;
  INT_PTR n = m_arrAttribute.GetSize();
  m_arrAttribute.SetSizePacked(n + static_cast<INT_PTR>(count));
  std::wstring value;
  for (const Found* f = more.empty() ? local : more.data(); count--; ++f) {
    const wchar_t *nb = f->nb, *ne = f->ne, *vb = f->vb, *ve = f->ve;
    __ZEL_HTML_ATTRIBUTE& a = m_arrAttribute[n++];
    a.strName = ZelHtmlString(cache, nb, static_cast<size_t>(ne - nb));
    // The value is the trimmed run and a closing quote: usually the quote
    // follows the run in the text, and the two are one piece of it.
    if (*ve == L'"') {
      a.strValue = ZelHtmlString(cache, vb, static_cast<size_t>(ve - vb) + 1);
      continue;
    }
    value.assign(vb, ve);
    value += L'"';
    a.strValue = ZelHtmlString(cache, value.data(), value.size());
  }
}

int ZELHtmlElement::SplitElement(const wchar_t* html, CStringArray& tokens) {
  tokens.RemoveAll();
  ZELHtmlTokenizer tokenizer;
  auto add = [&tokens](const wchar_t* p, size_t n) { tokens.Add(CString(p, static_cast<int>(n))); };
  if (html) tokenizer.Feed(html, std::wcslen(html), add);
  tokenizer.Finish(add);
  return static_cast<int>(tokens.GetSize());
}

int ZELHtmlElement::AddChild_Html(const wchar_t* html) {
  const size_t n = html ? std::wcslen(html) : 0;
  ZELHtmlTreeBuilder builder(this, n);
  ZELHtmlTokenizer tokenizer;
  auto add = [&builder](const wchar_t* p, size_t n) { builder.Add(p, n); };
  if (html) tokenizer.Feed(html, n, add);
  tokenizer.Finish(add);
  builder.Finish();
  return builder.GetTokenCount();
}

void ZELHtmlElement::SetHtmlText(const wchar_t* html) { Reparse(std::wstring(html ? html : L"")); }

// Takes its text by value: it may be our own m_strHtml. The old token text
// goes too, so a text without a tag leaves nothing behind to be written.
void ZELHtmlElement::Reparse(std::wstring text) {
  Clear();
  m_strHtml.Empty();
  std::optional<ZELHtmlTreeBuilder> builder;
  auto add = [&](const wchar_t* p, size_t n) {
    if (builder) {
      builder->Add(p, n);
      return;
    }
    SetFromToken(p, n, nullptr);
    if (m_nType != ZELHTML_TEXT) {
      builder.emplace(this, text.size());
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
  if (builder) builder->Finish();
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
