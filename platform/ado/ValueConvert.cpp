#include "platform/ado/ValueConvert.h"

#include "platform/base/Utf8.h"

#include <cstring>
#include <cwchar>

namespace zelado {

namespace {

bool IsDateType(DataTypeEnum t) { return t == adDate || t == adDBDate || t == adDBTime || t == adDBTimeStamp; }
bool IsDecimalType(DataTypeEnum t) { return t == adDecimal || t == adNumeric || t == adVarNumeric || t == adCurrency; }
bool IsIntegerType(DataTypeEnum t) {
  switch (t) {
    case adSmallInt: case adInteger: case adTinyInt: case adUnsignedTinyInt: case adUnsignedSmallInt:
    case adUnsignedInt: case adBigInt: case adUnsignedBigInt:
      return true;
    default:
      return false;
  }
}
bool IsBinaryType(DataTypeEnum t) { return t == adBinary || t == adVarBinary || t == adLongVarBinary; }
bool IsTextType(DataTypeEnum t) {
  return t == adBSTR || t == adChar || t == adWChar || t == adVarChar || t == adLongVarChar || t == adVarWChar ||
         t == adLongVarWChar;
}

// Fills v (empty) with text, decoded straight into the string.
void PutText(const std::string& utf8, VARIANT& v) {
  v.vt = VT_BSTR;
  v.bstrVal = ZelBstrFromUtf8Len(utf8.data(), utf8.size());
  if (!v.bstrVal) {
    v.vt = VT_EMPTY;
    Raise(ErrorKind::OutOfMemory, L"no memory for a text of " + std::to_wstring(utf8.size()) + L" characters");
  }
}

// Fills v (empty) with the variant kind the engine value has.
void PutNatural(const Value& value, VARIANT& v) {
  switch (value.kind) {
    case Value::Null: v.vt = VT_NULL; break;
    case Value::Integer:
      if (value.i >= INT32_MIN && value.i <= INT32_MAX) {
        v.vt = VT_I4;
        v.lVal = static_cast<LONG>(value.i);
      } else {
        v.vt = VT_I8;
        v.llVal = value.i;
      }
      break;
    case Value::Real: v.vt = VT_R8; v.dblVal = value.r; break;
    case Value::Text: PutText(value.bytes, v); break;
    case Value::Blob: v = ByteArray(value.bytes.data(), value.bytes.size()).Detach(); break;
  }
}

// Converts in place; answers false (leaving v) when the kind will not take it.
bool Change(_variant_t& v, VARTYPE vt) {
  _variant_t out;
  if (FAILED(VariantChangeType(&out, &v, 0, vt))) return false;
  v = std::move(out);
  return true;
}

std::string Utf8Of(const VARIANT& v) {
  _variant_t text;
  if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR)))
    Raise(ErrorKind::TypeMismatch, L"the value cannot be written as text");
  return ZelUtf8FromWide(text.bstrVal, SysStringLen(text.bstrVal));
}

enum class DecimalText { NotANumber, Fits, TooBig };

// Whether a number's text fits DECIMAL exactly: at most 28 places after
// the point and a 96-bit whole number without it. NaN and infinities are
// numbers DECIMAL cannot hold.
DecimalText FitOfDecimal(const std::string& text) {
  static const char kMax[] = "79228162514264337593543950335";  // 2^96 - 1
  size_t i = 0, n = text.size(), scale = 0;
  if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
  const char* rest = text.c_str() + i;
  if (!std::strcmp(rest, "NaN") || !std::strcmp(rest, "Infinity")) return DecimalText::TooBig;
  std::string digits;
  bool point = false;
  for (; i < n; ++i) {
    char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      scale += point;
      if (!digits.empty() || c != '0') digits += c;
    } else {
      return DecimalText::NotANumber;
    }
  }
  size_t most = sizeof kMax - 1;
  bool fits = scale <= 28 && (digits.size() < most || (digits.size() == most && digits <= kMax));
  return fits ? DecimalText::Fits : DecimalText::TooBig;
}

[[noreturn]] void Mismatch(const wchar_t* what) {
  Raise(ErrorKind::TypeMismatch, std::wstring(L"the value does not fit a column of type ") + what);
}

// v changed to vt, or raised: a number out of the type's range is an
// overflow (never stored clamped), anything else a mismatch.
void Need(_variant_t& v, VARTYPE vt, const wchar_t* what) {
  _variant_t out;
  HRESULT hr = VariantChangeType(&out, &v, 0, vt);
  if (hr == DISP_E_OVERFLOW) Raise(ErrorKind::Overflow, std::wstring(L"the value is too large for a column of type ") + what);
  if (FAILED(hr)) Mismatch(what);
  v = std::move(out);
}

}  // namespace

