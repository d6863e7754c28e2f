// A connection text: "Key=Value" pairs separated by semicolons. Keys are
// compared without regard to case; a value may be quoted with ' or " (then
// it may hold semicolons).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zelado {

class ConnectionText {
public:
  // Raises BadConnectionText for a pair without '=' or an unclosed quote.
  explicit ConnectionText(const std::wstring& text);

  bool Has(const std::wstring& key) const;
  // The value of the key, or an empty text when it is not there.
  std::wstring Get(const std::wstring& key) const;

private:
  std::vector<std::pair<std::wstring, std::wstring>> m_pairs;
};

// Equal without regard to case (ASCII letters).
bool SameText(const std::wstring& a, const std::wstring& b);

}  // namespace zelado
