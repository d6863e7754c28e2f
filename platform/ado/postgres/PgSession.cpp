#include "platform/ado/postgres/PgSession.h"

#include "platform/ado/postgres/PgLong.h"
#include "platform/ado/postgres/PgTypes.h"
#include "platform/oleaut/ComError.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zelado {
namespace pg {

namespace {

constexpr Oid kByteaOid = 17;
constexpr size_t kMostPrepared = 256;

}  // namespace

std::unique_ptr<Session> OpenSession(const std::wstring& source, const std::wstring& catalog,
                                     const std::wstring& user, const std::wstring& password) {
  if (source.empty()) Raise(ErrorKind::BadConnectionText, L"the connection text names no Data Source (host[:port])");
  return std::unique_ptr<Session>(new PgSession(OpenLink(source, catalog, user, password)));
}

void Bound::Bind(const std::vector<Value>& params, const std::vector<Value>& more) {
  size_t n = params.size() + more.size();
  text.resize(n);
  values.assign(n, nullptr);
  lengths.assign(n, 0);
  formats.assign(n, 0);
  types.assign(n, 0);
  for (size_t i = 0; i < n; ++i) {
    const Value& v = i < params.size() ? params[i] : more[i - params.size()];
    switch (v.kind) {
      case Value::Null: continue;
      case Value::Integer: text[i] = std::to_string(v.i); break;
      case Value::Real: {
        char buffer[40];
        if (std::isnan(v.r))
          text[i] = "NaN";
        else if (std::isinf(v.r))
          text[i] = v.r > 0 ? "Infinity" : "-Infinity";
        else
          text[i].assign(buffer, static_cast<size_t>(std::snprintf(buffer, sizeof buffer, "%.17g", v.r)));
        break;
      }
      case Value::Text:
        // The server's text holds no NUL, and a text value would end there.
        if (v.bytes.find('\0') != std::string::npos)
          Raise(ErrorKind::ValueRefused, L"a text value holds a NUL character, which the server cannot store");
        // The values are read where they lie while the statement is sent.
        values[i] = v.bytes.c_str();
        lengths[i] = static_cast<int>(v.bytes.size());
        continue;
      case Value::Blob:
        values[i] = v.bytes.data();
        lengths[i] = static_cast<int>(v.bytes.size());
        formats[i] = 1;
        types[i] = kByteaOid;
        continue;
    }
    values[i] = text[i].c_str();
    lengths[i] = static_cast<int>(text[i].size());
  }
}

PgSession::PgSession(LinkPtr link) : m_link(std::move(link)) {
  m_rowFetch = std::make_shared<const Rows::RowFetch>(
      [this](const std::wstring& table, const std::vector<Column>& columns, int64_t key, Row& row) {
        std::vector<Row> rows;
        Fetch(table, columns, &key, 1, rows);
        // Deleted since its key was read: the row reads as NULLs.
        row = rows[0].empty() ? Row(columns.size()) : std::move(rows[0]);
      });
}

Capabilities PgSession::GetCapabilities() const {
  Capabilities c;
  c.storedProcedures = true;
  c.outputParameters = true;
  return c;
}

void PgSession::Idle() {
  if (m_link->active) m_link->active->Buffer();
}

const std::string& PgSession::Prepared(const std::string& sql, const std::vector<Value>& params) {
  std::string key = sql;
  key += '\0';
  for (const Value& v : params) key += v.kind == Value::Blob ? 'b' : 't';
  auto it = m_prepared.find(key);
  if (it != m_prepared.end()) return it->second;
  if (m_prepared.size() >= kMostPrepared) {
    Run(m_link->conn, "DEALLOCATE ALL");
    m_prepared.clear();
  }
  m_bound.Bind(params);
  std::string name = "zel_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" + std::to_string(m_prepared.size());
  ResultPtr r(PQprepare(m_link->conn, name.c_str(), sql.c_str(), static_cast<int>(params.size()),
                        m_bound.types.data()));
  Check(m_link->conn, r.get(), PGRES_COMMAND_OK);
  return m_prepared.emplace(std::move(key), std::move(name)).first->second;
}

std::unique_ptr<RowStream> PgSession::Execute(const std::wstring& text, const std::vector<Value>& params,
                                              bool keyed) {
  if (text != m_lastText) {
    m_lastMarked = NumberMarkers(Utf8(text));
    m_lastText = text;
  }
  const Marked& m = m_lastMarked;
  // The statement would end at the NUL and run cut short.
  if (m.sql.find('\0') != std::string::npos)
    Raise(ErrorKind::Syntax, L"the statement text holds a NUL character");
  if (m.markers != params.size())
    Raise(ErrorKind::InvalidArgument, "the statement has " + std::to_string(m.markers) + " ? markers but " +
                                          std::to_string(params.size()) + " values were given");
  Idle();
  PGconn* conn = m_link->conn;
  std::string keyedSql;
  ResultPtr shape;
  KeyPtr key = keyed ? KeyFor(m.sql, params, keyedSql, shape) : nullptr;
  int sent;
  if (params.empty() && !key) {
    // Without values a text may hold several statements.
    sent = PQsendQuery(conn, m.sql.c_str());
  } else {
    const std::string& name = Prepared(key ? keyedSql : m.sql, params);
    m_bound.Bind(params);
    sent = PQsendQueryPrepared(conn, name.c_str(), static_cast<int>(params.size()), m_bound.values.data(),
                               m_bound.lengths.data(), m_bound.formats.data(), 0);
  }
  if (!sent) RaiseResult(conn, nullptr);
  int64_t changed = -1;
  std::unique_ptr<Rows> rows = Rows::Start(m_link, std::move(key), changed);
  if (shape) rows->FetchRowsBy(shape.get(), m_rowFetch);
  m_changes = changed;
  return rows;
}

std::unique_ptr<RowStream> PgSession::SendOnce(const std::string& sql, const std::vector<Value>& params) {
  Idle();
  m_bound.Bind(params);
  if (!PQsendQueryParams(m_link->conn, sql.c_str(), static_cast<int>(params.size()), m_bound.types.data(),
                         m_bound.values.data(), m_bound.lengths.data(), m_bound.formats.data(), 0))
    RaiseResult(m_link->conn, nullptr);
  int64_t changed = -1;
  return Rows::Start(m_link, nullptr, changed);
}

ResultPtr PgSession::RunOnce(const std::string& sql, const std::vector<Value>& params, ExecStatusType ok,
                             const std::vector<Value>& more, int resultFormat) {
  Idle();
  m_bound.Bind(params, more);
  ResultPtr r(PQexecParams(m_link->conn, sql.c_str(), static_cast<int>(m_bound.values.size()), m_bound.types.data(),
                           m_bound.values.data(), m_bound.lengths.data(), m_bound.formats.data(), resultFormat));
  Check(m_link->conn, r.get(), ok);
  return r;
}

KeyPtr PgSession::TableInfo(Oid table) {
  auto known = m_tables.find(table);
  if (known != m_tables.end()) return known->second;
  std::vector<Value> oid = {Value::Int(table)};
  ResultPtr name = RunOnce("SELECT quote_ident(n.nspname) || '.' || quote_ident(c.relname) FROM pg_class c "
                           "JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.oid = $1::oid",
                           oid, PGRES_TUPLES_OK);
  ResultPtr pk = RunOnce("SELECT quote_ident(a.attname), a.atttypid IN (20, 21, 23) FROM pg_index i "
                         "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey) "
                         "WHERE i.indrelid = $1::oid AND i.indisprimary "
                         "ORDER BY array_position(i.indkey::int2[], a.attnum)",
                         oid, PGRES_TUPLES_OK);
  ResultPtr cols = RunOnce("SELECT attnum, attname FROM pg_attribute WHERE attrelid = $1::oid AND attnum > 0 "
                           "AND NOT attisdropped", oid, PGRES_TUPLES_OK);
  KeyPtr out;
  if (PQntuples(name.get()) == 1 && PQntuples(pk.get()) > 0) {
    auto t = std::make_shared<TableKey>();
    t->table = PQgetvalue(name.get(), 0, 0);
    for (int i = 0; i < PQntuples(pk.get()); ++i) t->columns.emplace_back(PQgetvalue(pk.get(), i, 0));
    t->integer = t->columns.size() == 1 && PQgetvalue(pk.get(), 0, 1)[0] == 't';
    for (int i = 0; i < PQntuples(cols.get()); ++i)
      t->names[std::atoi(PQgetvalue(cols.get(), i, 0))] = PQgetvalue(cols.get(), i, 1);
    out = t;
    m_tablesByName[Wide(t->table)] = out;
  }
  m_tables[table] = out;
  return out;
}

KeyPtr PgSession::KeyFor(const std::string& sql, const std::vector<Value>& params, std::string& keyed,
                         ResultPtr& shape) {
  size_t at = SelectListStart(sql);
  if (at == std::string::npos) return nullptr;
  // Looking for a key must not spoil an open transaction when the text
  // cannot be prepared (several statements) or cannot take the key
  // columns (its table named by another name): the text then runs as it is.
  bool guard = PQtransactionStatus(m_link->conn) == PQTRANS_INTRANS;
  if (guard) Run(m_link->conn, "SAVEPOINT zel_keyed");
  KeyPtr key;
  try {
    key = KeyedText(sql, at, params, keyed, shape);
  } catch (const _com_error&) {
    if (PQstatus(m_link->conn) != CONNECTION_OK) throw;
    key = nullptr;
  }
  if (guard) Run(m_link->conn, key ? "RELEASE zel_keyed" : "ROLLBACK TO zel_keyed; RELEASE zel_keyed");
  return key;
}

KeyPtr PgSession::KeyedText(const std::string& sql, size_t at, const std::vector<Value>& params, std::string& keyed,
                            ResultPtr& shape) {
  const std::string& name = Prepared(sql, params);
  ResultPtr d(PQdescribePrepared(m_link->conn, name.c_str()));
  Check(m_link->conn, d.get(), PGRES_COMMAND_OK);
  int n = PQnfields(d.get());
  if (n == 0) return nullptr;
  Oid table = PQftable(d.get(), 0);
  for (int i = 0; i < n; ++i)
    if (table == InvalidOid || PQftable(d.get(), i) != table || PQftablecol(d.get(), i) <= 0) return nullptr;
  KeyPtr key = TableInfo(table);
  if (!key) return nullptr;
  for (int i = 0; i < n; ++i) {
    if (PQftype(d.get(), i) != kByteaOid) continue;
    keyed = KeysOnlyText(sql, at, *key);
    Prepared(keyed, params);
    shape = std::move(d);
    return key;
  }
  std::string columns;
  for (const std::string& c : key->columns) columns += " " + key->table + "." + c + ",";
  keyed = sql.substr(0, at) + columns + sql.substr(at);
  Prepared(keyed, params);
  return key;
}

void PgSession::Transaction(const std::string& sql) {
  Idle();
  Run(m_link->conn, sql);
}

// Nested levels are savepoints inside the one transaction of the server.
void PgSession::BeginTransaction() {
  Transaction(m_link->level == 0 ? "BEGIN" : "SAVEPOINT zel_level_" + std::to_string(m_link->level));
  ++m_link->level;
}

void PgSession::CommitTransaction() {
  if (m_link->level == 0) Raise(ErrorKind::IllegalOperation, L"no transaction is active");
  if (m_link->level > 1) {
    Transaction("RELEASE zel_level_" + std::to_string(m_link->level - 1));
    --m_link->level;
    return;
  }
  // Whatever the server answers, the transaction is over: a refused commit
  // (a deferred constraint) rolls it back.
  m_link->level = 0;
  Idle();
  ResultPtr r(PQexec(m_link->conn, "COMMIT"));
  Check(m_link->conn, r.get(), PGRES_COMMAND_OK);
  if (std::string(PQcmdStatus(r.get())) == "ROLLBACK")
    Raise(ErrorKind::IllegalOperation, L"the transaction had failed, so the server rolled it back instead of committing it");
}

void PgSession::RollbackTransaction() {
  if (m_link->level == 0) Raise(ErrorKind::IllegalOperation, L"no transaction is active");
  std::string name = "zel_level_" + std::to_string(m_link->level - 1);
  if (m_link->level == 1) {
    m_link->level = 0;
    Transaction("ROLLBACK");
    return;
  }
  Transaction("ROLLBACK TO " + name + "; RELEASE " + name);
  --m_link->level;
}

}  // namespace pg
}  // namespace zelado
