// Declared column types of the embedded engine, read the way a user of the
// data-access objects expects (the table is repeated in the README):
//   INT...                      adInteger (adBigInt for BIGINT/INT8)
//   REAL, FLOAT, DOUBLE         adDouble
//   CHAR(n), VARCHAR(n)...      adVarWChar of size n
//   TEXT, CLOB, ...CHAR         adLongVarWChar, long data
//   BLOB                        adLongVarBinary, long data
//   no declared type            adVariant: each value keeps the kind it has
//   DATE, DATETIME, TIMESTAMP   adDate / adDBTimeStamp (stored as ISO text)
//   TIME                        adDBTime
//   BOOL, BOOLEAN               adBoolean
//   DECIMAL(p,s), NUMERIC(p,s)  adDecimal / adNumeric
#pragma once

#include "platform/ado/Provider.h"

namespace zelado {
namespace sqlite {

// Fills type, attributes, defined size, precision and scale from the
// declared type (NULL for an expression).
void DescribeType(const char* declared, Column& column);

}  // namespace sqlite
}  // namespace zelado
