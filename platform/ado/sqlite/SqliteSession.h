// A connection of the embedded engine.
#pragma once

#include "platform/ado/sqlite/SqliteDb.h"

#include <map>

namespace zelado {
namespace sqlite {

// Opens the database file (":memory:" for a private in-memory one); a
// missing file is created unless mustExist or readOnly.
std::unique_ptr<Session> OpenSession(const std::wstring& path, bool mustExist, bool readOnly);

class Rows;

class SqliteSession : public Session {
public:
  explicit SqliteSession(DbPtr db) : m_db(std::move(db)) {}

  Capabilities GetCapabilities() const override;
  std::unique_ptr<RowStream> Execute(const std::wstring& text, const std::vector<Value>& params,
                                     bool keyed) override;
  int64_t RowsAffected() override { return m_changes; }

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
  // A prepared statement kept for the life of the session, reset and unbound.
  sqlite3_stmt* Cached(const std::string& sql);
  void FetchOrdered(const std::string& sql, size_t columns, const int64_t* keys, size_t count,
                    std::vector<Row>& rows);
  void Finish(sqlite3_stmt* stmt, int rc);
  // Steps a cached write statement to its end; answers the rows it changed.
  int64_t RunWrite(sqlite3_stmt* stmt);
  // The statement with the table's rowid put first, or none when the rows
  // of `stmt` are not all one table's.
  // `keysOnly` takes a statement reading the same rows' keys alone, in the
  // same order, when one can be made from the text (empty otherwise).
  StmtPtr Keyed(sqlite3_stmt* stmt, const char* text, std::wstring& table, std::string& keysOnly);
  void Exec(const std::string& sql);
  // Binds the values from `used` on and takes the first step.
  std::unique_ptr<Rows> Start(StmtPtr stmt, const std::vector<Value>& params, size_t& used,
                                    const std::wstring& table, int64_t& changed);

  DbPtr m_db;
  std::map<std::string, StmtPtr> m_cache;
  PoolPtr m_pool = std::make_shared<StmtPool>();
  int64_t m_changes = -1;
  std::wstring m_lastText;  // the last statement text and its UTF-8 form
  std::string m_lastSql;
  int m_level = 0;
};

}  // namespace sqlite
}  // namespace zelado
