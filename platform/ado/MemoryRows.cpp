#include "platform/ado/MemoryRows.h"

namespace zelado {

bool MemoryRows::Next(Row* row, int64_t* key) {
  if (m_next >= m_rows.size()) return false;
  if (row) *row = std::move(m_rows[m_next]);
  if (key) *key = static_cast<int64_t>(m_next);
  ++m_next;
  return true;
}

Column MemoryRows::TextColumn(const wchar_t* name) {
  Column c;
  c.name = name;
  c.type = adVarWChar;
  c.definedSize = 128;
  c.attributes = adFldIsNullable | adFldMayBeNull;
  return c;
}

Column MemoryRows::IntColumn(const wchar_t* name) {
  Column c;
  c.name = name;
  c.type = adInteger;
  c.definedSize = 4;
  c.precision = 10;
  c.attributes = adFldIsNullable | adFldMayBeNull | adFldFixed;
  return c;
}

}  // namespace zelado
