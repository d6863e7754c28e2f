#include "platform/ado/postgres/PgLong.h"

#include "platform/ado/postgres/PgSession.h"
#include "platform/oleaut/ComError.h"

#include <cstdlib>

namespace zelado {
namespace pg {

const char kRowVersion[] = "xmin::text || ',' || ctid::text";

namespace {

const char kStage[] = "pg_temp.zel_pieces";
// A value changed by another connection while it is read is read again
// from its start; one that keeps changing fails rather than reading forever.
constexpr int kMostRestarts = 3;

std::string Text(const PGresult* r, int column) {
  return std::string(PQgetvalue(r, 0, column), static_cast<size_t>(PQgetlength(r, 0, column)));
}

}  // namespace

std::string KeysOnlyText(const std::string& sql, size_t at, const TableKey& t) {
  // A closing ';' cannot stand inside the subquery, and a closing line
  // comment would take the parenthesis with it.
  size_t end = sql.find_last_not_of(" \t\r\n;");
  std::string inner = sql.substr(0, end == std::string::npos ? 0 : end + 1);
  std::string outer, added;
  for (size_t i = 0; i < t.columns.size(); ++i) {
    std::string name = "zel_k" + std::to_string(i);
    added += " " + t.table + "." + t.columns[i] + " AS " + name + ",";
    outer += (i ? ", zel_q." : "zel_q.") + name;
  }
  return "SELECT " + outer + " FROM (" + inner.substr(0, at) + added + inner.substr(at) + "\n) AS zel_q";
}

bool PgSession::ReadLong(const TableKey& t, int64_t key, const std::string& column, std::string version,
                         size_t total, Value& value) {
  std::string& bytes = value.bytes;
  const std::string sql = "SELECT substring(" + column + " from $1 for $2), octet_length(" + column + ")::text, " +
                          kRowVersion + " FROM " + t.table + " WHERE " + KeyMatch(t, 3);
  std::vector<Value> keyValues;
  AddKeyValues(t, key, keyValues);
  bytes.reserve(total);
  int restarts = 0;
  while (bytes.size() < total) {
    std::vector<Value> at = {Value::Int(static_cast<int64_t>(bytes.size()) + 1), Value::Int(kPiece)};
    // Binary results: the piece comes as its bytes, the texts as they are.
    ResultPtr r = RunOnce(sql, at, PGRES_TUPLES_OK, keyValues, 1);
    if (PQntuples(r.get()) == 0) return false;
    if (PQgetisnull(r.get(), 0, 0)) {  // set to NULL since
      value = Value();
      return true;
    }
    std::string now = Text(r.get(), 2);
    if (now != version) {
      if (++restarts > kMostRestarts)
        Raise(ErrorKind::Locked, L"a long value kept changing while it was read; try again");
      version = std::move(now);
      total = std::strtoull(Text(r.get(), 1).c_str(), nullptr, 10);
      bytes.clear();
      bytes.reserve(total);
      continue;
    }
    size_t n = static_cast<size_t>(PQgetlength(r.get(), 0, 0));
    if (n == 0) Raise(ErrorKind::ValueRefused, L"the server sent a long value shorter than its length");
    bytes.append(PQgetvalue(r.get(), 0, 0), n);
  }
  return true;
}

std::string PgSession::Placed(const Row& values, size_t i, size_t mark) {
  std::string m = "$" + std::to_string(mark);
  if (!IsLong(values[i])) return m;
  return std::string("(SELECT string_agg(v, ''::bytea ORDER BY n) FROM ") + kStage + " WHERE s = " + m + "::int)";
}

void PgSession::WriteStaged(const Row& values, const std::function<void(const Row&)>& write) {
  bool any = false;
  for (const Value& v : values) any = any || IsLong(v);
  if (!any) {
    write(values);
    return;
  }
  Idle();
  PGconn* conn = m_link->conn;
  // The pieces and the write are one change: alone, or a savepoint of the
  // caller's transaction, so a failure leaves neither behind.
  bool alone = PQtransactionStatus(conn) == PQTRANS_IDLE;
  Run(conn, alone ? "BEGIN" : "SAVEPOINT zel_long");
  try {
    ResultPtr have = Run(conn, std::string("SELECT to_regclass('") + kStage + "') IS NULL");
    if (PQgetvalue(have.get(), 0, 0)[0] == 't')
      Run(conn, std::string("CREATE TEMPORARY TABLE ") + kStage + " (s integer, n integer, v bytea)");
    Row slots;
    slots.reserve(values.size());
    const std::string insert = std::string("INSERT INTO ") + kStage + " VALUES ($1, $2, $3)";
    for (size_t i = 0; i < values.size(); ++i) {
      if (!IsLong(values[i])) {
        slots.push_back(values[i]);
        continue;
      }
      slots.push_back(Value::Int(static_cast<int64_t>(i)));
      const std::string& bytes = values[i].bytes;
      for (size_t at = 0, n = 0; at < bytes.size(); at += kPiece, ++n) {
        std::string slot = std::to_string(i), number = std::to_string(n);
        const char* params[] = {slot.c_str(), number.c_str(), bytes.data() + at};
        int lengths[] = {0, 0, static_cast<int>(std::min(kPiece, bytes.size() - at))};
        int formats[] = {0, 0, 1};
        ResultPtr r(PQexecParams(conn, insert.c_str(), 3, nullptr, params, lengths, formats, 0));
        Check(conn, r.get(), PGRES_COMMAND_OK);
      }
    }
    write(slots);
    Run(conn, std::string("DELETE FROM ") + kStage);
    Run(conn, alone ? "COMMIT" : "RELEASE zel_long");
  } catch (const _com_error&) {
    PGTransactionStatusType s = PQtransactionStatus(conn);
    if (s == PQTRANS_INTRANS || s == PQTRANS_INERROR)
      ResultPtr(PQexec(conn, alone ? "ROLLBACK" : "ROLLBACK TO zel_long; RELEASE zel_long"));
    throw;
  }
}

}  // namespace pg
}  // namespace zelado
