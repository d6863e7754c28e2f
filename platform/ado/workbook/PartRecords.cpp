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

PartRecords PartRecords::FromBytes(std::shared_ptr<std::string> stream, size_t at, size_t size) {
  PartRecords p;
  p.m_stream = std::move(stream);
  p.m_at = at;
  p.m_size = size;
  return p;
}

PartRecords PartRecords::FromBytes(std::string bytes) {
  size_t size = bytes.size();
  return FromBytes(std::make_shared<std::string>(std::move(bytes)), 0, size);
}

std::vector<Record>& PartRecords::All() {
  if (m_stream) {
    m_records = SplitRecords(Bytes());
    m_stream.reset();
  }
  return m_records;
}

void PartRecords::WriteTo(std::string& out) const {
  if (m_stream)
    out += Bytes();
  else
    WriteRecords(m_records, out);
}

void PartRecords::MoveIndex(int64_t delta) {
  if (!m_stream) {
    for (Record& r : m_records)
      if (r.type == kIndex) MoveIndexData(&r.data[0], r.data.size(), delta);
    return;
  }
  // The stream is shared with the other sheets: this part gets its own copy.
  if (m_stream.use_count() > 1) *this = FromBytes(std::string(Bytes()));
  // The part may stand anywhere in the bytes it was read with.
  std::string& b = *m_stream;
  for (size_t at = m_at, end = m_at + m_size; at + 4 <= end; at += 4 + Get16(b, at + 2))
    if (Get16(b, at) == kIndex) MoveIndexData(&b[at + 4], Get16(b, at + 2), delta);
}

}  // namespace workbook
}  // namespace zelado
