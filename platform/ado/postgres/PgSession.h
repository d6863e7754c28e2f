// A connection of the server engine.
#pragma once

#include "platform/ado/postgres/PgMarkers.h"
#include "platform/ado/postgres/PgRows.h"

#include <functional>
#include <map>
#include <unordered_map>

namespace zelado {
namespace pg {

std::unique_ptr<Session> OpenSession(const std::wstring& source, const std::wstring& catalog,
                                     const std::wstring& user, const std::wstring& password);

// Values bound to a statement: text forms, binary for bytes.
struct Bound {
  std::vector<std::string> text;
  std::vector<const char*> values;
  std::vector<int> lengths, formats;
  std::vector<Oid> types;
  // `more` (the key values of a row) follows `params`; neither is copied.
  void Bind(const std::vector<Value>& params, const std::vector<Value>& more = {});
};

class PgSession : public Session {
public:
  explicit PgSession(LinkPtr link);

  Capabilities GetCapabilities() const override;
  SqlDialect Dialect() const override { return SqlDialect::Postgres; }
  std::unique_ptr<RowStream> Execute(const std::wstring& text, const std::vector<Value>& params,
                                     bool keyed) override;
  int64_t RowsAffected() override { return m_changes; }
  std::unique_ptr<RowStream> ExecuteProcedure(const std::wstring& name, std::vector<EngineParam>& params) override;

  void Fetch(const std::wstring& table, const std::vector<Column>& columns, const int64_t* keys, size_t count,
             std::vector<Row>& rows) override;
  int64_t InsertRow(const std::wstring& table, const std::vector<std::wstring>& columns,
                    const Row& values) override;
  void UpdateRow(const std::wstring& table, int64_t key, const std::vector<std::wstring>& columns,
                 const Row& values) override;
  void DeleteRow(const std::wstring& table, int64_t key) override;

  void BeginTransaction() override;
  void CommitTransaction() override;
  void RollbackTransaction() override;

  std::unique_ptr<RowStream> Schema(SchemaEnum schema, const std::vector<Value>& restrictions) override;

private:
  // Frees the connection of a stream still reading (its rest goes to memory).
  void Idle();
  // A named prepared statement for the text and the kinds of its values.
  const std::string& Prepared(const std::string& sql, const std::vector<Value>& params);
  // Sends a statement with values without preparing it, and starts its rows.
  std::unique_ptr<RowStream> SendOnce(const std::string& sql, const std::vector<Value>& params);
  // Runs a statement with values to its end and answers its result.
  ResultPtr RunOnce(const std::string& sql, const std::vector<Value>& params, ExecStatusType ok,
                    const std::vector<Value>& more = {}, int resultFormat = 0);
  // The key of the one table all columns of the statement read, with the
  // statement reading the key first; none when there is no such table.
  // A table with long binary columns gets keys-only text and, in `shape`,
  // the description of the statement's own columns (see Rows::FetchRowsBy).
  KeyPtr KeyFor(const std::string& sql, const std::vector<Value>& params, std::string& keyed, ResultPtr& shape);
  KeyPtr KeyedText(const std::string& sql, size_t at, const std::vector<Value>& params, std::string& keyed,
                   ResultPtr& shape);
  KeyPtr TableInfo(Oid table);
  KeyPtr TableNamed(const std::wstring& table);
  std::string KeyMatch(const TableKey& t, size_t first) const;
  void AddKeyValues(const TableKey& t, int64_t key, std::vector<Value>& params) const;
  void Transaction(const std::string& sql);

  // Long binary values cross the wire in pieces, so neither libpq nor the
  // statement holds a second whole copy (nor the value's hex text).
  // The rest of a value of `total` bytes whose first piece and row version
  // a fetch read; false when the row is gone.
  bool ReadLong(const TableKey& t, int64_t key, const std::string& column, std::string version, size_t total,
                Value& value);
  // The value put in place of the ? of column i: "$i", or for a long value
  // the value gathered from its staged pieces (the parameter then carries
  // the slot number; see StagedValues).
  static std::string Placed(const Row& values, size_t i, size_t mark);
  // The values with each long one replaced by its slot, its pieces staged;
  // none when no value is long. Runs `write` with them, all in one
  // transaction (or savepoint), the pieces dropped after.
  void WriteStaged(const Row& values, const std::function<void(const Row&)>& write);

  LinkPtr m_link;
  // Streams hold it weakly: one left over from a closed session fails
  // instead of reaching the session.
  std::shared_ptr<const Rows::RowFetch> m_rowFetch;
  std::unordered_map<std::string, std::string> m_prepared;
  std::map<Oid, KeyPtr> m_tables;
  std::map<std::wstring, KeyPtr> m_tablesByName;
  Bound m_bound;
  int64_t m_changes = -1;
  std::wstring m_lastText;
  Marked m_lastMarked;
};

}  // namespace pg
}  // namespace zelado
