#include "SqlValues.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "Command.h"
#include "ZELAdo.h"

namespace zelutil {

std::vector<SqlValue> SplitCsvRecord(const std::string& record) {
  std::vector<SqlValue> values(1);
  size_t i = 0;
  while (i <= record.size()) {
    SqlValue& v = values.back();
    if (i < record.size() && record[i] == '"') {
      v.quoted = true;
      size_t j = i + 1;
      for (;; ++j) {
        if (j >= record.size()) throw Failure(kExitUsage, "a quote is left open in --row '" + record + "'");
        if (record[j] != '"') {
          v.text += record[j];
        } else if (j + 1 < record.size() && record[j + 1] == '"') {
          v.text += '"';
          ++j;
        } else {
          break;
        }
      }
      i = j + 1;
      if (i < record.size() && record[i] != ',')
        throw Failure(kExitUsage, "text after a closing quote in --row '" + record + "'");
    } else {
      size_t comma = record.find(',', i);
      if (comma == std::string::npos) comma = record.size();
      v.text = record.substr(i, comma - i);
      i = comma;
    }
    if (i >= record.size()) break;
    values.emplace_back();  // record[i] is a comma
    ++i;
  }
  return values;
}

namespace {

long long ReadWhole(const std::string& s) {
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || errno == ERANGE) throw Failure(kExitUsage, "not a whole number: int:" + s);
  return n;
}

double ReadReal(const std::string& s) {
  char* end = nullptr;
  double d = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0' || !std::isfinite(d)) throw Failure(kExitUsage, "not a number: real:" + s);
  return d;
}

bool Typed(const std::string& s, const char* prefix, std::string& rest) {
  size_t n = std::char_traits<char>::length(prefix);
  if (s.compare(0, n, prefix) != 0) return false;
  rest = s.substr(n);
  return true;
}

}  // namespace

void BindValue(ZELAdo& ado, const SqlValue& value) {
  std::string rest;
  int ok;
  if (!value.quoted && value.text == "null") {
    _variant_t null;
    null.vt = VT_NULL;
    ok = ado.AppendParam(L"", adVarWChar, adParamInput, 0, null);
  } else if (!value.quoted && Typed(value.text, "int:", rest)) {
    ok = ado.AppendParam(L"", adBigInt, adParamInput, 8, _variant_t(ReadWhole(rest)));
  } else if (!value.quoted && Typed(value.text, "real:", rest)) {
    ok = ado.AppendParam(L"", adDouble, adParamInput, 8, _variant_t(ReadReal(rest)));
  } else {
    if (value.quoted || !Typed(value.text, "text:", rest)) rest = value.text;
    std::wstring wide = Wide(rest);
    ok = ado.AppendParam(L"", adVarWChar, adParamInput, static_cast<long>(wide.size()), _variant_t(wide.c_str()));
  }
  if (!ok) throw Failure(kExitFailed, "cannot bind the value '" + value.text + "'" + LastReport(ado));
}

}  // namespace zelutil
