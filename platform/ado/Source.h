// The statement a recordset or command source stands for.
#pragma once

#include <string>

namespace zelado {

// The command-type bits of an options value (adExecuteNoRecords and the
// asynchronous flags taken off); adCmdUnspecified for -1.
long CommandTypeOf(long options);
bool WantsNoRecords(long options);

// A table name (adCmdTable, adCmdTableDirect, or adCmdUnknown for a text
// without blanks) becomes "SELECT * FROM" the quoted name; texts stay as
// they are. Brackets or quotes around a name are taken as its quoting.
std::wstring StatementFor(const std::wstring& source, long commandType);

}  // namespace zelado
