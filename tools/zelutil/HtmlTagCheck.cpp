#include "HtmlTagCheck.h"

#include <cwctype>
#include <utility>
#include <vector>

#include "Command.h"
#include "ZELHtmlElement.h"

namespace zelutil {

namespace {

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

std::string Quote(const std::wstring& s) {
  const size_t kShown = 30;
  std::wstring shown = s.size() > kShown ? s.substr(0, kShown) + L"..." : s;
  return "'" + Narrow(shown.c_str()) + "'";
}

// Reads name="value" pairs from the text between the tag name and the
// closing ">" (or "/>"); answers what does not fit that form.
std::string ScanPairs(const std::wstring& body, std::vector<std::pair<std::wstring, std::wstring>>& pairs) {
  size_t i = 0, n = body.size();
  for (;;) {
    while (i < n && IsSpace(body[i])) ++i;
    if (i == n) return std::string();
    size_t start = i;
    while (i < n && !IsSpace(body[i]) && body[i] != L'=' && body[i] != L'"' && body[i] != L'\'' && body[i] != L'/')
      ++i;
    if (i == start) return "text the tag cannot keep: " + Quote(body.substr(start));
    std::wstring name = body.substr(start, i - start);
    while (i < n && IsSpace(body[i])) ++i;
    if (i == n || body[i] != L'=') return "an attribute without a value: " + Quote(name);
    ++i;
    while (i < n && IsSpace(body[i])) ++i;
    if (i < n && body[i] == L'\'') return "a single-quoted value of " + Quote(name);
    if (i == n || body[i] != L'"') return "an unquoted value of " + Quote(name);
    size_t close = body.find(L'"', i + 1);
    if (close == std::wstring::npos)
      return "a value of " + Quote(name) + " that does not close inside the tag (a '>' in a value ends the tag)";
    std::wstring value = body.substr(i + 1, close - i - 1);
    if (value.find(L'>') != std::wstring::npos) return "a '>' inside the value of " + Quote(name);
    i = close + 1;
    if (i < n && !IsSpace(body[i]))
      return "text right after the value of " + Quote(name) + ": " + Quote(body.substr(i));
    pairs.emplace_back(std::move(name), std::move(value));
  }
}

}  // namespace

std::string UnkeptTagPart(ZELHtmlElement& element) {
  std::wstring tag(element.m_strHtml.GetString(), static_cast<size_t>(element.m_strHtml.GetLength()));
  std::wstring name(element.m_strTagName.GetString(), static_cast<size_t>(element.m_strTagName.GetLength()));
  while (!tag.empty() && IsSpace(tag.back())) tag.pop_back();
  // "<!--x>" is read as a tag only while it is too short for a comment;
  // any edit would make it one, and declarations keep no attributes.
  if (!name.empty() && (name[0] == L'!' || name[0] == L'?')) return "a declaration or comment, not a tag";
  if (tag.compare(0, name.size() + 1, L"<" + name) != 0) return "the tag does not start with its name";
  if (tag.empty() || tag.back() != L'>') return "the tag is not closed";
  size_t end = tag.size() - 1;
  if (end > name.size() + 1 && tag[end - 1] == L'/') --end;
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  std::string unkept = ScanPairs(tag.substr(name.size() + 1, end - name.size() - 1), pairs);
  if (!unkept.empty()) return unkept;
  // The pairs must be exactly what the class read, or the rebuild differs.
  if (pairs.size() != static_cast<size_t>(element.m_arrAttribute.GetSize()))
    return "the attributes do not read back as written";
  for (size_t k = 0; k < pairs.size(); ++k) {
    const __ZEL_HTML_ATTRIBUTE& a = element.m_arrAttribute[static_cast<INT_PTR>(k)];
    if (pairs[k].first != a.strName.GetString() || element.GetAttribute(a.strName) != pairs[k].second.c_str())
      return "the attribute " + Quote(pairs[k].first) + " does not read back as written";
  }
  return std::string();
}

}  // namespace zelutil
