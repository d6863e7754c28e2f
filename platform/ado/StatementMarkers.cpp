#include "platform/ado/StatementMarkers.h"

#include "platform/ado/AdoErrors.h"

namespace zelado {

namespace {

bool NameChar(wchar_t c) { return c == L'_' || (c >= L'0' && c <= L'9') || ((c | 0x20) >= L'a' && (c | 0x20) <= L'z'); }

// The end of a run quoted by close starting after its opening at i; a
// doubled close is the close character itself.
size_t QuotedEnd(const std::wstring& s, size_t i, wchar_t close, bool doubles) {
  for (; i < s.size(); ++i) {
    if (s[i] != close) continue;
    if (doubles && i + 1 < s.size() && s[i + 1] == close) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return s.size();
}

// At a '$': the end of a dollar-quoted body, or npos when the '$' opens
// none (a $name parameter of another dialect, or a lone '$').
size_t DollarEnd(const std::wstring& s, size_t i) {
  size_t j = i + 1;
  if (j < s.size() && s[j] >= L'0' && s[j] <= L'9') return std::wstring::npos;
  while (j < s.size() && NameChar(s[j])) ++j;
  if (j >= s.size() || s[j] != L'$') return std::wstring::npos;
  std::wstring tag = s.substr(i, j - i + 1);
  size_t close = s.find(tag, j + 1);
  return close == std::wstring::npos ? s.size() : close + tag.size();
}

}  // namespace

void ForEachMarker(const std::wstring& s, const std::function<void(size_t)>& at) {
  size_t i = 0, end = 0;
  while (i < s.size()) {
    wchar_t c = s[i];
    wchar_t next = i + 1 < s.size() ? s[i + 1] : L'\0';
    if (c == L'\'' || c == L'"' || c == L'`') {
      i = QuotedEnd(s, i + 1, c, true);
    } else if (c == L'[') {
      i = QuotedEnd(s, i + 1, L']', false);
    } else if (c == L'-' && next == L'-') {
      end = s.find(L'\n', i + 2);
      i = end == std::wstring::npos ? s.size() : end + 1;
    } else if (c == L'/' && next == L'*') {
      end = s.find(L"*/", i + 2);
      i = end == std::wstring::npos ? s.size() : end + 2;
    } else if (c == L'$' && (i == 0 || !NameChar(s[i - 1])) && (end = DollarEnd(s, i)) != std::wstring::npos) {
      i = end;
    } else {
      if (c == L'?') at(i);
      ++i;
    }
  }
}

size_t CountMarkers(const std::wstring& text) {
  size_t n = 0;
  ForEachMarker(text, [&](size_t) { ++n; });
  return n;
}

void CheckMarkers(size_t markers, size_t values) {
  if (markers == values) return;
  Raise(ErrorKind::InvalidArgument, L"the statement has " + std::to_wstring(markers) + L" ? markers but " +
                                        std::to_wstring(values) + L" values were given; nothing was run");
}

}  // namespace zelado
