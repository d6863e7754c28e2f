#include "platform/ado/workbook/CellFormats.h"

#include "platform/ado/workbook/ByteIo.h"

#include <cstring>

namespace zelado {
namespace workbook {

namespace {

bool BuiltInDate(uint16_t f) { return (f >= 14 && f <= 22) || (f >= 27 && f <= 36) || (f >= 45 && f <= 47) || (f >= 50 && f <= 58); }

}  // namespace

bool IsDateFormat(const std::string& code) {
  // Only the first section (positive numbers) decides.
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      size_t close = code.find('"', i + 1);
      if (close == std::string::npos) return false;
      i = close;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == '[') {
      size_t close = code.find(']', i + 1);
      if (close == std::string::npos) return false;
      std::string inside = code.substr(i + 1, close - i - 1);
      // [h], [mm], [ss]: elapsed time, a date part too.
      if (!inside.empty() && std::string("hHmMsS").find(inside[0]) != std::string::npos &&
          inside.find_first_not_of(inside[0]) == std::string::npos)
        return true;
      i = close;
    } else if (c == ';') {
      return false;
    } else if (std::strchr("yYmMdDhHsS", c)) {
      return true;
    } else if (c == '0' || c == '#' || c == '?' || c == '@') {
      return false;
    }
  }
  return false;
}

void CellFormats::Read(const Record& r) {
  if (r.type == kFormat && r.data.size() >= 2) {
    size_t at = 2;
    m_custom[Get16(r.data, 0)] = IsDateFormat(ReadString(r.data, at, false));
  } else if (r.type == kXf && r.data.size() >= 6) {
    uint16_t fmt = Get16(r.data, 2);
    auto it = m_custom.find(fmt);
    m_dateXf.push_back(it != m_custom.end() ? it->second : BuiltInDate(fmt));
  }
}

}  // namespace workbook
}  // namespace zelado
