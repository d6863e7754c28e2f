// Text from outside (database cells, workbook cells, callers) read as every
// value kind. Besides memory and undefined-behaviour faults, a value that was
// read must print and read back to itself: exactly for integers, currency
// and decimals (scale too), to the second for dates, to 15 digits for reals.
#include <cmath>
#include <cstdlib>

#include "platform/oleaut/OleAut.h"

namespace {

// The instant a DATE names: before day zero the fraction counts forward.
double Instant(double d) {
  double whole = std::trunc(d);
  return whole + std::fabs(d - whole);
}

bool SameValue(const VARIANT& a, const VARIANT& b) {
  switch (a.vt) {
    case VT_DECIMAL: return VarDecCmp(&a.decVal, &b.decVal) == VARCMP_EQ && a.decVal.scale == b.decVal.scale;
    case VT_DATE: return std::fabs(Instant(a.date) - Instant(b.date)) <= 0.5 / 86400 + 1e-9;
    case VT_R4: return a.fltVal == b.fltVal || std::fabs(a.fltVal - b.fltVal) <= std::fabs(a.fltVal) * 1e-6f;
    case VT_R8: return std::fabs(a.dblVal - b.dblVal) <= std::fabs(a.dblVal) * 1e-14;
    default: return a.llVal == b.llVal;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VARIANT src;
  VariantInit(&src);
  src.vt = VT_BSTR;
  src.bstrVal = ZelBstrFromUtf8Len(reinterpret_cast<const char*>(data), size);
  static const VARTYPE kKinds[] = {VT_I1, VT_I2,  VT_I4, VT_I8, VT_UI1,  VT_UI2,   VT_UI4,   VT_UI8,  VT_INT,  VT_UINT,
                                   VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_DECIMAL, VT_ERROR, VT_NULL, VT_EMPTY};
  for (VARTYPE vt : kKinds) {
    VARIANT value, text, again;
    VariantInit(&value);
    VariantInit(&text);
    VariantInit(&again);
    if (SUCCEEDED(VariantChangeType(&value, &src, 0, vt)) && SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR)) &&
        vt != VT_BOOL) {
      if (FAILED(VariantChangeType(&again, &text, 0, vt)) || !SameValue(value, again)) abort();
    }
    VariantClear(&value);
    VariantClear(&text);
    VariantClear(&again);
  }
  VariantClear(&src);
  return 0;
}
