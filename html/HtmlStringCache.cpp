#include "html/HtmlStringCache.h"

#include <cstdint>
#include <cwchar>

ZELHtmlStringCache::ZELHtmlStringCache() : m_slots(new Slot[kSlots]) {}

CString ZELHtmlStringCache::Get(const wchar_t* p, size_t n) {
  if (n == 0) return CString();
  if (n > kLongest) return CString::Packed(p, static_cast<int>(n));
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<uint32_t>(p[i])) * 16777619u;
  Slot& slot = m_slots[(h ^ (h >> 15)) & (kSlots - 1)];
  if (slot.hash != h || static_cast<size_t>(slot.str.GetLength()) != n || std::wmemcmp(slot.str.GetString(), p, n) != 0) {
    slot.hash = h;
    slot.str = CString::Packed(p, static_cast<int>(n));
  }
  return slot.str;
}
