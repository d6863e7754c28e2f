// Statement texts as callers write them (? markers) turned into the
// server's numbered placeholders. A ? inside a string literal, a quoted
// name, a dollar-quoted body or a comment is text, not a marker.
#pragma once

#include <cstddef>
#include <string>

namespace zelado {
namespace pg {

struct Marked {
  std::string sql;     // with $1, $2, ... in place of the markers
  size_t markers = 0;  // how many values the statement takes
};

// `text` is UTF-8. Never fails: an unclosed literal or comment runs to the
// end of the text and the server reports it.
Marked NumberMarkers(const std::string& text);

// Where the select list of a plain "SELECT [ALL] ..." statement starts
// (past the keyword), or npos for any other statement (DISTINCT included,
// whose rows would change with extra columns).
size_t SelectListStart(const std::string& sql);

}  // namespace pg
}  // namespace zelado
