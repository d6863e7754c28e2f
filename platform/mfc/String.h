// CString: the framework's counted wide string.
//
// wchar_t is 32 bits here, so a CString holds UTF-32 code points where the
// original held UTF-16 units; narrow text given to or taken from a CString is
// UTF-8. Format() keeps the original's conversion letters: %s and %c take wide
// arguments, %S and %C narrow ones, an 'l' length is 32 bits (LONG) and
// %I64d/%lld are 64 bits.
//
// A CString is one pointer to its characters; a header before them holds the
// length, the capacity and a reference count. Copies share the buffer and a
// change first takes a private one, so copying a string (into an array, out
// of a getter) costs no allocation; the empty string is one static buffer.
// The count is atomic, so copies may be handed to other threads.
#pragma once

#include "ZELExport.h"

#include <atomic>
#include <cstdarg>
#include <string>
#include <string_view>

#include "platform/base/Utf8.h"
#include "platform/base/WinTypes.h"
#include "platform/mfc/Array.h"
#include "platform/mfc/Format.h"

class ZEL_EXPORT CString {
public:
  CString() noexcept : m_psz(EmptyChars()) {}
  CString(const CString& s) noexcept : m_psz(s.m_psz) { AddRef(); }
  CString(CString&& s) noexcept : m_psz(s.m_psz) { s.m_psz = EmptyChars(); }
  CString(const wchar_t* s);
  CString(const wchar_t* s, int nLength);
  CString(const char* utf8);  // UTF-8
  CString(wchar_t ch, int nRepeat = 1);
  CString(const std::wstring& s);
  CString(std::wstring&& s) : CString(static_cast<const std::wstring&>(s)) {}
  ~CString() { Release(); }

  // An exact-size copy in a block of the small-block pool (SmallPool.h),
  // for strings made by the million, such as the tokens of a parsed page.
  // It reads and copies like any other; a change first moves it to a
  // buffer of its own. Long texts get an ordinary buffer.
  static CString Packed(const wchar_t* s, int nLength);

  CString& operator=(const CString& s) noexcept;
  CString& operator=(CString&& s) noexcept;
  CString& operator=(const wchar_t* s);
  CString& operator=(const char* utf8) { return *this = CString(utf8); }
  CString& operator=(wchar_t ch) { Assign(&ch, 1); return *this; }

  operator const wchar_t*() const { return m_psz; }
  const wchar_t* GetString() const { return m_psz; }
  // A copy of the characters; view() reads them in place.
  std::wstring str() const { return std::wstring(m_psz, static_cast<size_t>(GetLength())); }
  std::wstring_view view() const { return std::wstring_view(m_psz, static_cast<size_t>(GetLength())); }
  std::string ToUtf8() const;

  int GetLength() const { return Header()->length; }
  BOOL IsEmpty() const { return GetLength() == 0; }
  void Empty();
  wchar_t GetAt(int i) const { return m_psz[CheckIndex(i)]; }
  void SetAt(int i, wchar_t ch);
  wchar_t operator[](int i) const { return GetAt(i); }

  // A buffer of at least nMinLength characters plus the terminator; the
  // length is fixed again by ReleaseBuffer (-1: up to the first NUL).
  wchar_t* GetBuffer(int nMinLength = 0);
  wchar_t* GetBufferSetLength(int nLength);
  void ReleaseBuffer(int nNewLength = -1);

  CString& operator+=(const CString& s) { Append(s.m_psz, s.GetLength()); return *this; }
  CString& operator+=(const wchar_t* s);
  CString& operator+=(wchar_t ch) { Append(&ch, 1); return *this; }
  void Append(const wchar_t* s) { *this += s; }
  void Append(const wchar_t* s, int n);
  void AppendChar(wchar_t ch) { Append(&ch, 1); }

  int Compare(const wchar_t* s) const;
  int CompareNoCase(const wchar_t* s) const;
  int Collate(const wchar_t* s) const { return Compare(s); }

