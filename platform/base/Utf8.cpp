#include "platform/base/Utf8.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cwchar>

std::wstring ZelUtf8ToWide(const char* s, size_t n) {
  std::wstring out(n, L'\0');
  out.resize(ZelUtf8ToWideInto(s, n, n ? &out[0] : nullptr));
  return out;
}

size_t ZelUtf8ToWideInto(const char* s, size_t n, wchar_t* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0, o = 0;
  while (i < n) {
#if defined(__SSE2__) && WCHAR_MAX > 0xFFFF
    // Runs of ASCII, the usual text, sixteen bytes at a time: one test of
    // their high bits, then zero-extended to four wide characters a store.
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= n) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(bytes) != 0) break;
      __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
      __m128i* to = reinterpret_cast<__m128i*>(out + o);
      _mm_storeu_si128(to, _mm_unpacklo_epi16(lo, zero));
      _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(lo, zero));
      _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(hi, zero));
      _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(hi, zero));
      i += 16;
      o += 16;
    }
    if (i == n) break;
#endif
    unsigned c = p[i];
    if (c < 0x80) {
      out[o++] = static_cast<wchar_t>(c);
      ++i;
      continue;
    }
    int len = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > n) {
      out[o++] = L'\xFFFD';
      ++i;
      continue;
    }
    unsigned cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static const unsigned kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out[o++] = L'\xFFFD';
      ++i;
      continue;
    }
    out[o++] = static_cast<wchar_t>(cp);
    i += static_cast<size_t>(len);
  }
  return o;
}

std::string ZelWideToUtf8(const wchar_t* s, size_t n) {
  std::string out;
  ZelWideToUtf8Into(s, n, out);
  return out;
}

void ZelWideToUtf8Into(const wchar_t* s, size_t n, std::string& out) {
  // ASCII, the usual text, takes a byte a character; from the first other
  // character on, room for the worst case, cut back after.
  out.resize(n);
  size_t used = 0;
  size_t done = ZelWideToUtf8Some(s, n, n ? &out[0] : nullptr, n, used);
  if (used == n) return;
  out.resize(done + (n - used) * 4);
  size_t rest = 0;
  done += ZelWideToUtf8Some(s + used, n - used, &out[done], out.size() - done, rest);
  out.resize(done);
}

size_t ZelWideToUtf8Some(const wchar_t* s, size_t n, char* out, size_t room, size_t& used) {
  size_t i = 0, o = 0;
  bool full = false;
  while (i < n && !full) {
#if defined(__SSE2__) && WCHAR_MAX > 0xFFFF
    // Runs of ASCII sixteen characters at a time: one test of all of them,
    // then two narrowing packs (no value of a run exceeds 0x7F, so neither
    // pack saturates).
    const __m128i high = _mm_set1_epi32(~0x7F);
    while (i + 16 <= n && o + 16 <= room) {
      const __m128i* p = reinterpret_cast<const __m128i*>(s + i);
      __m128i a = _mm_loadu_si128(p), b = _mm_loadu_si128(p + 1);
      __m128i c = _mm_loadu_si128(p + 2), d = _mm_loadu_si128(p + 3);
      __m128i any = _mm_and_si128(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)), high);
      if (_mm_movemask_epi8(_mm_cmpeq_epi32(any, _mm_setzero_si128())) != 0xFFFF) break;
      __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), bytes);
      i += 16;
      o += 16;
    }
#endif
    // One at a time up to and through the next other character, then back
    // to the runs.
    for (; i < n; ++i) {
      unsigned cp = static_cast<unsigned>(s[i]);
      if (cp < 0x80) {
        if (o == room) {
          full = true;
          break;
        }
        out[o++] = static_cast<char>(cp);
        continue;
      }
      if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
      size_t len = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
      if (room - o < len) {
        full = true;
        break;
      }
      if (len == 2) {
        out[o++] = static_cast<char>(0xC0 | (cp >> 6));
      } else if (len == 3) {
        out[o++] = static_cast<char>(0xE0 | (cp >> 12));
        out[o++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      } else {
        out[o++] = static_cast<char>(0xF0 | (cp >> 18));
        out[o++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[o++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      }
      out[o++] = static_cast<char>(0x80 | (cp & 0x3F));
      ++i;
      break;
    }
  }
  used = i;
  return o;
}
