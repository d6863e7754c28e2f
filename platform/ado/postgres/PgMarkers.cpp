#include "platform/ado/postgres/PgMarkers.h"

#include <cctype>
#include <cstring>

namespace zelado {
namespace pg {

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

// Past a literal or quoted name that opens at s[i] with `quote`; a doubled
// quote stands for itself, and in E'...' texts a backslash escapes.
size_t PastQuoted(const std::string& s, size_t i, char quote, bool backslash) {
  for (++i; i < s.size(); ++i) {
    if (backslash && s[i] == '\\') {
      ++i;
    } else if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        ++i;
        continue;
      }
      return i + 1;
    }
  }
  return s.size();
}

// A dollar-quote tag ($$ or $name$) at s[i], or empty when there is none.
std::string DollarTag(const std::string& s, size_t i) {
  size_t j = i + 1;
  if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) return std::string();  // $1
  while (j < s.size() && IsWordChar(s[j])) ++j;
  if (j < s.size() && s[j] == '$') return s.substr(i, j - i + 1);
  return std::string();
}

// Block comments nest on this server.
size_t PastBlockComment(const std::string& s, size_t i) {
  int depth = 0;
  while (i < s.size()) {
    if (s.compare(i, 2, "/*") == 0) {
      ++depth;
      i += 2;
    } else if (s.compare(i, 2, "*/") == 0) {
      i += 2;
      if (--depth == 0) return i;
    } else {
      ++i;
    }
  }
  return s.size();
}

// Past one piece that is not code (literal, quoted name, comment), or i
// itself when s[i] starts code.
size_t PastNonCode(const std::string& s, size_t i) {
  char c = s[i];
  if (c == '\'') {
    bool escapes = i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') && (i < 2 || !IsWordChar(s[i - 2]));
    return PastQuoted(s, i, '\'', escapes);
  }
  if (c == '"') return PastQuoted(s, i, '"', false);
  if (c == '-' && s.compare(i, 2, "--") == 0) {
    size_t nl = s.find('\n', i);
    return nl == std::string::npos ? s.size() : nl + 1;
  }
  if (c == '/' && s.compare(i, 2, "/*") == 0) return PastBlockComment(s, i);
  if (c == '$' && (i == 0 || !IsWordChar(s[i - 1]))) {
    std::string tag = DollarTag(s, i);
    if (!tag.empty()) {
      size_t close = s.find(tag, i + tag.size());
      return close == std::string::npos ? s.size() : close + tag.size();
    }
  }
  return i;
}

size_t SkipBlank(const std::string& s, size_t i) {
  for (;;) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '/')) {
      size_t past = PastNonCode(s, i);
      if (past != i) {
        i = past;
        continue;
      }
    }
    return i;
  }
}

// The length of the keyword at s[i], 0 when another word (or none) is there.
size_t Keyword(const std::string& s, size_t i, const char* word) {
  size_t n = std::strlen(word);
  if (s.size() - i < n || strncasecmp(s.c_str() + i, word, n) != 0) return 0;
  if (i + n < s.size() && IsWordChar(s[i + n])) return 0;
  return n;
}

}  // namespace

Marked NumberMarkers(const std::string& text) {
  Marked out;
  out.sql.reserve(text.size() + 8);
  size_t i = 0;
  while (i < text.size()) {
    size_t past = PastNonCode(text, i);
    if (past != i) {
      out.sql.append(text, i, past - i);
      i = past;
    } else if (text[i] == '?') {
      out.sql += '$';
      out.sql += std::to_string(++out.markers);
      ++i;
    } else {
      out.sql += text[i++];
    }
  }
  return out;
}

size_t SelectListStart(const std::string& sql) {
  size_t i = SkipBlank(sql, 0);
  size_t n = Keyword(sql, i, "SELECT");
  if (n == 0) return std::string::npos;
  size_t after = i + n;
  size_t j = SkipBlank(sql, after);
  if (Keyword(sql, j, "DISTINCT")) return std::string::npos;
  if (size_t all = Keyword(sql, j, "ALL")) return j + all;
  return after;
}

}  // namespace pg
}  // namespace zelado
