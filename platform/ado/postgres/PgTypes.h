// Server column types as callers of the data-access objects see them (the
// table is repeated in the README), and values read from their text form:
//   smallint / integer / bigint     adSmallInt / adInteger / adBigInt
//   real / double precision         adSingle / adDouble
//   numeric(p,s)                    adNumeric, exact; past 28 digits refused
//   char(n) / varchar(n) / text     adWChar / adVarWChar of size n / adLongVarWChar
//   bytea                           adLongVarBinary, long data
//   date / time / timestamp[tz]     adDBDate / adDBTime / adDBTimeStamp (UTC)
//   boolean                         adBoolean
//   uuid, json, anything else       text
#pragma once

#include "platform/ado/Provider.h"

#include <libpq-fe.h>

namespace zelado {
namespace pg {

// Fills type, attributes, size, precision and scale from the type and its modifier.
void DescribeType(Oid type, int modifier, Column& column);

// The value of a non-null field in text form, read into `out` (whose text
// room is reused). Numbers stay exact text until a caller reads them.
void ReadValue(Oid type, const char* text, size_t length, Value& out);

// Fields `first`.. of a result's row `tuple` into `row` (sized to them).
void ReadRow(const PGresult* result, int tuple, int first, Row& row);


}  // namespace pg
}  // namespace zelado
