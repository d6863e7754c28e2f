// The values a user gives zelutil sql for ? markers. A value is text as it
// stands unless typed: "int:5", "real:2.5", "null", or "text:..." for a
// text that would otherwise read as a type. A --row is one CSV record:
// values separated by commas, a quoted value ("a,b", "say ""hi""") is
// always text.
#pragma once

#include <string>
#include <vector>

class ZELAdo;

namespace zelutil {

struct SqlValue {
  std::string text;
  bool quoted = false;  // from a quoted CSV field: text, never typed
};

// Splits one CSV record; Failure(kExitUsage) on a quote left open or text
// after a closing quote.
std::vector<SqlValue> SplitCsvRecord(const std::string& record);

// Appends the value as the next input parameter of the command;
// Failure(kExitUsage) on a typed value that does not read as its type.
void BindValue(ZELAdo& ado, const SqlValue& value);

}  // namespace zelutil
