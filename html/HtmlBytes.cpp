#include "html/HtmlBytes.h"

#include "platform/mfc/String.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// Sixteen bytes as sixteen characters.
inline void Widen16(__m128i v, wchar_t* out) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
  __m128i* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
  _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
  _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(hi, zero));
  _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(hi, zero));
}
#endif

}  // namespace

void ZelHtmlWiden(const unsigned char* p, size_t n, wchar_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 4, "four bytes to a character");
  for (; n - i >= 16; i += 16) Widen16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), out + i);
#endif
  for (; i < n; ++i) out[i] = static_cast<wchar_t>(p[i]);
}

size_t ZelHtmlUtf8Prefix(const unsigned char* p, size_t n, bool* pbInvalid, wchar_t* out, size_t* pnChars) {
  *pbInvalid = false;
  wchar_t* o = out;
  size_t i = 0;
  while (i < n) {
#if defined(__SSE2__)
    // Markup is mostly ASCII: sixteen such bytes are widened at once.
    while (n - i >= 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(v)) break;
      Widen16(v, o);
      o += 16;
      i += 16;
    }
    if (i == n) break;
#endif
    unsigned c = p[i];
    if (c < 0x80) {
      *o++ = static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    // Lead byte: length, and the range of the first continuation byte that
    // excludes overlong forms, surrogates and code points above U+10FFFF.
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      *pbInvalid = true;
      break;
    }
    unsigned cp = c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      if (i + k >= n) break;  // cut short: the rest may come later
      unsigned b = p[i + k];
      if (k == 1 ? (b < lo || b > hi) : (b & 0xC0) != 0x80) {
        *pbInvalid = true;
        break;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    if (*pbInvalid || i + len > n) break;
    *o++ = static_cast<wchar_t>(cp);
    i += len;
  }
  *pnChars = static_cast<size_t>(o - out);
  return i;
}

void ZelHtmlAppendBytes(std::string& out, std::wstring_view s, bool bBytes) {
  const wchar_t* p = s.data();
  const size_t n = s.size();
  const unsigned limit = bBytes ? 0x100 : 0x80;
  size_t i = 0;
  for (; i < n; ++i) {
    unsigned c = static_cast<unsigned>(p[i]);
    if (c >= limit) break;
    out += static_cast<char>(c);
  }
  if (i == n) return;
  if (!bBytes) {
    out += ZelWideToUtf8(p + i, n - i);
    return;
  }
  for (; i < n; ++i) {
    unsigned c = static_cast<unsigned>(p[i]);
    if (c < 0x100) out += static_cast<char>(c);
    else out += ZelWideToUtf8(p + i, 1);
  }
}
