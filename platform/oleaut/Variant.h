// VARIANT: the tagged value of automation, with the Windows field layout
// (16 bytes of kind and reserved words, then the value; a DECIMAL overlays
// the whole variant, its wReserved being the kind).
#pragma once

#include "ZELExport.h"

#include "platform/base/Com.h"
#include "platform/oleaut/Bstr.h"
#include "platform/oleaut/DateTime.h"
#include "platform/oleaut/Decimal.h"

struct IDispatch : IUnknown {};

struct tagSAFEARRAY;
typedef struct tagSAFEARRAY SAFEARRAY;
typedef SAFEARRAY* LPSAFEARRAY;

enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_RECORD = 36,
  VT_INT_PTR = 37,
  VT_UINT_PTR = 38,
  VT_FILETIME = 64,
  VT_BLOB = 65,
  VT_STREAM = 66,
  VT_STORAGE = 67,
  VT_STREAMED_OBJECT = 68,
  VT_STORED_OBJECT = 69,
  VT_BLOB_OBJECT = 70,
  VT_CF = 71,
  VT_CLSID = 72,
  VT_VERSIONED_STREAM = 73,
  VT_BSTR_BLOB = 0xfff,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_ILLEGAL = 0xffff,
  VT_ILLEGALMASKED = 0xfff,
  VT_TYPEMASK = 0xfff
};

struct tagVARIANT;
typedef struct tagVARIANT VARIANT;

struct tagVARIANT {
  union {
    struct {
      VARTYPE vt;
      WORD wReserved1;
      WORD wReserved2;
      WORD wReserved3;
      union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        DECIMAL* pdecVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
          void* pvRecord;
          void* pRecInfo;
        };
      };
    };
    DECIMAL decVal;
  };
};
typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
typedef VARIANT* LPVARIANTARG;

// Our extension: whether this layer handles vt, a scalar kind or an array or
// reference of one (VT_VARIANT only as an array or reference).
ZEL_EXPORT bool ZelIsValidVarType(VARTYPE vt);
// Our extension: the bytes one value of a scalar kind (or VT_VARIANT)
// occupies, as an array element; 0 for EMPTY, NULL and unknown kinds.
ZEL_EXPORT UINT ZelVarTypeSize(VARTYPE vt);

ZEL_EXPORT void VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (string, array, object reference) and leaves
// it VT_EMPTY. DISP_E_BADVARTYPE for a kind it does not know, DISP_E_ARRAYISLOCKED
// for a locked array; the variant is left unchanged then.
ZEL_EXPORT HRESULT VariantClear(VARIANTARG* pvarg);
// Deep copy: strings and arrays are duplicated, objects get a reference.
// A by-reference source is copied as a reference (see VariantCopyInd).
ZEL_EXPORT HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// As VariantCopy, but a by-reference source is copied as the value it refers to.
ZEL_EXPORT HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);

// Converts between every scalar kind (EMPTY NULL I1 I2 I4 I8 UI1 UI2 UI4 UI8
// INT UINT R4 R8 CY DATE BSTR BOOL DECIMAL ERROR) both ways; objects convert
// only to their own kind (or IDispatch to IUnknown). pvargDest may equal
// pvarSrc. On failure the destination is left as it was:
//   DISP_E_OVERFLOW      the value does not fit the target kind
//   DISP_E_TYPEMISMATCH  text that is no number/date/truth value, NULL to a
//                        value kind, or a pair that has no conversion
//   DISP_E_BADVARTYPE    a kind this layer does not know
// EMPTY converts to 0, "" and false; reals to integers round half to even.
// True is -1, so it gives the all-ones value of an unsigned kind. ERROR
// converts to and from the integer kinds only. Text into a date takes the
// date forms or a day number. Objects and arrays convert only to themselves.
ZEL_EXPORT HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);
ZEL_EXPORT HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags,
                            VARTYPE vt);
