#include "platform/ado/MemoryRows.h"

namespace zelado {

bool MemoryRows::Next(Row* row, int64_t* key) {
  if (m_next >= m_rows.size()) return false;
  if (row) *row = std::move(m_rows[m_next]);
  if (key) *key = static_cast<int64_t>(m_next);
  ++m_next;
  return true;
}

namespace {

Column Make(const wchar_t* name, DataTypeEnum type, long size, unsigned char precision, long attributes) {
  Column c;
  c.name = name;
  c.type = type;
  c.definedSize = size;
  c.precision = precision;
  c.attributes = adFldIsNullable | adFldMayBeNull | attributes;
  return c;
}

}  // namespace

Column MemoryRows::TextColumn(const wchar_t* name) { return Make(name, adVarWChar, 128, 255, 0); }
Column MemoryRows::IntColumn(const wchar_t* name) { return Make(name, adInteger, 4, 10, adFldFixed); }

}  // namespace zelado