  int Find(wchar_t ch, int nStart = 0) const;
  int Find(const wchar_t* sub, int nStart = 0) const;
  int ReverseFind(wchar_t ch) const;
  int FindOneOf(const wchar_t* chars) const;

  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  CString SpanIncluding(const wchar_t* chars) const;
  CString SpanExcluding(const wchar_t* chars) const;
  CString Tokenize(const wchar_t* delims, int& iStart) const;

  CString& Trim();
  CString& Trim(wchar_t ch);
  CString& Trim(const wchar_t* chars);
  CString& TrimLeft();
  CString& TrimLeft(wchar_t ch);
  CString& TrimLeft(const wchar_t* chars);
  CString& TrimRight();
  CString& TrimRight(wchar_t ch);
  CString& TrimRight(const wchar_t* chars);

  int Replace(wchar_t chOld, wchar_t chNew);
  int Replace(const wchar_t* oldText, const wchar_t* newText);
  int Remove(wchar_t ch);
  int Insert(int index, wchar_t ch);
  int Insert(int index, const wchar_t* s);
  int Delete(int index, int nCount = 1);

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();

  void Format(const wchar_t* fmt, ...);
  void FormatV(const wchar_t* fmt, va_list args);
  void AppendFormat(const wchar_t* fmt, ...);

  friend CString operator+(const CString& a, const CString& b) { return Concat(a.view(), b.view()); }
  friend CString operator+(const CString& a, const wchar_t* b) { return Concat(a.view(), b ? b : L""); }
  friend CString operator+(const wchar_t* a, const CString& b) { return Concat(a ? a : L"", b.view()); }
  friend CString operator+(const CString& a, wchar_t b) { return Concat(a.view(), std::wstring_view(&b, 1)); }
  friend CString operator+(wchar_t a, const CString& b) { return Concat(std::wstring_view(&a, 1), b.view()); }

  friend bool operator==(const CString& a, const CString& b) { return a.m_psz == b.m_psz || a.view() == b.view(); }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
  friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.view() < b.view(); }

  // The buffer's header; the characters follow it. A packed buffer has no
  // room to grow: its capacity reads -1, which also says whose it is.
  struct Rep {
    std::atomic<int> refs;
    int length;
    int capacity;
  };

private:
  static wchar_t* EmptyChars();
  static Rep* HeaderOf(wchar_t* p) { return reinterpret_cast<Rep*>(reinterpret_cast<char*>(p) - sizeof(Rep)); }
  Rep* Header() const { return HeaderOf(m_psz); }
  bool IsStaticEmpty() const { return m_psz == EmptyChars(); }
  void AddRef() const {
    if (!IsStaticEmpty()) Header()->refs.fetch_add(1, std::memory_order_relaxed);
  }
  // Drops this string's reference; the string is then empty.
  void Release() {
    if (!IsStaticEmpty()) ReleaseShared();
  }
  void ReleaseShared();
  static wchar_t* Allocate(int capacity);
  // Makes the buffer this string's own with room for n characters, keeping
  // the first min(n, length) of them; the length is left to SetLength.
  void Reserve(int n);
  void SetLength(int n);
  void Assign(const wchar_t* s, size_t n);
  static CString Concat(std::wstring_view a, std::wstring_view b);
  int CheckIndex(int i) const;

  wchar_t* m_psz;
};

// The one buffer of every empty string: never counted, never freed.
struct ZelEmptyStringRep {
  CString::Rep rep;
  wchar_t nul;
};
extern ZEL_EXPORT ZelEmptyStringRep g_zelEmptyString;
inline wchar_t* CString::EmptyChars() { return &g_zelEmptyString.nul; }

typedef CString CStringW;

class ZEL_EXPORT CStringArray : public CArray<CString, const CString&> {
public:
  INT_PTR Add(const CString& s) { return CArray<CString, const CString&>::Add(s); }
  INT_PTR Add(const wchar_t* s) { return CArray<CString, const CString&>::Add(CString(s)); }
};
