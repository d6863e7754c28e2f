#include "platform/mfc/String.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <stdexcept>

#include "platform/base/SmallPool.h"

ZelEmptyStringRep g_zelEmptyString = {{{0}, 0, 0}, 0};
static_assert(offsetof(ZelEmptyStringRep, nul) == sizeof(CString::Rep), "characters follow the header");

namespace {

const wchar_t kSpace[] = L" \t\r\n\v\f";

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

int ToInt(size_t n) {
  if (n > static_cast<size_t>(INT32_MAX / sizeof(wchar_t)) - 8) throw std::length_error("CString too long");
  return static_cast<int>(n);
}

int Found(size_t p) { return p == std::wstring_view::npos ? -1 : static_cast<int>(p); }

}  // namespace

// ---- the buffer ----

// A buffer of `capacity` characters in `room`; capacity -1 marks a packed
// buffer of the small-block pool.
static wchar_t* StartBuffer(void* room, int capacity) {
  CString::Rep* r = new (room) CString::Rep;
  r->refs.store(1, std::memory_order_relaxed);
  r->length = 0;
  r->capacity = capacity;
  wchar_t* chars = reinterpret_cast<wchar_t*>(r + 1);
  chars[0] = 0;
  return chars;
}

wchar_t* CString::Allocate(int capacity) {
  void* p = std::malloc(sizeof(Rep) + (static_cast<size_t>(capacity) + 1) * sizeof(wchar_t));
  if (!p) throw std::bad_alloc();
  return StartBuffer(p, capacity);
}

CString CString::Packed(const wchar_t* s, int nLength) {
  CString r;
  if (!s || nLength <= 0) return r;
  size_t bytes = sizeof(Rep) + (static_cast<size_t>(nLength) + 1) * sizeof(wchar_t);
  if (bytes > kZelPoolLargest) return CString(s, nLength);
  r.m_psz = StartBuffer(ZelPoolAlloc(bytes), -1);
  std::memcpy(r.m_psz, s, static_cast<size_t>(nLength) * sizeof(wchar_t));  // one call: wmemcpy wraps memcpy
  r.SetLength(nLength);
  return r;
}

// The last owner frees without an atomic decrement: no other string can
// take a reference to a buffer that only it holds, and most strings are
// dropped by their only owner. The acquire load pairs with the release of
// the owners that dropped theirs before.
void CString::ReleaseShared() {
  Rep* r = Header();
  if (r->refs.load(std::memory_order_acquire) == 1 || r->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    bool packed = r->capacity < 0;
    r->~Rep();
    if (packed) ZelPoolFree(r);
    else std::free(r);
  }
  m_psz = EmptyChars();
}

// The acquire load pairs with the release of another owner's last
// reference, so its reads are done before this one writes.
void CString::Reserve(int n) {
  Rep* r = Header();
  if (!IsStaticEmpty() && r->refs.load(std::memory_order_acquire) == 1 && r->capacity >= n) return;
  int keep = std::min(n, r->length);
  // Growing in place leaves room for more; a fresh copy is exact.
  int cap = n > r->length && r->length > 0 ? std::max(n, r->length + r->length / 2) : n;
  wchar_t* fresh = Allocate(cap);
  std::wmemcpy(fresh, m_psz, static_cast<size_t>(keep));
  HeaderOf(fresh)->length = keep;
  fresh[keep] = 0;
  Release();
  m_psz = fresh;
}

void CString::SetLength(int n) {
  Header()->length = n;
  m_psz[n] = 0;
}

// s may point into this string's own buffer.
void CString::Assign(const wchar_t* s, size_t count) {
  int n = ToInt(count);
  Rep* r = Header();
  if (!IsStaticEmpty() && r->refs.load(std::memory_order_acquire) == 1 && r->capacity >= n) {
    std::wmemmove(m_psz, s, count);
    SetLength(n);
    return;
  }
  if (n == 0) {
    Empty();
    return;
  }
  wchar_t* fresh = Allocate(n);
  std::wmemcpy(fresh, s, count);
  Release();
  m_psz = fresh;
  SetLength(n);
}

CString CString::Concat(std::wstring_view a, std::wstring_view b) {
  CString r;
  int n = ToInt(a.size() + b.size());
  if (n == 0) return r;
  r.m_psz = Allocate(n);
  std::wmemcpy(r.m_psz, a.data(), a.size());
  std::wmemcpy(r.m_psz + a.size(), b.data(), b.size());
  r.SetLength(n);
  return r;
}

int CString::CheckIndex(int i) const {
  if (i < 0 || i >= GetLength()) throw std::out_of_range("CString index");
  return i;
}

// ---- construction and assignment ----

CString::CString(const wchar_t* s) : CString() {
  if (s) Assign(s, std::wcslen(s));
}

CString::CString(const wchar_t* s, int nLength) : CString() {
  if (s && nLength > 0) Assign(s, static_cast<size_t>(nLength));
}

