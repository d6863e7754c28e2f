// A one-dimensional array of variants, lower bound 0, destroyed with this
// object unless handed to a variant first; the rows, field lists and
// restriction lists of ZELAdo are built in it.
#pragma once

#include "platform/oleaut/OleAut.h"

class ZELAdoArray {
public:
  explicit ZELAdoArray(long n) : m_pArray(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(n))) {}
  ~ZELAdoArray() {
    if (m_pArray) SafeArrayDestroy(m_pArray);
  }
  ZELAdoArray(const ZELAdoArray&) = delete;
  ZELAdoArray& operator=(const ZELAdoArray&) = delete;

  bool IsValid() const { return m_pArray != NULL; }
  bool Put(long i, const VARIANT& v) {
    LONG index = static_cast<LONG>(i);
    return SUCCEEDED(SafeArrayPutElement(m_pArray, &index, const_cast<VARIANT*>(&v)));
  }
  // Hands the array over to vOut.
  void Detach(_variant_t& vOut) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = m_pArray;
    m_pArray = NULL;
    vOut.Clear();
    vOut.Attach(v);
  }

private:
  SAFEARRAY* m_pArray;
};
