// Which cell formats show dates: the built-in date formats by number, and
// custom format texts whose codes are date or time parts (y m d h s) once
// quoted text, escaped characters and bracketed colours or conditions are
// set aside.
#pragma once

#include "platform/ado/workbook/Biff.h"

#include <map>

namespace zelado {
namespace workbook {

bool IsDateFormat(const std::string& code);

class CellFormats {
public:
  // Called for each FORMAT and XF record of the globals, in order.
  void Read(const Record& r);
  bool IsDate(uint16_t xf) const { return xf < m_dateXf.size() && m_dateXf[xf]; }
  size_t XfCount() const { return m_dateXf.size(); }

private:
  std::map<uint16_t, bool> m_custom;  // format number -> shows a date
  std::vector<bool> m_dateXf;
};

}  // namespace workbook
}  // namespace zelado
