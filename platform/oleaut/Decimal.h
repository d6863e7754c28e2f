// DECIMAL (96-bit unsigned mantissa, power-of-ten scale 0..28, sign) and CY
// (a 64-bit integer counting ten-thousandths), with the conversions between
// them, integers, doubles and text. Conversions to integers and to smaller
// scales round half to even; anything that does not fit answers
// DISP_E_OVERFLOW and leaves the output untouched.
#pragma once

#include "ZELExport.h"

#include "platform/oleaut/Bstr.h"

typedef struct tagDEC {
  USHORT wReserved;  // overlays VARIANT::vt when held in a VARIANT
  union {
    struct {
      BYTE scale;  // number of decimal digits after the point, 0..28
      BYTE sign;   // 0 or DECIMAL_NEG
    };
    USHORT signscale;
  };
  ULONG Hi32;
  union {
    struct {
      ULONG Lo32;
      ULONG Mid32;
    };
    ULONGLONG Lo64;
  };
} DECIMAL;
typedef DECIMAL* LPDECIMAL;

#define DECIMAL_NEG ((BYTE)0x80)
#define DECIMAL_MAX_SCALE 28
#define DECIMAL_SETZERO(dec) \
  { (dec).Lo64 = 0; (dec).Hi32 = 0; (dec).signscale = 0; }

typedef union tagCY {
  struct {
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
} CY;
typedef CY* LPCY;

#define VARCMP_LT 0
#define VARCMP_EQ 1
#define VARCMP_GT 2
#define VARCMP_NULL 3

// DECIMAL from and to the other kinds.
ZEL_EXPORT HRESULT VarDecFromI4(LONG lIn, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarDecFromI8(LONG64 i64In, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarDecFromUI8(ULONG64 ui64In, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarDecFromR4(FLOAT fltIn, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarDecFromR8(DOUBLE dblIn, DECIMAL* pdecOut);  // nearest, 15 digits
ZEL_EXPORT HRESULT VarDecFromCy(CY cyIn, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarDecFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, DECIMAL* pdecOut);
ZEL_EXPORT HRESULT VarI4FromDec(const DECIMAL* pdecIn, LONG* plOut);
ZEL_EXPORT HRESULT VarI8FromDec(const DECIMAL* pdecIn, LONG64* pi64Out);
ZEL_EXPORT HRESULT VarUI8FromDec(const DECIMAL* pdecIn, ULONG64* pi64Out);
ZEL_EXPORT HRESULT VarR4FromDec(const DECIMAL* pdecIn, FLOAT* pfltOut);
ZEL_EXPORT HRESULT VarR8FromDec(const DECIMAL* pdecIn, DOUBLE* pdblOut);
ZEL_EXPORT HRESULT VarCyFromDec(const DECIMAL* pdecIn, CY* pcyOut);
// Exact text, scale kept: -12.3400 stays "-12.3400".
ZEL_EXPORT HRESULT VarBstrFromDec(const DECIMAL* pdecIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);

// DECIMAL arithmetic needed by callers that move between scales.
ZEL_EXPORT HRESULT VarDecCmp(const DECIMAL* pdecLeft, const DECIMAL* pdecRight);  // VARCMP_*
ZEL_EXPORT HRESULT VarDecAdd(const DECIMAL* pdecLeft, const DECIMAL* pdecRight, DECIMAL* pdecResult);
ZEL_EXPORT HRESULT VarDecSub(const DECIMAL* pdecLeft, const DECIMAL* pdecRight, DECIMAL* pdecResult);
ZEL_EXPORT HRESULT VarDecNeg(const DECIMAL* pdecIn, DECIMAL* pdecResult);
ZEL_EXPORT HRESULT VarDecAbs(const DECIMAL* pdecIn, DECIMAL* pdecResult);
ZEL_EXPORT HRESULT VarDecFix(const DECIMAL* pdecIn, DECIMAL* pdecResult);  // toward zero
ZEL_EXPORT HRESULT VarDecInt(const DECIMAL* pdecIn, DECIMAL* pdecResult);  // toward -inf
// To at most cDecimals digits after the point, half to even.
ZEL_EXPORT HRESULT VarDecRound(const DECIMAL* pdecIn, int cDecimals, DECIMAL* pdecResult);
// Our extension: the same value written with exactly `scale` digits after the
// point (DISP_E_OVERFLOW when more digits would not fit 96 bits).
ZEL_EXPORT HRESULT ZelDecRescale(const DECIMAL* pdecIn, int scale, DECIMAL* pdecResult);
// Our extension: the same value with trailing zeros after the point dropped.
ZEL_EXPORT HRESULT ZelDecTrim(const DECIMAL* pdecIn, DECIMAL* pdecResult);

// CY from and to the other kinds.
ZEL_EXPORT HRESULT VarCyFromI8(LONG64 i64In, CY* pcyOut);
ZEL_EXPORT HRESULT VarCyFromR8(DOUBLE dblIn, CY* pcyOut);  // half to even at 1/10000
ZEL_EXPORT HRESULT VarCyFromStr(LPCOLESTR strIn, LCID lcid, ULONG dwFlags, CY* pcyOut);
ZEL_EXPORT HRESULT VarR8FromCy(CY cyIn, DOUBLE* pdblOut);
ZEL_EXPORT HRESULT VarI8FromCy(CY cyIn, LONG64* pi64Out);  // half to even
// Up to four decimals, trailing zeros dropped: 12.5000 gives "12.5".
ZEL_EXPORT HRESULT VarBstrFromCy(CY cyIn, LCID lcid, ULONG dwFlags, BSTR* pbstrOut);
