// Keys of server tables. A table's rows are found again by its primary key:
// a single integer key is the row key itself; any other key (text, several
// columns) is given a number here, the same number every time the same key
// is seen in the session. Rows without a primary key have no key, so their
// recordsets are read-only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelado {
namespace pg {

struct TableKey {
  std::string table;                // schema-qualified, quoted
  std::vector<std::string> columns;  // primary key columns, quoted, in key order
  bool integer = false;             // one column of an integer type
  std::map<int, std::string> names;  // column number -> name, for the columns read
};

class KeyStore {
public:
  // The row key of a primary key's values (text forms).
  int64_t KeyOf(const TableKey& t, std::vector<std::string> values);
  // The values behind a row key; raises NoCurrentRecord for an unknown one.
  std::vector<std::string> ValuesOf(const TableKey& t, int64_t key) const;

private:
  static std::string Joined(const std::vector<std::string>& values);
  std::unordered_map<std::string, int64_t> m_ids;
  std::vector<std::vector<std::string>> m_values;
};

}  // namespace pg
}  // namespace zelado
