// Statement texts and server values of the server engine: marker
// numbering, the select-list finder, and values read from their text form
// as the server (or something posing as it) sends them.
#include "platform/ado/ValueConvert.h"
#include "platform/ado/postgres/PgMarkers.h"
#include "platform/ado/postgres/PgTypes.h"
#include "platform/oleaut/ComError.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zelado::pg::Marked m = zelado::pg::NumberMarkers(text);
  // A marker only grows into "$n"; nothing else of the text changes.
  if (m.sql.size() < text.size()) std::abort();
  zelado::pg::SelectListStart(m.sql);

  static const Oid kTypes[] = {16, 17, 20, 21, 23, 25, 700, 701, 1082, 1083, 1114, 1184, 1266, 1700};
  for (Oid type : kTypes) {
    zelado::Value v;
    try {
      zelado::pg::ReadValue(type, text.c_str(), text.size(), v);
      zelado::Column c;
      zelado::pg::DescribeType(type, -1, c);
      _variant_t out = zelado::ToVariant(v, c.type);
    } catch (const _com_error&) {
    }
  }
  return 0;
}
