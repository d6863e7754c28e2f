#include "platform/oleaut/Bstr.h"

#include <cstdlib>
#include <cstring>

// A BSTR points just past an 8-byte header whose second word holds the byte
// length; the text is followed by a wide null so it is also a C string.
namespace {

const size_t kHeader = 8;
const size_t kMaxBytes = 0xFFFFFFF0u - kHeader - sizeof(OLECHAR);

DWORD* LengthWord(BSTR b) { return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(b) - sizeof(DWORD)); }

char* BlockOf(BSTR b) { return reinterpret_cast<char*>(b) - kHeader; }

// Allocates room for `bytes` bytes of text plus the terminator; the text is
// zeroed, so a NULL source gives a string of nulls as on Windows.
BSTR AllocBytes(size_t bytes) {
  if (bytes > kMaxBytes) return nullptr;
  char* block = static_cast<char*>(calloc(1, kHeader + bytes + 2 * sizeof(OLECHAR)));
  if (!block) return nullptr;
  BSTR b = reinterpret_cast<BSTR>(block + kHeader);
  *LengthWord(b) = static_cast<DWORD>(bytes);
  return b;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(wcslen(psz)));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  BSTR b = AllocBytes(static_cast<size_t>(ui) * sizeof(OLECHAR));
  if (b && strIn) memcpy(b, strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
  return b;
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
  BSTR b = AllocBytes(len);
  if (b && psz) memcpy(b, psz, len);
  return b;
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  return SysReAllocStringLen(pbstr, psz, psz ? static_cast<UINT>(wcslen(psz)) : 0);
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (!pbstr) return FALSE;
  // psz may point into *pbstr, so copy before freeing the old string.
  BSTR b = SysAllocStringLen(psz, len);
  if (!b) return FALSE;
  SysFreeString(*pbstr);
  *pbstr = b;
  return TRUE;
}

void SysFreeString(BSTR bstrString) {
  if (bstrString) free(BlockOf(bstrString));
}

UINT SysStringLen(BSTR pbstr) { return pbstr ? *LengthWord(pbstr) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? *LengthWord(bstr) : 0; }

BSTR ZelBstrFromUtf8(const char* psz) { return psz ? ZelBstrFromUtf8Len(psz, strlen(psz)) : nullptr; }

BSTR ZelBstrFromUtf8Len(const char* s, size_t n) {
  std::wstring out;
  out.reserve(n);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  while (i < n) {
    unsigned lead = p[i];
    size_t extra = lead < 0x80 ? 0 : lead < 0xC2 ? 9 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF5 ? 3 : 9;
    if (extra == 9 || i + extra >= n) {
      // a stray continuation byte, an overlong lead or a cut-off sequence
      out += L'\xFFFD';
      ++i;
      continue;
    }
    unsigned cp = extra == 0 ? lead : lead & (0x3Fu >> extra);
    size_t k = 1;
    for (; k <= extra && (p[i + k] & 0xC0) == 0x80; ++k) cp = (cp << 6) | (p[i + k] & 0x3Fu);
    static const unsigned kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (k <= extra || cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += extra + 1;
  }
  if (out.size() > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(out.data(), static_cast<UINT>(out.size()));
}

std::string ZelUtf8FromWide(const wchar_t* p, size_t len) {
  std::string out;
  out.reserve(len);
  for (size_t i = 0; i < len; ++i) {
    unsigned cp = static_cast<unsigned>(p[i]);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    static const unsigned kLeadMark[4] = {0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLeadMark[extra] | (cp >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
  }
  return out;
}
