#include "html/HtmlStringCache.h"

#include <cstdint>
#include <cstring>

namespace {

size_t SlotsFor(size_t nTextLength, size_t most) {
  size_t n = 64;
  while (n < most && n * 64 < nTextLength) n *= 2;
  return n;
}

// A token is hashed on every lookup: four characters to a step, in two
// 64-bit words (the last step overlapping the one before when the length
// is not a multiple of four), and the high half folded in for the index.
uint32_t Hash(const wchar_t* p, size_t n) {
  static_assert(sizeof(wchar_t) == 4, "two characters to a word");
  uint64_t h = n * 0x9E3779B97F4A7C15ull;
  auto step = [&h](const wchar_t* q) {
    uint64_t w[2];
    std::memcpy(w, q, sizeof w);
    h = (h ^ w[0]) * 0xFF51AFD7ED558CCDull;
    h = (h ^ w[1]) * 0xC4CEB9FE1A85EC53ull;
  };
  if (n >= 4) {
    for (size_t i = 0; i + 4 <= n; i += 4) step(p + i);
    if (n % 4) step(p + n - 4);
  } else {
    for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<uint32_t>(p[i])) * 0xFF51AFD7ED558CCDull;
  }
  h ^= h >> 32;
  return static_cast<uint32_t>(h ^ (h >> 15));
}

}  // namespace

ZELHtmlStringCache::ZELHtmlStringCache(size_t nTextLength)
    : m_mask(SlotsFor(nTextLength, kMostSlots) - 1), m_slots(new Slot[m_mask + 1]) {}

CString ZELHtmlStringCache::Get(const wchar_t* p, size_t n) {
  if (n == 0) return CString();
  if (n > kLongest) return CString::Packed(p, static_cast<int>(n));
  const uint32_t h = Hash(p, n);
  Slot& slot = m_slots[h & m_mask];
  if (slot.hash != h || slot.length != n || std::memcmp(slot.str.GetString(), p, n * sizeof(wchar_t)) != 0) {
    slot.str = CString::Packed(p, static_cast<int>(n));
    slot.hash = h;
    slot.length = static_cast<uint32_t>(n);
  }
  return slot.str;
}
