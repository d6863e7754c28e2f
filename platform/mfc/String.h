// CString: the framework's counted wide string, over std::wstring.
//
// wchar_t is 32 bits here, so a CString holds UTF-32 code points where the
// original held UTF-16 units; narrow text given to or taken from a CString is
// UTF-8. Format() keeps the original's conversion letters: %s and %c take wide
// arguments, %S and %C narrow ones, an 'l' length is 32 bits (LONG) and
// %I64d/%lld are 64 bits.
#pragma once

#include <cstdarg>
#include <string>

#include "platform/base/Utf8.h"
#include "platform/base/WinTypes.h"
#include "platform/mfc/Array.h"
#include "platform/mfc/Format.h"

class CString {
public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const wchar_t* s) : m_str(s ? s : L"") {}
  CString(const wchar_t* s, int nLength) : m_str(s ? std::wstring(s, nLength > 0 ? nLength : 0) : std::wstring()) {}
  CString(const char* utf8);  // UTF-8
  CString(wchar_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? nRepeat : 0, ch) {}
  CString(const std::wstring& s) : m_str(s) {}
  CString(std::wstring&& s) : m_str(std::move(s)) {}

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const wchar_t* s) { m_str = s ? s : L""; return *this; }
  CString& operator=(const char* utf8) { return *this = CString(utf8); }
  CString& operator=(wchar_t ch) { m_str.assign(1, ch); return *this; }

  operator const wchar_t*() const { return m_str.c_str(); }
  const wchar_t* GetString() const { return m_str.c_str(); }
  const std::wstring& str() const { return m_str; }
  std::string ToUtf8() const;

  int GetLength() const { return static_cast<int>(m_str.size()); }
  BOOL IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  wchar_t GetAt(int i) const { return m_str.at(static_cast<size_t>(i)); }
  void SetAt(int i, wchar_t ch) { m_str.at(static_cast<size_t>(i)) = ch; }
  wchar_t operator[](int i) const { return GetAt(i); }

  // A buffer of at least nMinLength characters plus the terminator; the
  // length is fixed again by ReleaseBuffer (-1: up to the first NUL).
  wchar_t* GetBuffer(int nMinLength = 0);
  wchar_t* GetBufferSetLength(int nLength);
  void ReleaseBuffer(int nNewLength = -1);

  CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
  CString& operator+=(const wchar_t* s) { if (s) m_str += s; return *this; }
  CString& operator+=(wchar_t ch) { m_str += ch; return *this; }
  void Append(const wchar_t* s) { *this += s; }
  void Append(const wchar_t* s, int n) { if (s && n > 0) m_str.append(s, n); }
  void AppendChar(wchar_t ch) { m_str += ch; }

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

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
  friend CString operator+(const CString& a, const wchar_t* b) { CString r(a); r += b; return r; }
  friend CString operator+(const wchar_t* a, const CString& b) { CString r(a); r += b; return r; }
  friend CString operator+(const CString& a, wchar_t b) { CString r(a); r += b; return r; }
  friend CString operator+(wchar_t a, const CString& b) { CString r(a); r += b; return r; }

  friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
  friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
  std::wstring m_str;
};

typedef CString CStringW;



class CStringArray : public CArray<CString, const CString&> {
public:
  INT_PTR Add(const CString& s) { return CArray<CString, const CString&>::Add(s); }
  INT_PTR Add(const wchar_t* s) { return CArray<CString, const CString&>::Add(CString(s)); }
};
