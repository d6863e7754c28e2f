// _bstr_t: a reference-counted BSTR. Copies share one buffer; the narrow
// (UTF-8) form is built on first request and kept with the shared buffer.
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/Bstr.h"

class _variant_t;

class ZEL_EXPORT _bstr_t {
 public:
  _bstr_t() noexcept;
  _bstr_t(const _bstr_t& s) noexcept;
  _bstr_t(_bstr_t&& s) noexcept;
  _bstr_t(const char* s);     // UTF-8
  _bstr_t(const wchar_t* s);
  explicit _bstr_t(const _variant_t& var);  // as text; throws _com_error
  _bstr_t(BSTR bstr, bool fCopy);  // fCopy false: takes ownership
  ~_bstr_t();

  _bstr_t& operator=(const _bstr_t& s) noexcept;
  _bstr_t& operator=(_bstr_t&& s) noexcept;
  _bstr_t& operator=(const char* s);
  _bstr_t& operator=(const wchar_t* s);
  _bstr_t& operator=(const _variant_t& var);

  _bstr_t& operator+=(const _bstr_t& s);
  _bstr_t operator+(const _bstr_t& s) const;
  friend _bstr_t operator+(const char* s1, const _bstr_t& s2);
  friend _bstr_t operator+(const wchar_t* s1, const _bstr_t& s2);

  operator const wchar_t*() const noexcept;
  operator wchar_t*() const noexcept;
  operator const char*() const;  // UTF-8, cached until the text changes
  explicit operator bool() const noexcept { return length() != 0; }

  // Comparisons are by text; a null string equals the empty string.
  bool operator!() const noexcept;
  bool operator==(const _bstr_t& s) const noexcept;
  bool operator!=(const _bstr_t& s) const noexcept;
  bool operator<(const _bstr_t& s) const noexcept;
  bool operator>(const _bstr_t& s) const noexcept;
  bool operator<=(const _bstr_t& s) const noexcept;
  bool operator>=(const _bstr_t& s) const noexcept;
  bool operator==(const wchar_t* s) const noexcept;
  bool operator!=(const wchar_t* s) const noexcept;

  BSTR copy(bool fCopy = true) const;  // a new BSTR the caller frees
  unsigned int length() const noexcept;
  void Assign(BSTR s);                 // copies s
  BSTR& GetBSTR();                     // the shared BSTR (created if null)
  BSTR* GetAddress();                  // frees the current text first
  void Attach(BSTR s);                 // takes ownership
  BSTR Detach();                       // gives ownership away

 private:
  class Data_t;
  void Release() noexcept;
  void MakeUnique();
  int Compare(const wchar_t* s, unsigned int len) const noexcept;
  Data_t* m_Data;
};
