#include "platform/oleaut/Bstr.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/Utf8.h"

// A BSTR points just past an 8-byte header whose second word holds the byte
// length; the text is followed by a wide null so it is also a C string.
namespace {

const size_t kHeader = 8;
const size_t kMaxBytes = 0xFFFFFFF0u - kHeader - sizeof(OLECHAR);

DWORD* LengthWord(BSTR b) { return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(b) - sizeof(DWORD)); }

char* BlockOf(BSTR b) { return reinterpret_cast<char*>(b) - kHeader; }

// Allocates room for `bytes` bytes of text plus the terminator, filled from
// `text`; without one the text is zeroed, so a NULL source gives a string of
// nulls as on Windows. Only what the text does not cover is zeroed.
BSTR AllocBytes(const void* text, size_t bytes) {
  if (bytes > kMaxBytes) return nullptr;
  char* block = static_cast<char*>(malloc(kHeader + bytes + 2 * sizeof(OLECHAR)));
  if (!block) return nullptr;
  memset(block, 0, kHeader);
  char* body = block + kHeader;
  if (text)
    memcpy(body, text, bytes);
  else
    memset(body, 0, bytes);
  memset(body + bytes, 0, 2 * sizeof(OLECHAR));
  BSTR b = reinterpret_cast<BSTR>(body);
  *LengthWord(b) = static_cast<DWORD>(bytes);
  return b;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  return SysAllocStringLen(psz, static_cast<UINT>(wcslen(psz)));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  return AllocBytes(strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
  return AllocBytes(psz, len);
}

INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz) {
  return SysReAllocStringLen(pbstr, psz, psz ? static_cast<UINT>(wcslen(psz)) : 0);
}

INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len) {
  if (!pbstr) return FALSE;
  // Text that fits the block the string already has is written there (a
  // value set again and again); psz may point into it.
  size_t bytes = static_cast<size_t>(len) * sizeof(OLECHAR);
  if (*pbstr && bytes <= kMaxBytes && malloc_usable_size(BlockOf(*pbstr)) >= kHeader + bytes + 2 * sizeof(OLECHAR)) {
    if (psz)
      memmove(*pbstr, psz, bytes);
    else
      memset(*pbstr, 0, bytes);
    memset(reinterpret_cast<char*>(*pbstr) + bytes, 0, 2 * sizeof(OLECHAR));
    *LengthWord(*pbstr) = static_cast<DWORD>(bytes);
    return TRUE;
  }
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
  std::wstring out = ZelUtf8ToWide(s, n);
  if (out.size() > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  return SysAllocStringLen(out.data(), static_cast<UINT>(out.size()));
}

std::string ZelUtf8FromWide(const wchar_t* p, size_t len) { return ZelWideToUtf8(p, len); }
