#include "platform/ado/postgres/PgRows.h"

#include "platform/ado/postgres/PgTypes.h"

#include <cstdlib>

namespace zelado {
namespace pg {

namespace {

// A COPY to or from the client would hold the connection in its own mode
// (and the reader in a loop): it is ended at once, as a failed statement.
bool EndCopy(PGconn* conn, ExecStatusType s) {
  if (s == PGRES_COPY_IN || s == PGRES_COPY_BOTH) {
    PQputCopyEnd(conn, "COPY with the client is not available through this interface");
    return true;
  }
  if (s == PGRES_COPY_OUT) {
    char* buffer = nullptr;
    while (PQgetCopyData(conn, &buffer, 0) > 0) PQfreemem(buffer);
    return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<Rows> Rows::Start(LinkPtr link, KeyPtr key, int64_t& changed) {
  std::unique_ptr<Rows> rows(new Rows(link, std::move(key)));
  PGconn* conn = link->conn;
  PQsetSingleRowMode(conn);
  rows->m_wire = true;
  link->active = rows.get();
  // Results of earlier statements of the text go by; the first with rows is the stream.
  while (ResultPtr r = ResultPtr(PQgetResult(conn))) {
    ExecStatusType s = PQresultStatus(r.get());
    if (s == PGRES_SINGLE_TUPLE || s == PGRES_TUPLES_OK) {
      rows->Describe(r.get(), rows->m_key ? static_cast<int>(rows->m_key->columns.size()) : 0);
      if (s == PGRES_SINGLE_TUPLE) {
        rows->m_pending = std::move(r);
        return rows;
      }
      break;
    }
    if (s == PGRES_COMMAND_OK) {
      const char* n = PQcmdTuples(r.get());
      if (*n) changed = (changed < 0 ? 0 : changed) + std::strtoll(n, nullptr, 10);
      continue;
    }
    if (s == PGRES_EMPTY_QUERY) continue;
    if (EndCopy(conn, s)) {
      rows->Finish();
      Raise(ErrorKind::NotAvailable, L"COPY with the client is not available through this interface");
    }
    rows->Finish();
    RaiseResult(conn, r.get());
  }
  rows->Finish();
  if (rows->m_failed) Raise(rows->m_failKind, rows->m_failMessage);
  return rows;
}

Rows::~Rows() {
  if (m_link->active != this) return;
  // Outside a transaction the server may stop sending; inside one a cancel
  // would spoil the transaction, so the rest is read and dropped.
  if (m_link->level == 0 && PQtransactionStatus(m_link->conn) == PQTRANS_ACTIVE) {
    if (PGcancel* cancel = PQgetCancel(m_link->conn)) {
      char buffer[256];
      PQcancel(cancel, buffer, sizeof buffer);
      PQfreeCancel(cancel);
    }
  }
  Finish();
}

void Rows::FetchRowsBy(const PGresult* shape, std::weak_ptr<const RowFetch> fetch) {
  m_columns.clear();
  Describe(shape, 0);
  m_fetch = std::move(fetch);
  m_fetching = true;
}

void Rows::Describe(const PGresult* r, int first) {
  int n = PQnfields(r);
  for (int i = first; i < n; ++i) {
    Column c;
    c.name = Wide(PQfname(r, i));
    DescribeType(PQftype(r, i), PQfmod(r, i), c);
    if (m_key) {
      auto name = m_key->names.find(PQftablecol(r, i));
      c.baseColumn = name != m_key->names.end() ? Wide(name->second) : c.name;
      c.baseTable = Wide(m_key->table);
      c.attributes |= adFldUpdatable;
    } else {
      c.baseColumn = c.name;
    }
    c.attributes |= adFldIsNullable;  // the server tells no more without a catalog read
    m_columns.push_back(std::move(c));
  }
  if (m_key) m_table = Wide(m_key->table);
}

void Rows::Finish(ResultPtr last) {
  if (!m_wire) return;
  m_wire = false;
  if (m_link->active == this) m_link->active = nullptr;
  for (ResultPtr r = std::move(last); r || (r = ResultPtr(PQgetResult(m_link->conn))); r.reset()) {
    ExecStatusType s = PQresultStatus(r.get());
    EndCopy(m_link->conn, s);
    if (s == PGRES_FATAL_ERROR && !m_failed) {
      m_failed = true;
      pg::Describe(m_link->conn, r.get(), m_failKind, m_failMessage);
    }
  }
  if (PQstatus(m_link->conn) != CONNECTION_OK && !m_failed) {
    m_failed = true;
    pg::Describe(m_link->conn, nullptr, m_failKind, m_failMessage);
  }
}

ResultPtr Rows::Pull() {
  if (!m_buffered.empty()) {
    ResultPtr r = std::move(m_buffered.front());
    m_buffered.pop_front();
    return r;
  }
  if (!m_wire) {
    if (m_failed) {
      m_failed = false;
      Raise(m_failKind, m_failMessage);
    }
    return nullptr;
  }
  ResultPtr r(PQgetResult(m_link->conn));
  if (r && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE) return r;
  Finish(std::move(r));
  return Pull();
}

void Rows::Buffer() {
  while (m_wire) {
    ResultPtr r(PQgetResult(m_link->conn));
    if (r && PQresultStatus(r.get()) == PGRES_SINGLE_TUPLE)
      m_buffered.push_back(std::move(r));
    else
      Finish(std::move(r));
  }
}

bool Rows::Next(Row* row, int64_t* key) {
  if (!m_pending) m_pending = Pull();
  if (!m_pending) return false;
  ResultPtr r = std::move(m_pending);
  size_t first = m_key ? m_key->columns.size() : 0;
  int64_t k = 0;
  if (m_key && (key || m_fetching)) {
    std::vector<std::string> values;
    for (size_t c = 0; c < first; ++c) values.emplace_back(PQgetvalue(r.get(), 0, static_cast<int>(c)));
    k = m_link->keys.KeyOf(*m_key, std::move(values));
    if (key) *key = k;
  }
  if (!row) return true;
  if (!m_fetching) {
    ReadRow(r.get(), 0, static_cast<int>(first), *row);
    return true;
  }
  std::shared_ptr<const RowFetch> fetch = m_fetch.lock();
  if (!fetch) Raise(ErrorKind::InvalidConnection, L"the connection these rows came from is closed");
  (*fetch)(m_table, m_columns, k, *row);
  return true;
}

}  // namespace pg
}  // namespace zelado