CString::CString(const char* utf8) : CString() {
  if (utf8) *this = CString(ZelUtf8ToWide(utf8, strlen(utf8)));
}

CString::CString(wchar_t ch, int nRepeat) : CString() {
  if (nRepeat <= 0) return;
  m_psz = Allocate(nRepeat);
  std::wmemset(m_psz, ch, static_cast<size_t>(nRepeat));
  SetLength(nRepeat);
}

CString::CString(const std::wstring& s) : CString() { Assign(s.data(), s.size()); }

CString& CString::operator=(const CString& s) noexcept {
  wchar_t* p = s.m_psz;  // s may be this string
  s.AddRef();
  Release();
  m_psz = p;
  return *this;
}

CString& CString::operator=(CString&& s) noexcept {
  if (this != &s) {
    Release();
    m_psz = s.m_psz;
    s.m_psz = EmptyChars();
  }
  return *this;
}

CString& CString::operator=(const wchar_t* s) {
  if (s) Assign(s, std::wcslen(s));
  else Empty();
  return *this;
}

void CString::Empty() { Release(); }

std::string CString::ToUtf8() const { return ZelWideToUtf8(m_psz, static_cast<size_t>(GetLength())); }

void CString::SetAt(int i, wchar_t ch) {
  CheckIndex(i);
  Reserve(GetLength());
  m_psz[i] = ch;
}

// ---- direct buffer access ----

wchar_t* CString::GetBuffer(int nMinLength) {
  int len = GetLength();
  if (nMinLength > len) return GetBufferSetLength(nMinLength);
  Reserve(len);
  return m_psz;
}

wchar_t* CString::GetBufferSetLength(int nLength) {
  int n = nLength < 0 ? 0 : nLength;
  int len = GetLength();
  Reserve(n);
  if (n > len) std::wmemset(m_psz + len, 0, static_cast<size_t>(n - len));
  SetLength(n);
  return m_psz;
}

void CString::ReleaseBuffer(int nNewLength) {
  int len = GetLength();
  if (nNewLength < 0) nNewLength = static_cast<int>(wcsnlen(m_psz, static_cast<size_t>(len)));
  nNewLength = std::min(nNewLength, len);
  if (nNewLength == len) return;
  Reserve(nNewLength);
  SetLength(nNewLength);
}

// ---- appending ----

CString& CString::operator+=(const wchar_t* s) {
  if (s) Append(s, ToInt(std::wcslen(s)));
  return *this;
}

// s may be this string's own text: Reserve copies it to a new buffer
// before the old one is let go, and in place it lies before the length.
void CString::Append(const wchar_t* s, int n) {
  if (!s || n <= 0) return;
  int len = GetLength();
  int total = ToInt(static_cast<size_t>(len) + static_cast<size_t>(n));
  if (s >= m_psz && s < m_psz + len && Header()->capacity < total) {
    std::wstring copy(s, static_cast<size_t>(n));
    Append(copy.data(), n);
    return;
  }
  Reserve(total);
  std::wmemcpy(m_psz + len, s, static_cast<size_t>(n));
  SetLength(total);
}

// ---- comparison and search ----

int CString::Compare(const wchar_t* s) const {
  int r = wcscmp(m_psz, s ? s : L"");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const wchar_t* s) const {
  int r = wcscasecmp(m_psz, s ? s : L"");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::Find(wchar_t ch, int nStart) const {
  if (nStart < 0 || nStart >= GetLength()) return -1;
  return Found(view().find(ch, static_cast<size_t>(nStart)));
}

int CString::Find(const wchar_t* sub, int nStart) const {
  if (!sub || nStart < 0 || nStart > GetLength()) return -1;
  return Found(view().find(sub, static_cast<size_t>(nStart)));
}

int CString::ReverseFind(wchar_t ch) const { return Found(view().rfind(ch)); }

int CString::FindOneOf(const wchar_t* chars) const { return Found(view().find_first_of(chars ? chars : L"")); }

// ---- parts ----

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  nFirst = Clamp(nFirst, 0, GetLength());
  nCount = Clamp(nCount, 0, GetLength() - nFirst);
  if (nFirst == 0 && nCount == GetLength()) return *this;
  return CString(m_psz + nFirst, nCount);
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const {
  nCount = Clamp(nCount, 0, GetLength());
  return Mid(GetLength() - nCount, nCount);
}

CString CString::SpanIncluding(const wchar_t* chars) const {
  size_t p = view().find_first_not_of(chars ? chars : L"");
  return Left(p == std::wstring_view::npos ? GetLength() : static_cast<int>(p));
}

CString CString::SpanExcluding(const wchar_t* chars) const {
  size_t p = view().find_first_of(chars ? chars : L"");
  return Left(p == std::wstring_view::npos ? GetLength() : static_cast<int>(p));
}

CString CString::Tokenize(const wchar_t* delims, int& iStart) const {
  if (iStart < 0 || iStart >= GetLength()) { iStart = -1; return CString(); }
  const wchar_t* d = delims ? delims : L"";
  std::wstring_view v = view();
  size_t b = v.find_first_not_of(d, static_cast<size_t>(iStart));
  if (b == std::wstring_view::npos) { iStart = -1; return CString(); }
  size_t e = v.find_first_of(d, b);
  if (e == std::wstring_view::npos) e = v.size();
  iStart = static_cast<int>(e) + 1;
  return CString(m_psz + b, static_cast<int>(e - b));
}

// ---- changes in place ----

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const wchar_t* chars) { return TrimRight(chars).TrimLeft(chars); }
CString& CString::TrimLeft() { return TrimLeft(kSpace); }
CString& CString::TrimRight() { return TrimRight(kSpace); }
CString& CString::TrimLeft(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimLeft(s); }
CString& CString::TrimRight(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimRight(s); }

