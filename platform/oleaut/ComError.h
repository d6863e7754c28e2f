// _com_error: the exception the automation wrappers throw. It carries the
// result code, an optional error-info object and, as our extension, a plain
// description text for stand-ins that have the engine's message at hand.
#pragma once

#include "ZELExport.h"

#include "platform/base/Com.h"
#include "platform/oleaut/BstrT.h"

// The error details an object can attach to a failure.
struct ZEL_EXPORT IErrorInfo : IUnknown {
  virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
  virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
  virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

class ZEL_EXPORT _com_error {
 public:
  // fAddRef false: the error takes over the caller's reference to perrinfo.
  explicit _com_error(HRESULT hr, IErrorInfo* perrinfo = nullptr, bool fAddRef = false) noexcept;
  _com_error(HRESULT hr, const wchar_t* description);
  _com_error(const _com_error& that) noexcept;
  _com_error& operator=(const _com_error& that) noexcept;
  virtual ~_com_error();

  HRESULT Error() const noexcept;
  WORD WCode() const noexcept;
  IErrorInfo* ErrorInfo() const noexcept;  // with a new reference, or NULL
  // The description given, else the error-info object's, else a null string.
  _bstr_t Description() const;
  _bstr_t Source() const;
  _bstr_t HelpFile() const;
  DWORD HelpContext() const;
  // The system text of the code, made on first use and kept; empty (never
  // NULL) when the system has no text for the code.
  const wchar_t* ErrorMessage() const;

  static HRESULT WCodeToHRESULT(WORD wCode) noexcept;
  static WORD HRESULTToWCode(HRESULT hr) noexcept;

 private:
  HRESULT m_hresult;
  IErrorInfo* m_perrinfo;
  _bstr_t m_description;
  bool m_hasDescription;
  mutable wchar_t* m_pszMsg;
};

[[noreturn]] ZEL_EXPORT void _com_issue_error(HRESULT hr);
// Throws _com_error(hr, description); description may be NULL.
[[noreturn]] ZEL_EXPORT void ZelThrowComError(HRESULT hr, const wchar_t* description);
