#include "html/HtmlStringCache.h"

#include <cstdint>
#include <cwchar>

namespace {
size_t SlotsFor(size_t nTextLength, size_t most) {
  size_t n = 64;
  while (n < most && n * 64 < nTextLength) n *= 2;
  return n;
}
}  // namespace

ZELHtmlStringCache::ZELHtmlStringCache(size_t nTextLength)
    : m_mask(SlotsFor(nTextLength, kMostSlots) - 1), m_slots(new Slot[m_mask + 1]) {}

CString ZELHtmlStringCache::Get(const wchar_t* p, size_t n) {
  if (n == 0) return CString();
  if (n > kLongest) return CString::Packed(p, static_cast<int>(n));
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<uint32_t>(p[i])) * 16777619u;
  Slot& slot = m_slots[(h ^ (h >> 15)) & m_mask];
  if (slot.hash != h || static_cast<size_t>(slot.str.GetLength()) != n || std::wmemcmp(slot.str.GetString(), p, n) != 0) {
    slot.hash = h;
    slot.str = CString::Packed(p, static_cast<int>(n));
  }
  return slot.str;
}
