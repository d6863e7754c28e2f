#include "platform/ado/postgres/PgLink.h"

#include "platform/base/Utf8.h"

#include <cstring>
#include <vector>

namespace zelado {
namespace pg {

namespace {

struct ClassKind {
  const char* prefix;  // a whole SQLSTATE or its two-character class
  ErrorKind kind;
};

// Whole codes first, then classes; anything else is a fault of the statement.
const ClassKind kStates[] = {
    {"42601", ErrorKind::Syntax},     {"42P01", ErrorKind::UnknownTable}, {"42501", ErrorKind::ReadOnly},
    {"25006", ErrorKind::ReadOnly},   {"55P03", ErrorKind::Locked},       {"40P01", ErrorKind::Locked},
    {"40001", ErrorKind::Locked},     {"57014", ErrorKind::Locked},       {"57P01", ErrorKind::Connection},
    {"57P02", ErrorKind::Connection}, {"57P03", ErrorKind::Connection},   {"3D000", ErrorKind::Connection},
    {"53300", ErrorKind::Connection}, {"08", ErrorKind::Connection},      {"28", ErrorKind::Connection},
    {"23", ErrorKind::Constraint},    {"22", ErrorKind::ValueRefused},    {"42", ErrorKind::Syntax},
    {"53", ErrorKind::OutOfMemory},
};

std::string Trimmed(const char* message) {
  std::string s = message ? message : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s.empty() ? std::string("the server gave no reason") : s;
}

// host, host:port, [v6]:port, or a socket folder (which takes no port here).
void SplitHost(const std::string& item, std::string& host, std::string& port) {
  port.clear();
  if (!item.empty() && item[0] == '[') {
    size_t close = item.find(']');
    host = item.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    if (close != std::string::npos && close + 1 < item.size() && item[close + 1] == ':') port = item.substr(close + 2);
    return;
  }
  size_t colon = item.rfind(':');
  if (colon == std::string::npos || item[0] == '/' || item.find(':') != colon) {
    host = item;
    return;
  }
  host = item.substr(0, colon);
  port = item.substr(colon + 1);
}

}  // namespace

ErrorKind KindOf(const char* sqlstate) {
  if (!sqlstate) return ErrorKind::Syntax;
  for (const ClassKind& c : kStates)
    if (std::strncmp(sqlstate, c.prefix, std::strlen(c.prefix)) == 0) return c.kind;
  return ErrorKind::Syntax;
}

std::string Utf8(const std::wstring& text) { return ZelWideToUtf8(text.data(), text.size()); }
std::wstring Wide(const std::string& utf8) { return ZelUtf8ToWide(utf8.data(), utf8.size()); }

std::string QuoteIdent(const std::string& name) {
  std::string q = "\"";
  for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

LinkPtr OpenLink(const std::wstring& source, const std::wstring& catalog, const std::wstring& user,
                 const std::wstring& password) {
  std::string hosts, ports;
  std::string list = Utf8(source);
  size_t count = 0;
  for (size_t b = 0; b <= list.size();) {
    size_t e = list.find(',', b);
    if (e == std::string::npos) e = list.size();
    std::string host, port;
    SplitHost(list.substr(b, e - b), host, port);
    hosts += (count ? "," : "") + host;
    ports += (count ? "," : "") + port;
    ++count;
    b = e + 1;
  }
  std::string db = Utf8(catalog), u = Utf8(user), pw = Utf8(password);
  // Values come back in forms the conversions read: ISO dates, UTC times,
  // and floating-point numbers that read back exactly.
  std::vector<const char*> keys = {"host", "port", "dbname", "client_encoding", "connect_timeout", "options",
                                   "application_name"};
  std::vector<const char*> values = {hosts.c_str(), ports.c_str(), db.c_str(), "UTF8", "10",
                                     "-c DateStyle=ISO,YMD -c TimeZone=UTC -c extra_float_digits=3", "ZELAdo"};
  if (!u.empty()) keys.push_back("user"), values.push_back(u.c_str());
  if (!pw.empty()) keys.push_back("password"), values.push_back(pw.c_str());
  if (count > 1) keys.push_back("target_session_attrs"), values.push_back("read-write");
  keys.push_back(nullptr);
  values.push_back(nullptr);
  LinkPtr link = std::make_shared<Link>(PQconnectdbParams(keys.data(), values.data(), 0));
  if (!link->conn) Raise(ErrorKind::OutOfMemory, L"no memory for a server connection");
  if (PQstatus(link->conn) != CONNECTION_OK)
    Raise(ErrorKind::Connection, "cannot connect to " + list + ": " + Trimmed(PQerrorMessage(link->conn)));
  return link;
}

void Describe(PGconn* conn, const PGresult* result, ErrorKind& kind, std::string& message) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  message = Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(conn));
  if (result && message == "the server gave no reason") message = Trimmed(PQerrorMessage(conn));
  kind = PQstatus(conn) != CONNECTION_OK ? ErrorKind::Connection : KindOf(state);
}

void RaiseResult(PGconn* conn, const PGresult* result) {
  ErrorKind kind;
  std::string message;
  Describe(conn, result, kind, message);
  Raise(kind, message);
}

void Check(PGconn* conn, const PGresult* result, ExecStatusType ok, ExecStatusType ok2) {
  ExecStatusType s = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (s != ok && s != ok2) RaiseResult(conn, result);
}

ResultPtr Run(PGconn* conn, const std::string& sql) {
  ResultPtr r(PQexec(conn, sql.c_str()));
  Check(conn, r.get(), PGRES_COMMAND_OK, PGRES_TUPLES_OK);
  return r;
}

}  // namespace pg
}  // namespace zelado
