#include "platform/ado/postgres/PgTypes.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace zelado {
namespace pg {

namespace {

constexpr long kLongSize = 0x3FFFFFFF;

enum : Oid {
  kBool = 16, kBytea = 17, kChar = 18, kName = 19, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26,
  kFloat4 = 700, kFloat8 = 701, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114,
  kTimestamptz = 1184, kTimetz = 1266, kNumeric = 1700, kUuid = 2950
};

void Set(Column& c, DataTypeEnum type, long size, long attributes, unsigned char precision = 255) {
  c.type = type;
  c.definedSize = size;
  c.attributes |= attributes;
  c.precision = precision;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// bytea's text form is "\x" and two hex digits a byte.
void ReadBytes(const char* text, size_t length, std::string& out) {
  if (length < 2 || text[0] != '\\' || text[1] != 'x')
    Raise(ErrorKind::ValueRefused, L"the server sent binary data in a form other than hex");
  size_t n = (length - 2) / 2;
  out.resize(n);
  const char* p = text + 2;
  for (size_t i = 0; i < n; ++i) {
    int hi = HexDigit(p[2 * i]), lo = HexDigit(p[2 * i + 1]);
    if (hi < 0 || lo < 0) Raise(ErrorKind::ValueRefused, L"the server sent a malformed hex byte");
    out[i] = static_cast<char>(hi << 4 | lo);
  }
}

// A time with zone in the session's zone (UTC) loses its "+00" suffix.
size_t WithoutZone(const char* text, size_t length) {
  for (size_t i = length; i > 10; --i) {
    char c = text[i - 1];
    if (c == '+' || c == '-') return i - 1;
    if (!(c >= '0' && c <= '9') && c != ':') break;
  }
  return length;
}

}  // namespace

void DescribeType(Oid type, int modifier, Column& c) {
  switch (type) {
    case kBool: Set(c, adBoolean, 2, adFldFixed); break;
    case kInt2: Set(c, adSmallInt, 2, adFldFixed, 5); break;
    case kInt4: Set(c, adInteger, 4, adFldFixed, 10); break;
    case kInt8: case kOid: Set(c, adBigInt, 8, adFldFixed, 19); break;
    case kFloat4: Set(c, adSingle, 4, adFldFixed, 7); break;
    case kFloat8: Set(c, adDouble, 8, adFldFixed, 15); break;
    case kNumeric: {
      Set(c, adNumeric, 19, adFldFixed, 28);
      if (modifier >= 4) {
        int p = ((modifier - 4) >> 16) & 0xFFFF, s = (modifier - 4) & 0xFFFF;
        c.precision = static_cast<unsigned char>(p <= 28 ? p : 28);
        c.scale = static_cast<unsigned char>(s <= 28 ? s : 28);
      } else {
        c.scale = 0;
      }
      break;
    }
    case kBytea: Set(c, adLongVarBinary, kLongSize, adFldLong); break;
    case kChar: Set(c, adWChar, 1, adFldFixed); break;
    case kName: Set(c, adVarWChar, 63, 0); break;
    case kBpchar: Set(c, adWChar, modifier >= 4 ? modifier - 4 : 1, adFldFixed); break;
    case kVarchar:
      if (modifier >= 4)
        Set(c, adVarWChar, modifier - 4, 0);
      else
        Set(c, adLongVarWChar, kLongSize, adFldLong);
      break;
    case kUuid: Set(c, adVarWChar, 36, 0); break;
    case kDate: Set(c, adDBDate, 8, adFldFixed); break;
    case kTime: case kTimetz: Set(c, adDBTime, 8, adFldFixed); break;
    case kTimestamp: case kTimestamptz: Set(c, adDBTimeStamp, 8, adFldFixed); break;
    default: Set(c, adLongVarWChar, kLongSize, adFldLong); break;
  }
}

void ReadValue(Oid type, const char* text, size_t length, Value& out) {
  switch (type) {
    case kInt2: case kInt4: case kInt8: case kOid:
      out.kind = Value::Integer;
      out.i = std::strtoll(text, nullptr, 10);
      return;
    case kFloat4: case kFloat8:
      out.kind = Value::Real;
      out.r = std::strtod(text, nullptr);
      return;
    case kBool:
      out.kind = Value::Integer;
      out.i = text[0] == 't';
      return;
    case kBytea:
      out.kind = Value::Blob;
      ReadBytes(text, length, out.bytes);
      return;
    case kTimestamptz: case kTimetz:
      length = WithoutZone(text, length);
      break;
    default:
      break;
  }
  out.kind = Value::Text;
  out.bytes.assign(text, length);
}

void ReadRow(const PGresult* r, int tuple, int first, Row& row) {
  row.resize(static_cast<size_t>(PQnfields(r) - first));
  for (size_t c = 0; c < row.size(); ++c) {
    int f = static_cast<int>(c) + first;
    if (PQgetisnull(r, tuple, f))
      row[c].kind = Value::Null;
    else
      ReadValue(PQftype(r, f), PQgetvalue(r, tuple, f), static_cast<size_t>(PQgetlength(r, tuple, f)), row[c]);
  }
}

}  // namespace pg
}  // namespace zelado
