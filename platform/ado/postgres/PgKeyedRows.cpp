// Rows of the server engine read and written by their primary key, for
// keyset cursors and the recordset's AddNew, Update and Delete.
#include "platform/ado/postgres/PgSession.h"

#include "platform/ado/postgres/PgLong.h"
#include "platform/ado/postgres/PgTypes.h"

#include <cstdlib>
#include <unordered_map>

namespace zelado {
namespace pg {

KeyPtr PgSession::TableNamed(const std::wstring& table) {
  auto it = m_tablesByName.find(table);
  if (it == m_tablesByName.end()) Raise(ErrorKind::ReadOnly, L"the table " + table + L" has no primary key to write rows by");
  return it->second;
}

// "(k1, k2) = ($n, $n+1)" for the key columns.
std::string PgSession::KeyMatch(const TableKey& t, size_t first) const {
  std::string names, marks;
  for (size_t i = 0; i < t.columns.size(); ++i) {
    names += (i ? ", " : "") + t.columns[i];
    marks += (i ? ", $" : "$") + std::to_string(first + i);
  }
  return "(" + names + ") = (" + marks + ")";
}

void PgSession::AddKeyValues(const TableKey& t, int64_t key, std::vector<Value>& params) const {
  for (std::string& v : m_link->keys.ValuesOf(t, key)) params.push_back(Value::Str(std::move(v)));
}

void PgSession::Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys,
                      size_t count, std::vector<Row>& rows) {
  rows.assign(count, Row());
  if (count == 0) return;
  KeyPtr t = TableNamed(table);
  // Long binary columns come with their first piece, their length and the
  // row's version at the end; the rest is read by key (ReadLong).
  std::vector<size_t> longs;
  std::string sql = "SELECT ", tail;
  for (const std::string& c : t->columns) sql += c + ", ";
  for (size_t i = 0; i < columns.size(); ++i) {
    std::string name = QuoteIdent(Utf8(columns[i].baseColumn));
    if (columns[i].type != adLongVarBinary) {
      sql += name + ", ";
      continue;
    }
    longs.push_back(i);
    sql += "substring(" + name + " from 1 for " + std::to_string(kPiece) + "), ";
    tail += "octet_length(" + name + "), ";
  }
  if (!longs.empty()) tail += std::string(kRowVersion) + ", ";
  sql += tail;
  sql.resize(sql.size() - 2);
  sql += " FROM " + t->table + " WHERE ";
  std::vector<Value> params;
  std::unordered_map<int64_t, size_t> where;
  for (size_t i = 0; i < count; ++i) {
    sql += (i ? " OR " : "") + KeyMatch(*t, params.size() + 1);
    AddKeyValues(*t, keys[i], params);
    where[keys[i]] = i;
  }
  ResultPtr r = RunOnce(sql, params, PGRES_TUPLES_OK);
  int first = static_cast<int>(t->columns.size());
  int lengthAt = first + static_cast<int>(columns.size());
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    std::vector<std::string> k;
    for (int c = 0; c < first; ++c) k.emplace_back(PQgetvalue(r.get(), i, c));
    int64_t key = m_link->keys.KeyOf(*t, std::move(k));
    auto at = where.find(key);
    if (at == where.end()) continue;
    Row& row = rows[at->second];
    ReadRow(r.get(), i, first, row);
    row.resize(columns.size());
    for (size_t l = 0; l < longs.size(); ++l) {
      Value& v = row[longs[l]];
      size_t total = std::strtoull(PQgetvalue(r.get(), i, lengthAt + static_cast<int>(l)), nullptr, 10);
      if (v.kind != Value::Blob || v.bytes.size() >= total) continue;
      std::string version = PQgetvalue(r.get(), i, lengthAt + static_cast<int>(longs.size()));
      if (!ReadLong(*t, key, QuoteIdent(Utf8(columns[longs[l]].baseColumn)), std::move(version), total, v)) {
        row.clear();  // deleted since: as if the fetch had not found it
        break;
      }
    }
  }
}

int64_t PgSession::InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns,
                             const Row& values) {
  KeyPtr t = TableNamed(table);
  std::string sql = "INSERT INTO " + t->table;
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i ? ", " : "") + QuoteIdent(Utf8(columns[i]));
      marks += (i ? ", " : "") + Placed(values, i, i + 1);
    }
    sql += " (" + names + ") VALUES (" + marks + ")";
  }
  sql += " RETURNING ";
  for (size_t i = 0; i < t->columns.size(); ++i) sql += (i ? ", " : "") + t->columns[i];
  ResultPtr r;
  WriteStaged(values, [&](const Row& bound) { r = RunOnce(sql, bound, PGRES_TUPLES_OK); });
  std::vector<std::string> k;
  for (size_t c = 0; c < t->columns.size(); ++c) k.emplace_back(PQgetvalue(r.get(), 0, static_cast<int>(c)));
  m_changes = 1;
  return m_link->keys.KeyOf(*t, std::move(k));
}

void PgSession::UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                          const Row& values) {
  if (columns.empty()) return;
  KeyPtr t = TableNamed(table);
  std::string sql = "UPDATE " + t->table + " SET ";
  for (size_t i = 0; i < columns.size(); ++i)
    sql += (i ? ", " : "") + QuoteIdent(Utf8(columns[i])) + " = " + Placed(values, i, i + 1);
  std::vector<Value> keyValues;
  sql += " WHERE " + KeyMatch(*t, values.size() + 1);
  AddKeyValues(*t, key, keyValues);
  ResultPtr r;
  WriteStaged(values, [&](const Row& bound) { r = RunOnce(sql, bound, PGRES_COMMAND_OK, keyValues); });
  m_changes = std::strtoll(PQcmdTuples(r.get()), nullptr, 10);
  if (m_changes == 0) Raise(ErrorKind::NoCurrentRecord, L"the row to update is no longer in the table");
}

void PgSession::DeleteRow(const std::wstring& table, int64_t key) {
  KeyPtr t = TableNamed(table);
  std::vector<Value> params;
  AddKeyValues(*t, key, params);
  ResultPtr r = RunOnce("DELETE FROM " + t->table + " WHERE " + KeyMatch(*t, 1), params, PGRES_COMMAND_OK);
  m_changes = std::strtoll(PQcmdTuples(r.get()), nullptr, 10);
  if (m_changes == 0) Raise(ErrorKind::NoCurrentRecord, L"the row to delete is no longer in the table");
}

}  // namespace pg
}  // namespace zelado
