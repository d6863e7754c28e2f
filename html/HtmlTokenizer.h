// The tokenizer: text is cut at the angle brackets. A "<" ends the pending
// token and begins a new one; a ">" ends the token it completes; nothing
// else matters (quotes, comments and scripts included). Text arrives in
// blocks and a token cut by a block's end carries over to the next, so a
// file can be read in small blocks with the same result as one whole text.
#pragma once

#include <cstddef>
#include <string>

class ZELHtmlTokenizer {
public:
  // Hands each finished token to emit(std::wstring&&).
  template <class Emit>
  void Feed(const wchar_t* p, size_t n, Emit&& emit) {
    const wchar_t* start = p;
    const wchar_t* end = p + n;
    for (const wchar_t* q = p; q < end; ++q) {
      if (*q == L'<') {
        if (q > start || !m_pending.empty()) emit(Cut(start, q));
        start = q;
      } else if (*q == L'>') {
        emit(Cut(start, q + 1));
        start = q + 1;
      }
    }
    m_pending.append(start, end);
  }

  // The last token, if the text did not end with a ">".
  template <class Emit>
  void Finish(Emit&& emit) {
    if (!m_pending.empty()) emit(Cut(nullptr, nullptr));
  }

private:
  // A token is copied out at its exact size, so the elements that keep it
  // carry no spare capacity; the carry-over buffer is reused.
  std::wstring Cut(const wchar_t* b, const wchar_t* e) {
    if (m_pending.empty()) return std::wstring(b, e);
    m_pending.append(b, e);
    std::wstring token(m_pending);
    m_pending.clear();
    return token;
  }

  std::wstring m_pending;
};
