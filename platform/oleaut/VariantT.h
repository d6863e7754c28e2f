// _variant_t: a VARIANT that owns its value. Extractors convert with
// VariantChangeType and throw _com_error with its code when they cannot.
//
// Integer kinds on this platform: LONG is 32 bits and the same type as int,
// while long is 64 bits and the same type as LONGLONG. So
//   int / LONG              -> VT_I4 (VT_INT only when asked for)
//   long / LONGLONG          -> VT_I4 when the value fits 32 bits, else VT_I8
//   long long               -> VT_I8
//   unsigned int            -> VT_UI4
//   unsigned long/ULONGLONG -> VT_UI4 when the value fits 32 bits, else VT_UI8
//   unsigned long long      -> VT_UI8
// Code written for 32-bit long thus keeps VT_I4, and no value is cut short.
// Going out, operator int (LONG) converts to VT_I4, operator long (LONGLONG)
// to VT_I8.
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/BstrT.h"
#include "platform/oleaut/ComError.h"
#include "platform/oleaut/Variant.h"

class ZEL_EXPORT _variant_t : public ::tagVARIANT {
 public:
  _variant_t() noexcept;
  _variant_t(const VARIANT& varSrc);
  _variant_t(const VARIANT* pSrc);
  _variant_t(const _variant_t& varSrc);
  _variant_t(_variant_t&& varSrc) noexcept;
  _variant_t(VARIANT& varSrc, bool fCopy);  // fCopy false: takes the value over

  // vtSrc may be VT_I2 or VT_BOOL.
  _variant_t(short sSrc, VARTYPE vtSrc = VT_I2);
  // vtSrc may be VT_I4, VT_INT, VT_ERROR or VT_BOOL.
  _variant_t(int iSrc, VARTYPE vtSrc = VT_I4);
  // vtSrc may be VT_I4 (widened to VT_I8 when the value does not fit),
  // VT_I8, VT_ERROR or VT_BOOL.
  _variant_t(long lSrc, VARTYPE vtSrc = VT_I4);
  _variant_t(long long llSrc);
  _variant_t(float fltSrc) noexcept;
  // vtSrc may be VT_R8 or VT_DATE.
  _variant_t(double dblSrc, VARTYPE vtSrc = VT_R8);
  _variant_t(const CY& cySrc) noexcept;
  _variant_t(const _bstr_t& bstrSrc);
  _variant_t(const wchar_t* pSrc);
  _variant_t(const char* pSrc);  // UTF-8
  _variant_t(IDispatch* pSrc, bool fAddRef = true) noexcept;
  _variant_t(bool boolSrc) noexcept;
  _variant_t(IUnknown* pSrc, bool fAddRef = true) noexcept;
  _variant_t(const DECIMAL& decSrc) noexcept;
  _variant_t(BYTE bSrc) noexcept;
  _variant_t(char cSrc) noexcept;
  _variant_t(signed char cSrc) noexcept;
  _variant_t(unsigned short usSrc) noexcept;
  _variant_t(unsigned int uiSrc) noexcept;
  _variant_t(unsigned long ulSrc) noexcept;
  _variant_t(unsigned long long ullSrc) noexcept;
  ~_variant_t();

  // For constants such as vtMissing: made at compile time, so no code runs
  // at load and other constants may use it in any order.
  struct ZelErrorConstant {};
  constexpr _variant_t(ZelErrorConstant, SCODE code) noexcept
      : tagVARIANT{{{VT_ERROR, 0, 0, 0, {static_cast<LONGLONG>(static_cast<ULONG>(code))}}}} {}

  // Extractors: the value converted to the kind, or _com_error.
  operator short() const;
  operator int() const;  // VT_I4 (LONG)
  operator long() const;  // VT_I8 (LONGLONG)
  operator float() const;
  operator double() const;
  operator CY() const;
  operator _bstr_t() const;
  operator IDispatch*() const;  // with a new reference, or NULL
  operator bool() const;
  operator IUnknown*() const;  // with a new reference, or NULL
  operator DECIMAL() const;
  operator BYTE() const;
  operator char() const;
  operator unsigned short() const;
  operator unsigned int() const;
  operator unsigned long() const;  // VT_UI8 (ULONGLONG)

  _variant_t& operator=(const VARIANT& varSrc);
  _variant_t& operator=(const VARIANT* pSrc);
  _variant_t& operator=(const _variant_t& varSrc);
  _variant_t& operator=(_variant_t&& varSrc) noexcept;
  _variant_t& operator=(short sSrc);
  _variant_t& operator=(int iSrc);
  _variant_t& operator=(long lSrc);
  _variant_t& operator=(long long llSrc);
  _variant_t& operator=(float fltSrc);
  _variant_t& operator=(double dblSrc);
  _variant_t& operator=(const CY& cySrc);
  _variant_t& operator=(const _bstr_t& bstrSrc);
  _variant_t& operator=(const wchar_t* pSrc);
  _variant_t& operator=(const char* pSrc);
  _variant_t& operator=(IDispatch* pSrc);
  _variant_t& operator=(bool boolSrc);
  _variant_t& operator=(IUnknown* pSrc);
  _variant_t& operator=(const DECIMAL& decSrc);
  _variant_t& operator=(BYTE bSrc);
  _variant_t& operator=(char cSrc);
  _variant_t& operator=(unsigned short usSrc);
  _variant_t& operator=(unsigned int uiSrc);
  _variant_t& operator=(unsigned long ulSrc);
  _variant_t& operator=(unsigned long long ullSrc);

  // Same kind and same value (text by content, arrays by identity).
  bool operator==(const VARIANT& varSrc) const noexcept;
  bool operator==(const VARIANT* pSrc) const noexcept;
  bool operator!=(const VARIANT& varSrc) const noexcept;
  bool operator!=(const VARIANT* pSrc) const noexcept;

  void Clear();                   // throws _com_error when VariantClear fails
  void Attach(VARIANT& varSrc);   // takes the value over, leaving varSrc empty
  VARIANT Detach();               // gives the value away, leaving this empty
  VARIANT& GetVARIANT() noexcept;
  VARIANT* GetAddress();          // clears first, for out parameters
  // Converts in place (or from pSrc); throws _com_error on failure.
  void ChangeType(VARTYPE vartype, const _variant_t* pSrc = nullptr);
  void SetString(const char* pSrc);  // UTF-8
};

// The absent value: VT_ERROR with DISP_E_PARAMNOTFOUND.
extern ZEL_EXPORT const _variant_t vtMissing;
