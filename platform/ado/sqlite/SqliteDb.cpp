#include "platform/ado/sqlite/SqliteDb.h"

#include <strings.h>

#include <cctype>

#include "platform/mfc/String.h"

#include <cstring>

namespace zelado {
namespace sqlite {

ErrorKind KindOf(int rc, const char* message) {
  std::string m = message ? message : "";
  switch (rc & 0xff) {
    case SQLITE_ERROR:
      if (m.find("no such table") != std::string::npos) return ErrorKind::UnknownTable;
      return ErrorKind::Syntax;
    case SQLITE_CONSTRAINT:
      return ErrorKind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ErrorKind::Locked;
    case SQLITE_READONLY:
      return ErrorKind::ReadOnly;
    case SQLITE_MISMATCH:
      return ErrorKind::TypeMismatch;
    case SQLITE_TOOBIG:
      return ErrorKind::ValueRefused;
    case SQLITE_RANGE:
      return ErrorKind::InvalidArgument;
    case SQLITE_NOMEM:
      return ErrorKind::OutOfMemory;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_PROTOCOL:
    case SQLITE_PERM:
      return ErrorKind::Connection;
    default:
      return ErrorKind::IllegalOperation;
  }
}

void RaiseFrom(sqlite3* db, int rc) {
  const char* msg = db ? sqlite3_errmsg(db) : nullptr;
  RaiseMessage(rc, msg ? msg : sqlite3_errstr(rc));
}

void RaiseMessage(int rc, std::string text) {
  ErrorKind kind = KindOf(rc, text.c_str());
  if (kind == ErrorKind::Locked)
    text += " (another connection held its lock for more than " + std::to_string(kLockWaitMs / 1000) + " seconds)";
  Raise(kind, text);
}

// A statement that opens another database fails on that file, not on the
// connection, which stays usable.
void RaiseFromStep(sqlite3_stmt* stmt, int rc, std::string message) {
  const char* sql = stmt ? sqlite3_sql(stmt) : nullptr;
  while (sql && std::isspace(static_cast<unsigned char>(*sql))) ++sql;
  if (sql && strncasecmp(sql, "ATTACH", 6) == 0 && KindOf(rc, message.c_str()) == ErrorKind::Connection)
    Raise(ErrorKind::OtherDatabase, message);
  RaiseMessage(rc, std::move(message));
}

std::string StatementText(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == 0) Raise(ErrorKind::Syntax, L"the statement holds a NUL character");
    unsigned long u = static_cast<unsigned long>(c);
    if ((u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF)
      Raise(ErrorKind::Syntax, L"the statement holds a code point that is not Unicode");
  }
  return Utf8(text);
}

std::string Utf8(const std::wstring& text) { return ZelWideToUtf8(text.data(), text.size()); }

std::wstring Wide(const char* utf8) { return utf8 ? ZelUtf8ToWide(utf8, std::strlen(utf8)) : std::wstring(); }

std::string QuoteName(const std::wstring& name) {
  std::string out = "\"";
  for (char c : Utf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

StmtPool::Idle::node_type StmtPool::Take(const std::string& text) {
  if (!last.empty() && last.key() == text) return std::move(last);
  auto it = idle.find(text);
  return it == idle.end() ? Idle::node_type() : idle.extract(it);
}

void StmtPool::Give(Idle::node_type entry) {
  if (!last.empty()) idle.insert(std::move(last));
  last = std::move(entry);
}

void Bind(sqlite3* db, sqlite3_stmt* stmt, int index, const Value& v, bool copy) {
  sqlite3_destructor_type keep = copy ? SQLITE_TRANSIENT : SQLITE_STATIC;
  int rc = SQLITE_OK;
  switch (v.kind) {
    case Value::Null: rc = sqlite3_bind_null(stmt, index); break;
    case Value::Integer: rc = sqlite3_bind_int64(stmt, index, v.i); break;
    case Value::Real: rc = sqlite3_bind_double(stmt, index, v.r); break;
    case Value::Text:
      rc = sqlite3_bind_text64(stmt, index, v.bytes.data(), v.bytes.size(), keep, SQLITE_UTF8);
      break;
    case Value::Blob:
      rc = sqlite3_bind_blob64(stmt, index, v.bytes.data(), v.bytes.size(), keep);
      break;
  }
  if (rc != SQLITE_OK) RaiseFrom(db, rc);
}

Value Read(sqlite3_stmt* stmt, int column) {
  Value v;
  ReadInto(stmt, column, v);
  return v;
}

void ReadInto(sqlite3_stmt* stmt, int column, Value& out) {
  // The column's value is read through its value object: one call to find
  // it instead of one per question asked of it. Connections here are opened
  // without the engine's locking, where such a value may be read directly.
  sqlite3_value* v = sqlite3_column_value(stmt, column);
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      out.kind = Value::Integer;
      out.i = sqlite3_value_int64(v);
      break;
    case SQLITE_FLOAT:
      out.kind = Value::Real;
      out.r = sqlite3_value_double(v);
      break;
    case SQLITE_TEXT: {
      const char* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
      out.kind = Value::Text;
      out.bytes.clear();  // then an append into the room kept: cheaper than assign
      out.bytes.append(p ? p : "", sqlite3_value_bytes(v));
      break;
    }
    case SQLITE_BLOB: {
      const char* p = static_cast<const char*>(sqlite3_value_blob(v));
      out.kind = Value::Blob;
      out.bytes.assign(p ? p : "", sqlite3_value_bytes(v));
      break;
    }
    default:
      out.kind = Value::Null;
      break;
  }
}

}  // namespace sqlite
}  // namespace zelado
