#include "platform/mfc/Format.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/base/Utf8.h"
#include "platform/mfc/FixedText.h"

namespace {

enum class Len { none, h, l, ll, L };

struct Conversion {
  std::wstring flags;
  int width = 0;
  int prec = -1;
  bool left = false;
};

// Widths and precisions come from format strings, but a wild one must not
// ask for gigabytes.
const int kMaxField = 1 << 20;

int ReadCount(const wchar_t*& p) {
  int n = 0;
  while (iswdigit(static_cast<wint_t>(*p))) {
    if (n < kMaxField) n = n * 10 + (*p - L'0');
    ++p;
  }
  return n < kMaxField ? n : kMaxField;
}

// One numeric conversion through the C library, with its exact type.
template <class T>
void AppendNumber(std::wstring& out, const Conversion& s, const wchar_t* length, wchar_t conv, T value) {
  std::wstring f = L"%" + s.flags;
  if (s.width > 0) f += std::to_wstring(s.width);
  if (s.prec >= 0) f += L"." + std::to_wstring(s.prec);
  f += length;
  f += conv;
  std::vector<wchar_t> buf(static_cast<size_t>(s.width) + static_cast<size_t>(s.prec > 0 ? s.prec : 0) + 400);
  int n = swprintf(buf.data(), buf.size(), f.c_str(), value);
  if (n > 0) out.append(buf.data(), static_cast<size_t>(n));
}

void AppendText(std::wstring& out, const Conversion& s, std::wstring text) {
  if (s.prec >= 0 && text.size() > static_cast<size_t>(s.prec)) text.resize(static_cast<size_t>(s.prec));
  size_t pad = text.size() < static_cast<size_t>(s.width) ? static_cast<size_t>(s.width) - text.size() : 0;
  if (!s.left) out.append(pad, L' ');
  out += text;
  if (s.left) out.append(pad, L' ');
}

Len ReadLength(const wchar_t*& p) {
  if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') return p += 3, Len::ll;
  if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') return p += 3, Len::none;
  if (p[0] == L'l' && p[1] == L'l') return p += 2, Len::ll;
  if (p[0] == L'h' && p[1] == L'h') return p += 2, Len::h;
  switch (*p) {
    case L'l': return ++p, Len::l;
    case L'h': return ++p, Len::h;
    case L'L': return ++p, Len::L;
    case L'I':  // pointer-sized, as are z, j and t here
    case L'z':
    case L'j':
    case L't': return ++p, Len::ll;
    default: return Len::none;
  }
}

}  // namespace

std::wstring ZelFormatV(const wchar_t* fmt, va_list args) {
  std::wstring out;
  if (!fmt) return out;
  va_list ap;
  va_copy(ap, args);
  const wchar_t* p = fmt;
  while (*p) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    const wchar_t* start = p++;
    if (*p == L'%') {
      out += *p++;
      continue;
    }
    Conversion s;
    for (; *p && wcschr(L"-+ #0", *p); ++p) {
      s.flags += *p;
      s.left = s.left || *p == L'-';
    }
    if (*p == L'*') {
      ++p;
      s.width = va_arg(ap, int);
      if (s.width < 0) {
        s.left = true;
        s.flags += L'-';
        s.width = s.width < -kMaxField ? kMaxField : -s.width;
      }
      if (s.width > kMaxField) s.width = kMaxField;
    } else {
      s.width = ReadCount(p);
    }
    if (*p == L'.') {
      ++p;
      if (*p == L'*') {
        ++p;
        int prec = va_arg(ap, int);
        s.prec = prec < 0 ? -1 : (prec > kMaxField ? kMaxField : prec);
      } else {
        s.prec = ReadCount(p);
      }
    }
    Len len = ReadLength(p);
    wchar_t conv = *p;
    if (!conv) {  // a conversion cut short is text
      out.append(start, p);
      break;
    }
    ++p;
    switch (conv) {
      case L'd':
      case L'i': {
        long long v = len == Len::ll ? va_arg(ap, long long) : va_arg(ap, int);
        if (len == Len::h) v = static_cast<short>(v);
        AppendNumber(out, s, L"ll", conv, v);
        break;
      }
      case L'u':
      case L'o':
      case L'x':
      case L'X': {
        unsigned long long v = len == Len::ll ? va_arg(ap, unsigned long long) : va_arg(ap, unsigned);
        if (len == Len::h) v = static_cast<unsigned short>(v);
        AppendNumber(out, s, L"ll", conv, v);
        break;
      }
      case L'f':
      case L'F':
      case L'e':
      case L'E':
      case L'g':
      case L'G':
      case L'a':
      case L'A':
        if (len == Len::L) {
          AppendNumber(out, s, L"L", conv, va_arg(ap, long double));
        } else if (conv == L'f' && s.flags.empty() && s.width == 0 && s.prec < 0) {
          // Plain "%f", the way numbers are shown as text throughout.
          wchar_t buf[kZelFixedTextMax];
          out.append(buf, ZelFixedText(va_arg(ap, double), buf));
        } else
          AppendNumber(out, s, L"", conv, va_arg(ap, double));
        break;
      case L'p':
        AppendNumber(out, s, L"", conv, va_arg(ap, void*));
        break;
      case L'c':
      case L'C': {
        int v = va_arg(ap, int);
        bool narrow = conv == L'C' || len == Len::h;
        if (narrow) {
          char ch = static_cast<char>(v);
          AppendText(out, s, ZelUtf8ToWide(&ch, 1));
        } else {
          AppendText(out, s, std::wstring(1, static_cast<wchar_t>(v)));
        }
        break;
      }
      case L's':
      case L'S': {
        bool narrow = (conv == L'S' && len != Len::l) || (conv == L's' && len == Len::h);
        if (narrow) {
          const char* v = va_arg(ap, const char*);
          AppendText(out, s, v ? ZelUtf8ToWide(v, strlen(v)) : std::wstring(L"(null)"));
        } else {
          const wchar_t* v = va_arg(ap, const wchar_t*);
          AppendText(out, s, v ? std::wstring(v) : std::wstring(L"(null)"));
        }
        break;
      }
      case L'n':
        (void)va_arg(ap, void*);  // writing through it is a classic hole; it is skipped
        break;
      default:
        out.append(start, p);
    }
  }
  va_end(ap);
  return out;
}
