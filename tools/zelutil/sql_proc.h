// zelutil sql --proc: a stored procedure or function run through a
// command. Its --param values are positional, as a command takes them:
//   VALUE or in:VALUE   an input (bound as it reads, by `bindInput`)
//   inout:VALUE         an input that comes back changed
//   out:                an output
//   ret:                the return value of a function (put it first)
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ZELAdo.h"

namespace zelutil {

using BindInput = std::function<void(ZELAdo& ado, const std::string& value)>;

// Makes the command, appends the parameters and runs the routine; false
// when the database refused, with its log record on ado.
bool RunProcedure(ZELAdo& ado, const std::string& name, const std::vector<std::string>& params,
                  const BindInput& bindInput);
// One line per output, input-output and return-value parameter: "out 2 = 30".
void PrintOutputs(ZELAdo& ado, const std::vector<std::string>& params);

}  // namespace zelutil
