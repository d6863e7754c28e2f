// The workbook's shared string table. Each string keeps its rich-text runs
// and phonetic data as read, so that a table written again after strings
// were added loses none of the formatting the others carry.
#pragma once

#include "platform/ado/workbook/Biff.h"

#include <unordered_map>

namespace zelado {
namespace workbook {

class SharedStrings {
public:
  // The SST record at records[at] and its CONTINUE records. Counts are
  // checked against the bytes there before anything is reserved.
  void Parse(const std::vector<Record>& records, size_t at);

  size_t Count() const { return m_text.size(); }
  const std::string& Text(size_t i) const { return m_text[i]; }
  // The index of the text, added at the end when it is not there yet.
  uint32_t Intern(const std::string& utf8);
  bool Changed() const { return m_changed; }
  // SST and CONTINUE records holding every string; the total count of uses
  // is the one given.
  std::vector<Record> Build(uint32_t uses) const;
  uint32_t Uses() const { return m_uses; }

private:
  struct Extra {
    uint16_t runCount = 0;
    std::string runs, phonetic;
  };
  std::vector<std::string> m_text;
  std::vector<Extra> m_extra;  // beside m_text
  std::unordered_map<std::string, uint32_t> m_index;  // built on the first Intern
  uint32_t m_uses = 0;
  bool m_changed = false;
};

}  // namespace workbook
}  // namespace zelado