void ToVariant(const Value& value, DataTypeEnum type, VARIANT& out) {
  // A read per field per row comes here: the value is made in a plain
  // variant and handed over whole, so `out` changes only once it is made
  // and is cleared once.
  VARIANT v;
  std::memset(&v, 0, sizeof v);  // VT_EMPTY, and no stray bytes beside a small value
  if (value.shown == Value::AsDate && value.kind == Value::Real && type == adVariant) {
    v.vt = VT_DATE;
    v.date = value.r;
  } else if (value.shown == Value::AsBoolean && value.kind == Value::Integer && type == adVariant) {
    v.vt = VT_BOOL;
    v.boolVal = value.i ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (value.kind == Value::Real && type == adSingle) {
    v.vt = VT_R4;
    v.fltVal = static_cast<float>(value.r);
  } else if (value.kind == Value::Integer && type == adSmallInt && value.i >= INT16_MIN && value.i <= INT16_MAX) {
    v.vt = VT_I2;
    v.iVal = static_cast<SHORT>(value.i);
  } else if (value.kind == Value::Integer && type == adBigInt) {
    v.vt = VT_I8;
    v.llVal = value.i;
  } else if (value.kind == Value::Real && (type == adDouble || type == adVariant)) {
    v.vt = VT_R8;
    v.dblVal = value.r;
  } else if (value.kind == Value::Integer && (type == adDouble || type == adSingle)) {
    v.vt = VT_R8;
    v.dblVal = static_cast<double>(value.i);
  } else if (value.kind == Value::Integer && type == adBoolean) {
    v.vt = VT_BOOL;
    v.boolVal = value.i ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    PutNatural(value, v);
    // A value the engine kept in another kind than its column declares (the
    // engine lets any column hold any value) stays as it is rather than fail.
    VARTYPE want = IsDateType(type) ? VT_DATE : type == adBoolean ? VT_BOOL : IsDecimalType(type) ? VT_DECIMAL : VT_EMPTY;
    // A number that DECIMAL would round is refused rather than changed.
    if (want == VT_DECIMAL && value.kind == Value::Text && FitOfDecimal(value.bytes) == DecimalText::TooBig) {
      VariantClear(&v);
      Raise(ErrorKind::ValueRefused, "the number " + value.bytes.substr(0, 60) +
                                         " does not fit a DECIMAL (28 digits) and is not rounded");
    }
    if (want != VT_EMPTY && value.kind != Value::Null && value.kind != Value::Blob) {
      _variant_t made;
      made.Attach(v);
      Change(made, want);
      v = made.Detach();
    }
  }
  VariantClear(&out);
  out = v;
}

_variant_t ToVariant(const Value& value, DataTypeEnum type) {
  _variant_t v;
  ToVariant(value, type, v);
  return v;
}

namespace {

// The usual pairs, written into `out` where its text room is kept: a bound
// parameter per row comes here. False for any other pair.
bool PutUsual(const VARIANT& in, DataTypeEnum type, Value& out) {
  out.shown = Value::AsStored;
  if (!Given(in) || in.vt == VT_NULL) {
    out.kind = Value::Null;
  } else if ((in.vt == VT_I4 || in.vt == VT_I8) && (IsIntegerType(type) || type == adVariant)) {
    out.kind = Value::Integer;
    out.i = in.vt == VT_I4 ? in.lVal : in.llVal;
  } else if (in.vt == VT_R8 && (type == adDouble || type == adSingle || type == adVariant)) {
    out.kind = Value::Real;
    out.r = in.dblVal;
  } else if (in.vt == VT_BSTR && (IsTextType(type) || type == adVariant)) {
    out.kind = Value::Text;
    ZelWideToUtf8Into(in.bstrVal, SysStringLen(in.bstrVal), out.bytes);
  } else {
    return false;
  }
  return true;
}

}  // namespace

void FromVariantInto(const VARIANT& in, DataTypeEnum type, Value& out) {
  if (!PutUsual(in, type, out)) out = FromVariant(in, type);
}

Value FromVariant(const VARIANT& in, DataTypeEnum type) {
  Value usual;
  if (PutUsual(in, type, usual)) return usual;
  if (in.vt == (VT_ARRAY | VT_UI1)) {
    std::string bytes;
    BytesOf(in, bytes);
    if (IsTextType(type)) return Value::Str(std::move(bytes));
    return Value::Bin(std::move(bytes));
  }
  _variant_t v(in);
  if (IsDateType(type) || (type == adVariant && v.vt == VT_DATE)) {
    Need(v, VT_DATE, L"date");
    _variant_t text;
    if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR))) Mismatch(L"date");
    return Value::Str(ZelUtf8FromWide(text.bstrVal, SysStringLen(text.bstrVal)));
  }
  if (type == adBoolean || (type == adVariant && v.vt == VT_BOOL)) {
    Need(v, VT_BOOL, L"boolean");
    return Value::Flag(v.boolVal != 0);  // an integer that reads back as a boolean where a column takes any kind
  }
  if (IsIntegerType(type) || (type == adVariant && (v.vt == VT_I1 || v.vt == VT_I2 || v.vt == VT_I4 ||
                                                    v.vt == VT_I8 || v.vt == VT_UI1 || v.vt == VT_UI2 ||
                                                    v.vt == VT_UI4 || v.vt == VT_INT || v.vt == VT_UINT))) {
    Need(v, VT_I8, L"integer");
    return Value::Int(v.llVal);
  }
  if (type == adDouble || type == adSingle || (type == adVariant && (v.vt == VT_R4 || v.vt == VT_R8))) {
    Need(v, VT_R8, L"double");
    return Value::Dbl(v.dblVal);
  }
  if (IsDecimalType(type) || (type == adVariant && (v.vt == VT_DECIMAL || v.vt == VT_CY || v.vt == VT_UI8))) {
    // Kept as the exact text; a numeric column stores it as a number
    // when that loses nothing.
    Need(v, VT_DECIMAL, L"decimal");
    return Value::Str(Utf8Of(v));
  }
  if (IsBinaryType(type)) return Value::Bin(Utf8Of(v));
  return Value::Str(Utf8Of(v));
}

