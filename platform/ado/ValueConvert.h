// Engine values to the variants a caller reads, and back, by the data type
// of the column (or parameter) they belong to. The engine keeps few storage
// kinds; the declared type decides what a caller sees:
//   integer  -> VT_I4, VT_I8 when it does not fit      real    -> VT_R8
//   text     -> VT_BSTR                                blob    -> VT_ARRAY|VT_UI1
//   date col -> VT_DATE (stored as ISO text)           boolean -> VT_BOOL
//   decimal/numeric col -> VT_DECIMAL                  null    -> VT_NULL
#pragma once

#include "platform/ado/Provider.h"
#include "platform/oleaut/OleAut.h"

#include <vector>

namespace zelado {

_variant_t ToVariant(const Value& value, DataTypeEnum type);
// The same into `out`, whose old value goes only once the new one is made.
void ToVariant(const Value& value, DataTypeEnum type, VARIANT& out);
// Raises TypeMismatch when the variant cannot become a value of the type.
Value FromVariant(const VARIANT& value, DataTypeEnum type);
// The same into an existing value, reusing the room of its text.
void FromVariantInto(const VARIANT& value, DataTypeEnum type, Value& out);

// The natural data type of a variant, for parameters given no type.
DataTypeEnum TypeOfVariant(VARTYPE vt);

// One-dimensional byte arrays, the form of binary values and chunks.
_variant_t ByteArray(const char* data, size_t size);
bool BytesOf(const VARIANT& value, std::string& out);

// An argument left out: the missing value (VT_ERROR with
// DISP_E_PARAMNOTFOUND), or empty.
bool Given(const VARIANT& value);

// The elements of a one-dimensional array of variants (VT_ARRAY | VT_VARIANT).
std::vector<_variant_t> ArrayItems(const VARIANT& array);
// An out-argument count (records affected) as VT_I4; nothing when absent.
void PutCount(VARIANT* out, int64_t count);

// The text of a string object, embedded NULs kept.
std::wstring Text(const _bstr_t& text);
// Replaces `to` in its own room (null text empties it), for names and texts set per row.
void AssignText(std::wstring& to, const wchar_t* text, size_t length);

}  // namespace zelado
