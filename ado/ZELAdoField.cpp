// ZELAdo: the fields of the current record, rows, and value conversions.
#include <charconv>
#include <cstring>
#include <cwctype>
#include <string>
#include <utility>

#include "ZELAdo.h"
#include "ZELAdoArray.h"
#include "ZELAdoInternal.h"

namespace {
// Reads a number as _wtof does (white space, a sign, digits, a point, an
// exponent; what follows is ignored; nothing readable is 0), always with a
// point, whatever the program's locale says.
double ReadDouble(const wchar_t* p) {
  while (iswspace(*p)) p++;
  std::string digits;
  if (*p == L'+') p++;
  for (; *p > 0 && *p < 0x80 && digits.size() < 512; p++) digits += static_cast<char>(*p);
  double d = 0.0;
  const char* first = digits.c_str();
  std::from_chars(first, first + digits.size(), d);
  return d;
}

}  // namespace

FieldPtr ZELAdo::GetField(const _variant_t& vKey) {
  return ZelAdoNeed(ZelAdoNeed(m_pRecordset)->GetFields())->GetItem(vKey);
}

long ZELAdo::GetFieldCount() {
  long nCount = 0;
  Guard(kAdoGetFieldCount, kNoAction,
        [&] { nCount = ZelAdoNeed(ZelAdoNeed(m_pRecordset)->GetFields())->GetCount(); });
  return nCount;
}

long ZELAdo::GetFieldList(_variant_t& vList) {
  vList.Clear();
  long n = GetFieldCount();
  if (n <= 0) return 0;
  ZELAdoArray names(n);
  if (!names.IsValid()) return 0;
  bool bStored = true;
  BOOL bDone = Guard(kAdoGetFieldList, kNoAction, [&] {
    FieldsPtr pFields = ZelAdoNeed(ZelAdoNeed(m_pRecordset)->GetFields());
    for (long i = 0; i < n && bStored; i++) {
      _variant_t vName(ZelAdoNeed(pFields->GetItem(ZelAdoPositionKey(i)))->GetName());
      bStored = names.Put(i, vName);
    }
  });
  if (!bDone || !bStored) return 0;
  names.Detach(vList);
  return n;
}

long ZELAdo::GetFieldList(CStringArray& arrNames) {
  arrNames.RemoveAll();
  _variant_t vList;
  long n = GetFieldList(vList);
  if (n < 1) return 0;
  for (long i = 0; i < n; i++) {
    _variant_t vName;
    LONG index = static_cast<LONG>(i);
    if (FAILED(SafeArrayGetElement(vList.parray, &index, &vName))) continue;
    CString strName;
    if (VariantToString(vName, strName)) arrNames.Add(strName);
  }
  return n;
}

int ZELAdo::GetFieldValue(_variant_t vKey, _variant_t& vValue) {
  vValue.Clear();
  return ReadField(vKey, vValue);
}

// The recordset's collection read is the field's value without a field
// object in between: this runs once per field per row.
int ZELAdo::ReadField(const VARIANT& vKey, _variant_t& vValue) {
  return Guard(kAdoGetFieldValue, kNoAction,
               [&] { ZelAdoNeed(m_pRecordset)->ZelCollectInto(vKey, vValue); });
}

// ---- typed readers and writers: a key, then a conversion ---------------------------

