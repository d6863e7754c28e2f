// One server connection shared by a session and the row streams it hands
// out, and the one place where the server's failures become ErrorKinds.
#pragma once

#include "platform/ado/Provider.h"
#include "platform/ado/postgres/PgKeys.h"

#include <libpq-fe.h>

#include <memory>
#include <string>

namespace zelado {
namespace pg {

class Rows;

struct Link {
  explicit Link(PGconn* c) : conn(c) {}
  ~Link() { PQfinish(conn); }
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;

  PGconn* conn;
  // The stream still reading its rows off the wire: the connection carries
  // one statement at a time, so it is read to its end before the next.
  Rows* active = nullptr;
  int level = 0;  // transaction nesting
  KeyStore keys;
};
using LinkPtr = std::shared_ptr<Link>;
using KeyPtr = std::shared_ptr<const TableKey>;

struct ResultFree {
  void operator()(PGresult* r) const { PQclear(r); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultFree>;

// Opens a connection from "Data Source=host[:port][,host[:port]...];
// Initial Catalog=db" with the user and password given, or from "User
// ID="/"Password=" in the text. Several hosts: the one taking writes.
LinkPtr OpenLink(const std::wstring& source, const std::wstring& catalog, const std::wstring& user,
                 const std::wstring& password);

// What a failed result (or, with none, the connection) says went wrong.
void Describe(PGconn* conn, const PGresult* result, ErrorKind& kind, std::string& message);
// Raises the error a failed result (or, with none, the connection) carries.
// A connection that is gone raises Connection whatever the statement was.
[[noreturn]] void RaiseResult(PGconn* conn, const PGresult* result);
// Raises unless the result has one of the two statuses.
void Check(PGconn* conn, const PGresult* result, ExecStatusType ok, ExecStatusType ok2 = PGRES_COMMAND_OK);
// Runs a statement without values to its end (no stream may be reading).
ResultPtr Run(PGconn* conn, const std::string& sql);

// The ErrorKind of a five-character SQLSTATE.
ErrorKind KindOf(const char* sqlstate);

// "name" quoted for the server.
std::string QuoteIdent(const std::string& name);
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

}  // namespace pg
}  // namespace zelado
