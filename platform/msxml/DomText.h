// Text and failures at the border between the DOM's wide strings and
// libxml2's UTF-8.
#pragma once

#include <libxml/xmlstring.h>

#include <string>

#include "platform/base/WinError.h"
#include "platform/oleaut/OleAut.h"

namespace zel_msxml {

inline std::string Utf8(const _bstr_t& s) {
  const wchar_t* w = s;
  return w ? ZelUtf8FromWide(w, s.length()) : std::string();
}

inline const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }

inline _bstr_t Bstr(const xmlChar* s) {
  return s ? _bstr_t(ZelBstrFromUtf8(reinterpret_cast<const char*>(s)), false) : _bstr_t(L"");
}

// Takes over a string libxml2 allocated.
inline _bstr_t BstrFree(xmlChar* s) {
  _bstr_t b = Bstr(s);
  if (s) xmlFree(s);
  return b;
}

// Every failure of the DOM leaves a Win32 code in the last error, so that a
// caller logging GetLastError() logs why.
[[noreturn]] inline void Raise(HRESULT hr, DWORD lastError, const wchar_t* what) {
  SetLastError(lastError);
  throw _com_error(hr, what);
}

inline void NeedNode(const void* p) {
  if (!p) Raise(E_POINTER, ERROR_INVALID_ADDRESS, L"no node");
}

}  // namespace zel_msxml
