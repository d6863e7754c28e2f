#include "platform/mfc/String.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

const wchar_t kSpace[] = L" \t\r\n\v\f";

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

CString::CString(const char* utf8) {
  if (utf8) m_str = ZelUtf8ToWide(utf8, strlen(utf8));
}

std::string CString::ToUtf8() const { return ZelWideToUtf8(m_str.data(), m_str.size()); }

wchar_t* CString::GetBuffer(int nMinLength) {
  if (nMinLength > GetLength()) m_str.resize(static_cast<size_t>(nMinLength));
  return &m_str[0];
}

wchar_t* CString::GetBufferSetLength(int nLength) {
  m_str.resize(static_cast<size_t>(nLength < 0 ? 0 : nLength));
  return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0) nNewLength = static_cast<int>(wcsnlen(m_str.c_str(), m_str.size()));
  m_str.resize(static_cast<size_t>(std::min(nNewLength, GetLength())));
}

int CString::Compare(const wchar_t* s) const {
  int r = wcscmp(m_str.c_str(), s ? s : L"");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const wchar_t* s) const {
  int r = wcscasecmp(m_str.c_str(), s ? s : L"");
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::Find(wchar_t ch, int nStart) const {
  if (nStart < 0 || nStart >= GetLength()) return -1;
  size_t p = m_str.find(ch, static_cast<size_t>(nStart));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const wchar_t* sub, int nStart) const {
  if (!sub || nStart < 0 || nStart > GetLength()) return -1;
  size_t p = m_str.find(sub, static_cast<size_t>(nStart));
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(wchar_t ch) const {
  size_t p = m_str.rfind(ch);
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const wchar_t* chars) const {
  size_t p = m_str.find_first_of(chars ? chars : L"");
  return p == std::wstring::npos ? -1 : static_cast<int>(p);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  nFirst = Clamp(nFirst, 0, GetLength());
  nCount = Clamp(nCount, 0, GetLength() - nFirst);
  return CString(m_str.substr(static_cast<size_t>(nFirst), static_cast<size_t>(nCount)));
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

CString CString::Right(int nCount) const {
  nCount = Clamp(nCount, 0, GetLength());
  return Mid(GetLength() - nCount, nCount);
}

CString CString::SpanIncluding(const wchar_t* chars) const {
  size_t p = m_str.find_first_not_of(chars ? chars : L"");
  return Left(p == std::wstring::npos ? GetLength() : static_cast<int>(p));
}

CString CString::SpanExcluding(const wchar_t* chars) const {
  size_t p = m_str.find_first_of(chars ? chars : L"");
  return Left(p == std::wstring::npos ? GetLength() : static_cast<int>(p));
}

CString CString::Tokenize(const wchar_t* delims, int& iStart) const {
  if (iStart < 0 || iStart >= GetLength()) { iStart = -1; return CString(); }
  const wchar_t* d = delims ? delims : L"";
  size_t b = m_str.find_first_not_of(d, static_cast<size_t>(iStart));
  if (b == std::wstring::npos) { iStart = -1; return CString(); }
  size_t e = m_str.find_first_of(d, b);
  if (e == std::wstring::npos) e = m_str.size();
  iStart = static_cast<int>(e) + 1;
  return CString(m_str.substr(b, e - b));
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(const wchar_t* chars) { return TrimRight(chars).TrimLeft(chars); }
CString& CString::TrimLeft() { return TrimLeft(kSpace); }
CString& CString::TrimRight() { return TrimRight(kSpace); }
CString& CString::TrimLeft(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimLeft(s); }
CString& CString::TrimRight(wchar_t ch) { wchar_t s[2] = {ch, 0}; return TrimRight(s); }

CString& CString::TrimLeft(const wchar_t* chars) {
  size_t p = m_str.find_first_not_of(chars ? chars : L"");
  m_str.erase(0, p == std::wstring::npos ? m_str.size() : p);
  return *this;
}

CString& CString::TrimRight(const wchar_t* chars) {
  size_t p = m_str.find_last_not_of(chars ? chars : L"");
  m_str.erase(p == std::wstring::npos ? 0 : p + 1);
  return *this;
}

int CString::Replace(wchar_t chOld, wchar_t chNew) {
  int n = 0;
  for (auto& c : m_str)
    if (c == chOld) { c = chNew; ++n; }
  return n;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText) {
  if (!oldText || !*oldText) return 0;
  std::wstring o(oldText), r(newText ? newText : L""), out;
  int n = 0;
  size_t pos = 0, hit;
  while ((hit = m_str.find(o, pos)) != std::wstring::npos) {
    out.append(m_str, pos, hit - pos).append(r);
    pos = hit + o.size();
    ++n;
  }
  if (n) { out.append(m_str, pos, std::wstring::npos); m_str.swap(out); }
  return n;
}

int CString::Remove(wchar_t ch) {
  size_t before = m_str.size();
  m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
  return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, wchar_t ch) {
  m_str.insert(static_cast<size_t>(Clamp(index, 0, GetLength())), 1, ch);
  return GetLength();
}

int CString::Insert(int index, const wchar_t* s) {
  if (s) m_str.insert(static_cast<size_t>(Clamp(index, 0, GetLength())), s);
  return GetLength();
}

int CString::Delete(int index, int nCount) {
  if (index >= 0 && index < GetLength() && nCount > 0) m_str.erase(static_cast<size_t>(index), static_cast<size_t>(nCount));
  return GetLength();
}

CString& CString::MakeUpper() {
  for (auto& c : m_str) c = static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& c : m_str) c = static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_str.begin(), m_str.end());
  return *this;
}

void CString::Format(const wchar_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  FormatV(fmt, ap);
  va_end(ap);
}

void CString::FormatV(const wchar_t* fmt, va_list args) { m_str = ZelFormatV(fmt, args); }

void CString::AppendFormat(const wchar_t* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  m_str += ZelFormatV(fmt, ap);
  va_end(ap);
}
