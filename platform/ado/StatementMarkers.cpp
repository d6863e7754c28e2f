#include "platform/ado/StatementMarkers.h"

#include "platform/ado/AdoErrors.h"

namespace zelado {

namespace {

// Letters, digits, '_' and (for UTF-8 text) any byte of a multibyte
// character: what may stand before a $ that is not a quote.
template <class Char>
bool NameChar(Char c) {
  return c == '_' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') ||
         (sizeof(Char) == 1 && (static_cast<unsigned char>(c) & 0x80));
}

// The end of a run quoted by close starting after its opening at i; a
// doubled close is the close character itself, and with backslash a
// backslash escapes the next character.
template <class Char>
size_t QuotedEnd(const std::basic_string<Char>& s, size_t i, Char close, bool doubles, bool backslash) {
  for (; i < s.size(); ++i) {
    if (backslash && s[i] == '\\') {
      ++i;
      continue;
    }
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
// none ($1, a $name parameter of another dialect, or a lone '$').
template <class Char>
size_t DollarEnd(const std::basic_string<Char>& s, size_t i) {
  size_t j = i + 1;
  if (j < s.size() && s[j] >= '0' && s[j] <= '9') return std::basic_string<Char>::npos;
  while (j < s.size() && NameChar(s[j])) ++j;
  if (j >= s.size() || s[j] != '$') return std::basic_string<Char>::npos;
  std::basic_string<Char> tag = s.substr(i, j - i + 1);
  size_t close = s.find(tag, j + 1);
  return close == std::basic_string<Char>::npos ? s.size() : close + tag.size();
}

template <class Char>
size_t BlockCommentEnd(const std::basic_string<Char>& s, size_t i, bool nests) {
  int depth = 0;
  while (i < s.size()) {
    if (s[i] == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      depth = nests || depth == 0 ? depth + 1 : depth;
      i += 2;
    } else if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/') {
      i += 2;
      if (--depth == 0) return i;
    } else {
      ++i;
    }
  }
  return s.size();
}

}  // namespace

template <class Char>
size_t PastNonCode(const std::basic_string<Char>& s, size_t i, SqlDialect dialect) {
  bool pg = dialect == SqlDialect::Postgres;
  Char c = s[i];
  Char next = i + 1 < s.size() ? s[i + 1] : Char(0);
  if (c == '\'') {
    bool escapes = pg && i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') && (i < 2 || !NameChar(s[i - 2]));
    return QuotedEnd(s, i + 1, c, true, escapes);
  }
  if (c == '"' || (!pg && c == '`')) return QuotedEnd(s, i + 1, c, true, false);
  if (!pg && c == '[') return QuotedEnd(s, i + 1, Char(']'), false, false);
  if (c == '-' && next == '-') {
    size_t end = s.find(Char('\n'), i + 2);
    return end == std::basic_string<Char>::npos ? s.size() : end + 1;
  }
  if (c == '/' && next == '*') return BlockCommentEnd(s, i, pg);
  if (c == '$' && (i == 0 || !NameChar(s[i - 1]))) {
    size_t end = DollarEnd(s, i);
    if (end != std::basic_string<Char>::npos) return end;
  }
  return i;
}

template <class Char>
void ForEachMarker(const std::basic_string<Char>& s, SqlDialect dialect, const std::function<void(size_t)>& at) {
  size_t i = 0;
  while (i < s.size()) {
    size_t past = PastNonCode(s, i, dialect);
    if (past != i) {
      i = past;
      continue;
    }
    if (s[i] == '?') at(i);
    ++i;
  }
}

template size_t PastNonCode(const std::string&, size_t, SqlDialect);
template size_t PastNonCode(const std::wstring&, size_t, SqlDialect);
template void ForEachMarker(const std::string&, SqlDialect, const std::function<void(size_t)>&);
template void ForEachMarker(const std::wstring&, SqlDialect, const std::function<void(size_t)>&);

size_t CountMarkers(const std::wstring& text, SqlDialect dialect) {
  size_t n = 0;
  ForEachMarker(text, dialect, [&](size_t) { ++n; });
  return n;
}

void CheckMarkers(size_t markers, size_t values) {
  if (markers == values) return;
  Raise(ErrorKind::InvalidArgument, L"the statement has " + std::to_wstring(markers) + L" ? markers but " +
                                        std::to_wstring(values) + L" values were given; nothing was run");
}

}  // namespace zelado