namespace {
int Convert(const _variant_t& v, CString& out) { return ZELAdo::VariantToString(v, out); }
int Convert(const _variant_t& v, long& out) { return ZELAdo::VariantToLong(v, out); }
int Convert(const _variant_t& v, double& out) { return ZELAdo::VariantToDouble(v, out); }
int Convert(const _variant_t& v, DECIMAL& out) { return ZELAdo::VariantToDecimal(v, out); }
// Only a date is a date: no text or number is taken for one.
int Convert(const _variant_t& v, COleDateTime& out) {
  if (v.vt != VT_DATE) {
    out.m_status = COleDateTime::invalid;
    return 0;
  }
  out.m_dt = v.date;
  out.m_status = COleDateTime::valid;
  return 1;
}

// A failed read leaves the output as it was.
template <class T>
int ReadAs(ZELAdo& ado, _variant_t vKey, T& out) {
  _variant_t v;
  return ado.GetFieldValue(std::move(vKey), v) ? Convert(v, out) : 0;
}

// The variant a typed writer stores; a date goes in as its day number.
_variant_t Written(const _variant_t& v) { return v; }
_variant_t Written(const CString& s) { return _variant_t(s.GetString()); }
_variant_t Written(long n) { return _variant_t(static_cast<LONG>(n)); }
_variant_t Written(double d) { return _variant_t(d); }
_variant_t Written(const DECIMAL& dec) { return _variant_t(dec); }
_variant_t Written(const COleDateTime& dt) { return _variant_t(static_cast<double>(dt.m_dt)); }
}  // namespace

int ZELAdo::GetFieldValueByIndex(long nIndex, _variant_t& v) {
  VARIANT key{};  // a position owns nothing: no variant to make and clear per read
  key.vt = VT_I4;
  key.lVal = static_cast<LONG>(nIndex);
  return ReadField(key, v);
}
int ZELAdo::GetFieldValueByIndex(long nIndex, CString& s) { return ReadAs(*this, ZelAdoPositionKey(nIndex), s); }
int ZELAdo::GetFieldValueByIndex(long nIndex, long& n) { return ReadAs(*this, ZelAdoPositionKey(nIndex), n); }
int ZELAdo::GetFieldValueByIndex(long nIndex, double& d) { return ReadAs(*this, ZelAdoPositionKey(nIndex), d); }
int ZELAdo::GetFieldValueByIndex(long nIndex, DECIMAL& dec) { return ReadAs(*this, ZelAdoPositionKey(nIndex), dec); }
int ZELAdo::GetFieldValueByIndex(long nIndex, COleDateTime& dt) { return ReadAs(*this, ZelAdoPositionKey(nIndex), dt); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, _variant_t& v) { return ReadField(ZelAdoNameKey(pszName), v); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, CString& s) { return ReadAs(*this, ZelAdoNameKey(pszName), s); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, long& n) { return ReadAs(*this, ZelAdoNameKey(pszName), n); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, double& d) { return ReadAs(*this, ZelAdoNameKey(pszName), d); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, DECIMAL& dec) { return ReadAs(*this, ZelAdoNameKey(pszName), dec); }
int ZELAdo::GetFieldValueByName(const wchar_t* pszName, COleDateTime& dt) {
  return ReadAs(*this, ZelAdoNameKey(pszName), dt);
}

int ZELAdo::SetFieldValue(_variant_t vKey, _variant_t vValue) {
  int nResult = 0;
  Guard(kAdoSetFieldValue, kCheckDisconnect, [&] {
    FieldPtr pField = GetField(vKey);
    if (pField == NULL) return;  // the engine found nothing and raised nothing
    pField->PutValue(vValue);
    nResult = 1;
  });
  return nResult;
}

int ZELAdo::SetFieldValueByIndex(long nIndex, _variant_t v) { return SetFieldValue(ZelAdoPositionKey(nIndex), Written(v)); }
int ZELAdo::SetFieldValueByIndex(long nIndex, CString s) { return SetFieldValue(ZelAdoPositionKey(nIndex), Written(s)); }
int ZELAdo::SetFieldValueByIndex(long nIndex, long n) { return SetFieldValue(ZelAdoPositionKey(nIndex), Written(n)); }
int ZELAdo::SetFieldValueByIndex(long nIndex, double d) { return SetFieldValue(ZelAdoPositionKey(nIndex), Written(d)); }
int ZELAdo::SetFieldValueByIndex(long nIndex, DECIMAL dec) { return SetFieldValue(ZelAdoPositionKey(nIndex), Written(dec)); }
int ZELAdo::SetFieldValueByIndex(long nIndex, COleDateTime dt) {
  return SetFieldValue(ZelAdoPositionKey(nIndex), Written(dt));
}
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, _variant_t v) { return SetFieldValue(ZelAdoNameKey(pszName), v); }
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, CString s) { return SetFieldValue(ZelAdoNameKey(pszName), Written(s)); }
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, long n) { return SetFieldValue(ZelAdoNameKey(pszName), Written(n)); }
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, double d) { return SetFieldValue(ZelAdoNameKey(pszName), Written(d)); }
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, DECIMAL dec) {
  return SetFieldValue(ZelAdoNameKey(pszName), Written(dec));
}
int ZELAdo::SetFieldValueByName(const wchar_t* pszName, COleDateTime dt) {
  return SetFieldValue(ZelAdoNameKey(pszName), Written(dt));
}

