#include "platform/ado/sqlite/SqliteTypes.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace zelado {
namespace sqlite {

namespace {

constexpr long kLongSize = 0x3FFFFFFF;

bool Has(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

// The numbers in "NAME(a, b)", 0 when absent.
void Sizes(const std::string& s, long& a, long& b) {
  a = b = 0;
  size_t open = s.find('(');
  if (open == std::string::npos) return;
  const char* p = s.c_str() + open + 1;
  char* end = nullptr;
  a = std::strtol(p, &end, 10);
  while (*end == ' ') ++end;
  if (*end == ',') b = std::strtol(end + 1, nullptr, 10);
  if (a < 0) a = 0;
  if (b < 0) b = 0;
}

void Set(Column& c, DataTypeEnum type, long size, long attributes) {
  c.type = type;
  c.definedSize = size;
  c.attributes |= attributes;
}

}  // namespace

void DescribeType(const char* declared, Column& c) {
  std::string s;
  for (const char* p = declared ? declared : ""; *p; ++p) s += static_cast<char>(std::toupper((unsigned char)*p));
  long a = 0, b = 0;
  Sizes(s, a, b);
  if (s.empty()) {
    Set(c, adVariant, 0, 0);
  } else if (Has(s, "BOOL")) {
    Set(c, adBoolean, 2, adFldFixed);
  } else if (Has(s, "DATE") || Has(s, "TIMESTAMP")) {
    Set(c, Has(s, "TIMESTAMP") ? adDBTimeStamp : adDate, 8, adFldFixed);
  } else if (Has(s, "TIME")) {
    Set(c, adDBTime, 8, adFldFixed);
  } else if (Has(s, "INT")) {
    bool big = Has(s, "BIGINT") || Has(s, "INT8");
    Set(c, big ? adBigInt : adInteger, big ? 8 : 4, adFldFixed);
    c.precision = big ? 19 : 10;
  } else if (Has(s, "CHAR") || Has(s, "CLOB") || Has(s, "TEXT")) {
    if (a > 0 && !Has(s, "TEXT") && !Has(s, "CLOB"))
      Set(c, adVarWChar, a, 0);
    else
      Set(c, adLongVarWChar, kLongSize, adFldLong);
  } else if (Has(s, "BLOB") || Has(s, "BINARY")) {
    if (a > 0)
      Set(c, adVarBinary, a, 0);
    else
      Set(c, adLongVarBinary, kLongSize, adFldLong);
  } else if (Has(s, "REAL") || Has(s, "FLOA") || Has(s, "DOUB")) {
    Set(c, adDouble, 8, adFldFixed);
    c.precision = 15;
  } else if (Has(s, "DEC") || Has(s, "NUM") || Has(s, "MONEY")) {
    Set(c, Has(s, "NUM") ? adNumeric : adDecimal, 19, adFldFixed);
    c.precision = static_cast<unsigned char>(a > 0 && a <= 28 ? a : 28);
    c.scale = static_cast<unsigned char>(b <= 28 ? b : 0);
  } else {
    Set(c, adVariant, 0, 0);
  }
}

}  // namespace sqlite
}  // namespace zelado