DataTypeEnum TypeOfVariant(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_INT: case VT_UI1: case VT_UI2: case VT_UI4: case VT_UINT:
      return adInteger;
    case VT_I8: case VT_UI8: return adBigInt;
    case VT_R4: case VT_R8: return adDouble;
    case VT_CY: return adCurrency;
    case VT_DATE: return adDate;
    case VT_BOOL: return adBoolean;
    case VT_DECIMAL: return adDecimal;
    case VT_ARRAY | VT_UI1: return adLongVarBinary;
    case VT_BSTR: return adVarWChar;
    default: return adVariant;
  }
}

_variant_t ByteArray(const char* data, size_t size) {
  SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (!sa) Raise(ErrorKind::OutOfMemory, L"no memory for a byte array of " + std::to_wstring(size) + L" bytes");
  void* p = nullptr;
  if (size && SUCCEEDED(SafeArrayAccessData(sa, &p))) {
    std::memcpy(p, data, size);
    SafeArrayUnaccessData(sa);
  }
  _variant_t v;
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = sa;
  return v;
}

bool BytesOf(const VARIANT& value, std::string& out) {
  out.clear();
  if (value.vt != (VT_ARRAY | VT_UI1) || !value.parray || SafeArrayGetDim(value.parray) != 1) return false;
  LONG lo = 0, hi = -1;
  SafeArrayGetLBound(value.parray, 1, &lo);
  SafeArrayGetUBound(value.parray, 1, &hi);
  if (hi < lo) return true;
  void* p = nullptr;
  if (FAILED(SafeArrayAccessData(value.parray, &p))) return false;
  out.assign(static_cast<const char*>(p), static_cast<size_t>(hi - lo + 1));
  SafeArrayUnaccessData(value.parray);
  return true;
}

bool Given(const VARIANT& v) { return !(v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) && v.vt != VT_EMPTY; }

std::vector<_variant_t> ArrayItems(const VARIANT& array) {
  std::vector<_variant_t> out;
  if (array.vt != (VT_ARRAY | VT_VARIANT) || !array.parray) return out;
  LONG lo = 0, hi = -1;
  SafeArrayGetLBound(array.parray, 1, &lo);
  SafeArrayGetUBound(array.parray, 1, &hi);
  for (LONG i = lo; i <= hi; ++i) {
    _variant_t item;
    if (FAILED(SafeArrayGetElement(array.parray, &i, &item)))
      Raise(ErrorKind::InvalidArgument, L"an element of the array cannot be read");
    out.push_back(std::move(item));
  }
  return out;
}

void PutCount(VARIANT* out, int64_t count) {
  if (!out) return;
  VariantClear(out);
  out->vt = VT_I4;
  out->lVal = static_cast<LONG>(count);
}

std::wstring Text(const _bstr_t& text) {
  const wchar_t* p = text;
  return p ? std::wstring(p, text.length()) : std::wstring();
}

void AssignText(std::wstring& to, const wchar_t* text, size_t length) {
  // The same text again (a name or statement per row) is only compared.
  if (text && length == to.size() && std::wmemcmp(text, to.data(), length) == 0) return;
  if (text)
    to.assign(text, length);
  else
    to.clear();
}

}  // namespace zelado