CString& CString::TrimLeft(const wchar_t* chars) {
  size_t p = view().find_first_not_of(chars ? chars : L"");
  if (p == std::wstring_view::npos) Empty();
  else if (p > 0) Assign(m_psz + p, static_cast<size_t>(GetLength()) - p);
  return *this;
}

CString& CString::TrimRight(const wchar_t* chars) {
  size_t p = view().find_last_not_of(chars ? chars : L"");
  size_t keep = p == std::wstring_view::npos ? 0 : p + 1;
  if (keep < static_cast<size_t>(GetLength())) Assign(m_psz, keep);
  return *this;
}

int CString::Replace(wchar_t chOld, wchar_t chNew) {
  size_t first = view().find(chOld);
  if (first == std::wstring_view::npos) return 0;
  Reserve(GetLength());
  int n = 0;
  for (int i = static_cast<int>(first); i < GetLength(); ++i)
    if (m_psz[i] == chOld) m_psz[i] = chNew, ++n;
  return n;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
  if (!oldText || !*oldText) return 0;
  std::wstring_view o(oldText), r(newText ? newText : L""), v = view();
  std::wstring out;
  int n = 0;
  size_t pos = 0, hit;
  while ((hit = v.find(o, pos)) != std::wstring_view::npos) {
    out.append(v.substr(pos, hit - pos)).append(r);
    pos = hit + o.size();
    ++n;
  }
  if (n) {
    out.append(v.substr(pos));
    Assign(out.data(), out.size());
  }
  return n;
}

int CString::Remove(wchar_t ch) {
  if (view().find(ch) == std::wstring_view::npos) return 0;
  int before = GetLength();
  Reserve(before);
  int after = static_cast<int>(std::remove(m_psz, m_psz + before, ch) - m_psz);
  SetLength(after);
  return before - after;
}

int CString::Insert(int index, wchar_t ch) { wchar_t s[2] = {ch, 0}; return Insert(index, s); }

int CString::Insert(int index, const wchar_t* s) {
  if (!s || !*s) return GetLength();
  std::wstring ins(s);  // s may be this string's own text
  int len = GetLength(), at = Clamp(index, 0, len), n = ToInt(ins.size());
  Reserve(ToInt(static_cast<size_t>(len) + ins.size()));
  std::wmemmove(m_psz + at + n, m_psz + at, static_cast<size_t>(len - at));
  std::wmemcpy(m_psz + at, ins.data(), ins.size());
  SetLength(len + n);
  return GetLength();
}

int CString::Delete(int index, int nCount) {
  int len = GetLength();
  if (index < 0 || index >= len || nCount <= 0) return len;
  nCount = std::min(nCount, len - index);
  Reserve(len);
  std::wmemmove(m_psz + index, m_psz + index + nCount, static_cast<size_t>(len - index - nCount));
  SetLength(len - nCount);
  return GetLength();
}

CString& CString::MakeUpper() {
  if (IsEmpty()) return *this;
  Reserve(GetLength());
  for (int i = 0; i < GetLength(); ++i) m_psz[i] = static_cast<wchar_t>(towupper(static_cast<wint_t>(m_psz[i])));
  return *this;
}

CString& CString::MakeLower() {
  if (IsEmpty()) return *this;
  Reserve(GetLength());
  for (int i = 0; i < GetLength(); ++i) m_psz[i] = static_cast<wchar_t>(towlower(static_cast<wint_t>(m_psz[i])));
  return *this;
}

CString& CString::MakeReverse() {
  if (GetLength() < 2) return *this;
  Reserve(GetLength());
  std::reverse(m_psz, m_psz + GetLength());
  return *this;
}

// ---- formatting ----

void CString::Format(const wchar_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  FormatV(fmt, ap);
  va_end(ap);
}

void CString::FormatV(const wchar_t* fmt, va_list args) {
  std::wstring s = ZelFormatV(fmt, args);
  Assign(s.data(), s.size());
}

void CString::AppendFormat(const wchar_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::wstring s = ZelFormatV(fmt, ap);
  va_end(ap);
  Append(s.data(), ToInt(s.size()));
}
