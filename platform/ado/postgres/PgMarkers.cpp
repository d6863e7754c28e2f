#include "platform/ado/postgres/PgMarkers.h"

#include <cctype>
#include <cstring>

#include "platform/ado/StatementMarkers.h"

namespace zelado {
namespace pg {

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }

size_t SkipBlank(const std::string& s, size_t i) {
  for (;;) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '/')) {
      size_t past = PastNonCode(s, i, SqlDialect::Postgres);
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
  size_t from = 0;
  ForEachMarker(text, SqlDialect::Postgres, [&](size_t at) {
    out.sql.append(text, from, at - from);
    out.sql += '$';
    out.sql += std::to_string(++out.markers);
    from = at + 1;
  });
  out.sql.append(text, from, std::string::npos);
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
