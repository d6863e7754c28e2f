#include "platform/ado/workbook/PartRecords.h"

#include "platform/ado/workbook/ByteIo.h"

namespace zelado {
namespace workbook {

namespace {

void MoveIndexData(char* data, size_t size, int64_t delta) {
  std::string_view d(data, size);
  for (size_t at = 16; at + 4 <= size; at += 4) {
    uint32_t v = static_cast<uint32_t>(Get32(d, at) + delta);
    for (int k = 0; k < 4; ++k) data[at + k] = static_cast<char>(v >> (8 * k));
  }
}

}  // namespace

PartRecords PartRecords::FromBytes(std::string bytes) {
  PartRecords p;
  p.m_bytes = std::move(bytes);
  p.m_unsplit = true;
  return p;
}

std::vector<Record>& PartRecords::All() {
  if (m_unsplit) {
    m_records = SplitRecords(m_bytes);
    std::string().swap(m_bytes);
    m_unsplit = false;
  }
  return m_records;
}

void PartRecords::WriteTo(std::string& out) const {
  if (m_unsplit)
    out += m_bytes;
  else
    WriteRecords(m_records, out);
}

void PartRecords::MoveIndex(int64_t delta) {
  if (!m_unsplit) {
    for (Record& r : m_records)
      if (r.type == kIndex) MoveIndexData(&r.data[0], r.data.size(), delta);
    return;
  }
  for (size_t at = 0; at + 4 <= m_bytes.size(); at += 4 + Get16(m_bytes, at + 2))
    if (Get16(m_bytes, at) == kIndex) MoveIndexData(&m_bytes[at + 4], Get16(m_bytes, at + 2), delta);
}

}  // namespace workbook
}  // namespace zelado
