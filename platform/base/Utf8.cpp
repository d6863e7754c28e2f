#include "platform/base/Utf8.h"

std::wstring ZelUtf8ToWide(const char* s, size_t n) {
  std::wstring out;
  out.reserve(n);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  while (i < n) {
    unsigned c = p[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > n) { out += L'\xFFFD'; ++i; continue; }
    unsigned cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static const unsigned kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { out += L'\xFFFD'; ++i; continue; }
    out += static_cast<wchar_t>(cp);
    i += static_cast<size_t>(len);
  }
  return out;
}

std::string ZelWideToUtf8(const wchar_t* s, size_t n) {
  std::string out;
  ZelWideToUtf8Into(s, n, out);
  return out;
}

void ZelWideToUtf8Into(const wchar_t* s, size_t n, std::string& out) {
  // Written through a plain pointer, where appending byte by byte checks the
  // room each time. ASCII, the usual text, takes a byte a character; from
  // the first other character on, room for the worst case, cut back after.
  out.resize(n);
  size_t i = 0;
  for (char* a = &out[0]; i < n && static_cast<unsigned>(s[i]) < 0x80; ++i) a[i] = static_cast<char>(s[i]);
  if (i == n) return;
  out.resize(i + (n - i) * 4);
  char* o = &out[i];
  for (; i < n; ++i) {
    unsigned cp = static_cast<unsigned>(s[i]);
    if (cp < 0x80) { *o++ = static_cast<char>(cp); continue; }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  out.resize(static_cast<size_t>(o - out.data()));
}
