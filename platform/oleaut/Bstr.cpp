#include "platform/oleaut/Bstr.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/base/Sanitizer.h"
#include "platform/base/Utf8.h"

// A BSTR points just past an 8-byte header whose second word holds the byte
// length; the text is followed by a wide null so it is also a C string.
namespace {

const size_t kHeader = 8;
const size_t kMaxBytes = 0xFFFFFFF0u - kHeader - sizeof(OLECHAR);

DWORD* LengthWord(BSTR b) { return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(b) - sizeof(DWORD)); }

char* BlockOf(BSTR b) { return reinterpret_cast<char*>(b) - kHeader; }

// Short strings come and go once per value read or bound, so the thread
// that frees one keeps its block for the next, a few of each size, as the
// platform's own string cache does. Blocks of short strings are sized in
// steps of kStep text bytes, so a kept block fits any string of its step.
// Sanitizer builds keep nothing, so that a use after free is still caught.
#define ZEL_BSTR_CACHE (!ZEL_ASAN)

const size_t kStep = 16;
const size_t kSteps = 17;  // text of 0 to 256 bytes
const unsigned kKeep = 16;

size_t StepOf(size_t bytes) { return (bytes + kStep - 1) / kStep; }

size_t BlockSize(size_t bytes) {
  if (bytes <= (kSteps - 1) * kStep) bytes = StepOf(bytes) * kStep;
  return kHeader + bytes + 2 * sizeof(OLECHAR);
}

struct Cache {
  char* kept[kSteps][kKeep];
  unsigned count[kSteps] = {};
  bool closed = false;  // the thread is ending: free from now on

  ~Cache() {
    for (size_t s = 0; s < kSteps; ++s)
      while (count[s]) free(kept[s][--count[s]]);
    closed = true;
  }
  char* Take(size_t bytes) {
    if (!ZEL_BSTR_CACHE || bytes > (kSteps - 1) * kStep) return nullptr;
    size_t s = StepOf(bytes);
    return count[s] ? kept[s][--count[s]] : nullptr;
  }
  // Filed by the room the block has, not by the text it held last: a
  // string rewritten in place may hold less, or more, than it was made for.
  bool Keep(char* block) {
    if (!ZEL_BSTR_CACHE || closed) return false;
    size_t s = (malloc_usable_size(block) - kHeader - 2 * sizeof(OLECHAR)) / kStep;
    if (s >= kSteps || count[s] == kKeep) return false;
    kept[s][count[s]++] = block;
    return true;
  }
};

thread_local Cache t_cache;

// Allocates room for `bytes` bytes of text plus the terminator. With
// `zero` the text is zeroed, so a NULL source gives a string of nulls as on
// Windows; otherwise the caller fills it.
BSTR AllocBytes(size_t bytes, bool zero) {
  if (bytes > kMaxBytes) return nullptr;
  char* block = t_cache.Take(bytes);
  if (!block) block = static_cast<char*>(malloc(BlockSize(bytes)));
  if (!block) return nullptr;
  memset(block, 0, kHeader);
  if (zero) memset(block + kHeader, 0, bytes);
  memset(block + kHeader + bytes, 0, 2 * sizeof(OLECHAR));
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
  BSTR b = AllocBytes(static_cast<size_t>(ui) * sizeof(OLECHAR), !strIn);
  if (b && strIn) memcpy(b, strIn, static_cast<size_t>(ui) * sizeof(OLECHAR));
  return b;
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) {
  BSTR b = AllocBytes(len, !psz);
  if (b && psz) memcpy(b, psz, len);
  return b;
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
  if (!bstrString) return;
  if (!t_cache.Keep(BlockOf(bstrString))) free(BlockOf(bstrString));
}

UINT SysStringLen(BSTR pbstr) { return pbstr ? *LengthWord(pbstr) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? *LengthWord(bstr) : 0; }

BSTR ZelBstrFromUtf8(const char* psz) { return psz ? ZelBstrFromUtf8Len(psz, strlen(psz)) : nullptr; }

BSTR ZelBstrFromUtf8Len(const char* s, size_t n) {
  // Decoded straight into the string, made with room for a character a
  // byte and cut to what the text needs; a long text of mostly wider
  // characters moves to a string of its own size instead of keeping the
  // room.
  if (n > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  BSTR b = AllocBytes(n * sizeof(OLECHAR), false);
  if (!b) return nullptr;
  size_t chars = ZelUtf8ToWideInto(s, n, b);
  b[chars] = L'\0';
  *LengthWord(b) = static_cast<DWORD>(chars * sizeof(OLECHAR));
  if (n > 1024 && chars < n / 2) {
    BSTR exact = SysAllocStringLen(b, static_cast<UINT>(chars));
    SysFreeString(b);
    return exact;
  }
  return b;
}

std::string ZelUtf8FromWide(const wchar_t* p, size_t len) { return ZelWideToUtf8(p, len); }
