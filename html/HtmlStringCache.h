// Recently made short strings, by content. A page repeats most of its short
// tokens (end tags, tag and attribute names, common values, indentation), so
// the parser takes them from here and the elements share one buffer each
// rather than allocating the same characters again and again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/mfc/String.h"

class ZELHtmlStringCache {
public:
  // Sized for a text of that many characters: a short text gets a small
  // table, so that parsing a snippet costs no more than the snippet.
  explicit ZELHtmlStringCache(size_t nTextLength);

  // A string equal to [p, p + n); shared with earlier ones when it can be.
  CString Get(const wchar_t* p, size_t n);

private:
  // Direct-mapped: a slot holds the last string whose hash chose it, so the
  // cache stays small and a miss costs one comparison. The hash and length
  // are kept in the slot, so that a miss does not read the string's own
  // (cold) memory; a hit reads it once, its count and characters together.
  struct Slot {
    uint32_t hash = 0;
    uint32_t length = 0;
    CString str;
  };
  static const size_t kMostSlots = 8192;
  static const size_t kLongest = 64;
  size_t m_mask;
  std::unique_ptr<Slot[]> m_slots;
};

// A string of [p, p + n): from the cache when there is one.
inline CString ZelHtmlString(ZELHtmlStringCache* cache, const wchar_t* p, size_t n) {
  return cache ? cache->Get(p, n) : CString::Packed(p, static_cast<int>(n));
}
