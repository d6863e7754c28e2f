#include "platform/ado/postgres/PgKeys.h"

#include "platform/ado/AdoErrors.h"

#include <cstdlib>

namespace zelado {
namespace pg {

// Each value with its length first, so no separator can be mistaken for text.
std::string KeyStore::Joined(const std::vector<std::string>& values) {
  std::string s;
  for (const std::string& v : values) s += std::to_string(v.size()) + ':' + v;
  return s;
}

int64_t KeyStore::KeyOf(const TableKey& t, std::vector<std::string> values) {
  if (t.integer) return std::strtoll(values[0].c_str(), nullptr, 10);
  auto found = m_ids.emplace(t.table + '\0' + Joined(values), static_cast<int64_t>(m_values.size()));
  if (found.second) m_values.push_back(std::move(values));
  return found.first->second;
}

std::vector<std::string> KeyStore::ValuesOf(const TableKey& t, int64_t key) const {
  if (t.integer) return {std::to_string(key)};
  if (key < 0 || static_cast<size_t>(key) >= m_values.size())
    Raise(ErrorKind::NoCurrentRecord, L"the row key is not one this connection handed out");
  return m_values[static_cast<size_t>(key)];
}

}  // namespace pg
}  // namespace zelado
