// A document whose one entity reference would expand to ten billion
// characters: what an XML reader must refuse.
#pragma once

#include <string>

namespace zeltest {

// body goes inside the element, before the reference.
inline std::wstring EntityBomb(const std::wstring& body = L"") {
  std::wstring lol = L"<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">";
  for (int i = 1; i < 10; ++i) {
    std::wstring prev = i == 1 ? L"a" : L"e" + std::to_wstring(i - 1);
    lol += L"<!ENTITY e" + std::to_wstring(i) + L" \"";
    for (int k = 0; k < 10; ++k) lol += L"&" + prev + L";";
    lol += L"\">";
  }
  return lol + L"]><l>" + body + L"&e9;</l>";
}

}  // namespace zeltest
