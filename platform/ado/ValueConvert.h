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

namespace zelado {

_variant_t ToVariant(const Value& value, DataTypeEnum type);
// Raises TypeMismatch when the variant cannot become a value of the type.
Value FromVariant(const VARIANT& value, DataTypeEnum type);

// The natural data type of a variant, for parameters given no type.
DataTypeEnum TypeOfVariant(VARTYPE vt);

// One-dimensional byte arrays, the form of binary values and chunks.
_variant_t ByteArray(const char* data, size_t size);
bool BytesOf(const VARIANT& value, std::string& out);

// The text of a string object, embedded NULs kept.
std::wstring Text(const _bstr_t& text);

}  // namespace zelado