// ---- rows ---------------------------------------------------------------------------------

int ZELAdo::GetRowValue(_variant_t& vRow) {
  vRow.Clear();
  _Recordset* pRecordset = ZelAdoNeed(m_pRecordset);
  if (pRecordset->GetadoEOF() || pRecordset->GetBOF()) return 0;
  long n = GetFieldCount();
  if (n == 0) return 0;
  ZELAdoArray row(n);
  if (!row.IsValid()) return 0;
  for (long i = 0; i < n; i++) {
    _variant_t vValue;
    if (!GetFieldValue(ZelAdoPositionKey(i), vValue) || !row.Put(i, vValue)) return 0;
  }
  row.Detach(vRow);
  return 1;
}

int ZELAdo::SetRowValue(_variant_t& vValues) {
  _variant_t vList;
  GetFieldList(vList);
  return AddNew(vList, vValues);
}

// ---- conversions --------------------------------------------------------------------------

HRESULT ZELAdo::VariantChangeType(_variant_t& vDest, VARTYPE vt, const _variant_t* pSrc) {
  if ((pSrc == NULL || pSrc == &vDest) && vDest.vt == vt) return S_OK;
  const VARIANT* pFrom = pSrc ? static_cast<const VARIANT*>(pSrc) : static_cast<const VARIANT*>(&vDest);
  return ::VariantChangeType(&vDest, const_cast<VARIANT*>(pFrom), 0, vt);
}

int ZELAdo::VariantToString(const _variant_t& vValue, CString& strValue) {
  _variant_t vText(vValue);
  if (FAILED(VariantChangeType(vText, VT_BSTR))) {
    strValue.Empty();
    return 0;
  }
  strValue = CString(vText.bstrVal, static_cast<int>(SysStringLen(vText.bstrVal)));
  return 1;
}

int ZELAdo::VariantToLong(const _variant_t& vValue, long& nValue) {
  CString strText;
  if (!VariantToString(vValue, strText)) return 0;
  // Read as _wtoi reads: white space, a sign, digits, and stop at the rest.
  const wchar_t* p = strText.GetString();
  while (iswspace(*p)) p++;
  bool bNegative = *p == L'-';
  if (*p == L'-' || *p == L'+') p++;
  long long n = 0;
  for (; *p >= L'0' && *p <= L'9'; p++) {
    n = n * 10 + (*p - L'0');
    if (n > 0x80000000LL) n = 0x80000000LL;  // clamp, never overflow
  }
  if (bNegative) n = -n;
  if (n > 0x7FFFFFFFLL) n = 0x7FFFFFFFLL;
  nValue = static_cast<long>(n);
  return 1;
}

int ZELAdo::VariantToDouble(const _variant_t& vValue, double& dValue) {
  CString strText;
  if (!VariantToString(vValue, strText)) return 0;
  dValue = ReadDouble(strText.GetString());
  return 1;
}

int ZELAdo::VariantToDecimal(const _variant_t& vValue, DECIMAL& decValue) {
  _variant_t vDecimal(vValue);
  if (FAILED(VariantChangeType(vDecimal, VT_DECIMAL))) {
    memset(&decValue, 0, sizeof decValue);
    return 0;
  }
  decValue = vDecimal.decVal;
  return 1;
}

int ZELAdo::VariantToBool(const _variant_t& vValue, BOOL& bValue) {
  long n = 0;
  if (!VariantToLong(vValue, n)) return 0;
  bValue = n != 0 ? 1 : 0;
  return 1;
}
