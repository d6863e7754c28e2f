#include "platform/ado/ConnectionText.h"

#include "platform/ado/AdoErrors.h"

#include <cwctype>

namespace zelado {

namespace {

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

bool SameText(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

ConnectionText::ConnectionText(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size()) {
    size_t eq = text.find(L'=', i);
    size_t semi = text.find(L';', i);
    if (eq == std::wstring::npos || (semi != std::wstring::npos && semi < eq)) {
      std::wstring rest = Trim(text.substr(i, semi == std::wstring::npos ? std::wstring::npos : semi - i));
      if (!rest.empty()) Raise(ErrorKind::BadConnectionText, L"malformed connection text: '" + rest + L"' has no '='");
      if (semi == std::wstring::npos) break;
      i = semi + 1;
      continue;
    }
    std::wstring key = Trim(text.substr(i, eq - i));
    if (key.empty()) Raise(ErrorKind::BadConnectionText, L"malformed connection text: a value without a key");
    size_t v = eq + 1;
    while (v < text.size() && std::iswspace(text[v])) ++v;
    std::wstring value;
    if (v < text.size() && (text[v] == L'"' || text[v] == L'\'')) {
      size_t close = text.find(text[v], v + 1);
      if (close == std::wstring::npos)
        Raise(ErrorKind::BadConnectionText, L"malformed connection text: unclosed quote after '" + key + L"='");
      value = text.substr(v + 1, close - v - 1);
      semi = text.find(L';', close);
      if (!Trim(text.substr(close + 1, semi == std::wstring::npos ? std::wstring::npos : semi - close - 1)).empty())
        Raise(ErrorKind::BadConnectionText, L"malformed connection text: text after the quoted value of '" + key + L"'");
    } else {
      value = Trim(text.substr(v, semi == std::wstring::npos ? std::wstring::npos : semi - v));
    }
    m_pairs.emplace_back(key, value);
    if (semi == std::wstring::npos) break;
    i = semi + 1;
  }
}

bool ConnectionText::Has(const std::wstring& key) const {
  for (const auto& p : m_pairs)
    if (SameText(p.first, key)) return true;
  return false;
}

std::wstring ConnectionText::Get(const std::wstring& key) const {
  for (const auto& p : m_pairs)
    if (SameText(p.first, key)) return p.second;
  return std::wstring();
}

}  // namespace zelado
