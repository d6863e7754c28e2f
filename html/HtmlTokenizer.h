// The tokenizer: text is cut at the angle brackets. A "<" ends the pending
// token and begins a new one; a ">" ends the token it completes; nothing
// else matters (quotes, comments and scripts included). Text arrives in
// blocks and a token cut by a block's end carries over to the next, so a
// file can be read in small blocks with the same result as one whole text.
#pragma once

#include <cstddef>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The first a or b in [q, end), or end. Text runs and attribute values
// are most of a page, so four characters are tested at a time where the
// processor can.
inline const wchar_t* ZelHtmlFindEither(const wchar_t* q, const wchar_t* end, wchar_t a, wchar_t b) {
#if defined(__SSE2__)
  static_assert(sizeof(wchar_t) == 4, "four characters to a vector");
  const __m128i va = _mm_set1_epi32(a), vb = _mm_set1_epi32(b);
  for (; end - q >= 4; q += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    int hit = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi32(v, va), _mm_cmpeq_epi32(v, vb)));
    if (hit) return q + __builtin_ctz(static_cast<unsigned>(hit)) / 4;
  }
#endif
  while (q < end && *q != a && *q != b) ++q;
  return q;
}

class ZELHtmlTokenizer {
public:
  // Hands each finished token to emit(const wchar_t* p, size_t n); the
  // characters are valid only during the call.
  template <class Emit>
  void Feed(const wchar_t* p, size_t n, Emit&& emit) {
    const wchar_t* start = p;
    const wchar_t* end = p + n;
    for (const wchar_t* q = p; (q = ZelHtmlFindEither(q, end, L'<', L'>')) < end; ++q) {
      if (*q == L'<') {
        if (q > start || !m_pending.empty()) Cut(start, q, emit);
        start = q;
      } else if (*q == L'>') {
        Cut(start, q + 1, emit);
        start = q + 1;
      }
    }
    m_pending.append(start, end);
  }

  // The last token, if the text did not end with a ">".
  template <class Emit>
  void Finish(Emit&& emit) {
    if (!m_pending.empty()) Cut(nullptr, nullptr, emit);
  }

private:
  // A token lies in the text as given unless a block's end cut it; only
  // then is it put together in the carry-over buffer, which is reused.
  template <class Emit>
  void Cut(const wchar_t* b, const wchar_t* e, Emit& emit) {
    if (m_pending.empty()) return emit(b, static_cast<size_t>(e - b));
    m_pending.append(b, e);
    emit(m_pending.data(), m_pending.size());
    m_pending.clear();
  }

  std::wstring m_pending;
};
