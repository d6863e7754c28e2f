#include "sql_proc.h"

#include <iostream>

#include "Command.h"

namespace zelutil {

namespace {

struct Kind {
  const char* prefix;
  ParameterDirectionEnum direction;
};

const Kind kKinds[] = {{"in:", adParamInput}, {"inout:", adParamInputOutput}, {"out:", adParamOutput},
                       {"ret:", adParamReturnValue}};

// The direction a --param names, and its value past the prefix.
ParameterDirectionEnum DirectionOf(const std::string& param, std::string& value) {
  for (const Kind& k : kKinds) {
    std::string p = k.prefix;
    if (param.compare(0, p.size(), p) == 0) {
      value = param.substr(p.size());
      return k.direction;
    }
  }
  value = param;
  return adParamInput;
}

const char* Label(ParameterDirectionEnum d) {
  return d == adParamReturnValue ? "return" : d == adParamInputOutput ? "inout" : "out";
}

}  // namespace

bool RunProcedure(ZELAdo& ado, const std::string& name, const std::vector<std::string>& params,
                  const BindInput& bindInput) {
  if (!ado.CreateCommand()) return false;
  for (const std::string& param : params) {
    std::string value;
    ParameterDirectionEnum d = DirectionOf(param, value);
    if (d == adParamInput) {
      bindInput(ado, value);
      continue;
    }
    _variant_t v;
    if (d == adParamInputOutput) v = _variant_t(Wide(value).c_str());
    if (!ado.AppendParam(L"", adVariant, d, 0, v)) return false;
  }
  return ado.ExecuteStoreProc(Wide(name).c_str()) != 0;
}

void PrintOutputs(ZELAdo& ado, const std::vector<std::string>& params) {
  for (size_t i = 0; i < params.size(); ++i) {
    std::string value;
    ParameterDirectionEnum d = DirectionOf(params[i], value);
    if (d == adParamInput) continue;
    _variant_t v;
    CString text = L"NULL";
    if (ado.GetParamValue(static_cast<long>(i), v) && v.vt != VT_NULL && v.vt != VT_EMPTY)
      ZELAdo::VariantToString(v, text);
    std::cout << Label(d) << " " << i << " = " << Narrow(text) << "\n";
  }
}

}  // namespace zelutil
