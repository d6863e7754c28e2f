// The result codes the data-access objects raise, and the one table that
// maps what went wrong in an engine to them.
//
// Only a failure of the connection itself answers E_FAIL (0x80004005): the
// database class drops its connection on that code, so a statement that is
// merely wrong must never carry it.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

// Statement-level and object-level codes, with the names callers know.
#define ZEL_ADO_E_SYNTAX ((HRESULT)0x80040E14L)          // DB_E_ERRORSINCOMMAND
#define ZEL_ADO_E_NOTABLE ((HRESULT)0x80040E37L)         // DB_E_NOTABLE
#define ZEL_ADO_E_INTEGRITY ((HRESULT)0x80040E2FL)       // DB_E_INTEGRITYVIOLATION
#define ZEL_ADO_E_LOCKED ((HRESULT)0x80040E31L)          // DB_E_ABORTLIMITREACHED: gave up waiting
#define ZEL_ADO_E_READONLY ((HRESULT)0x80040E09L)        // DB_SEC_E_PERMISSIONDENIED
#define ZEL_ADO_E_CANTCONVERT ((HRESULT)0x80040E21L)     // DB_E_ERRORSOCCURRED: a value the column refuses
#define ZEL_ADO_E_TOOBIG ((HRESULT)0x80040E57L)          // DB_E_DATAOVERFLOW
#define adErrItemNotFound ((HRESULT)0x800A0CC1L)
#define adErrNoCurrentRecord ((HRESULT)0x800A0BCDL)
#define adErrFeatureNotAvailable ((HRESULT)0x800A0CB3L)
#define adErrObjectClosed ((HRESULT)0x800A0E78L)
#define adErrObjectOpen ((HRESULT)0x800A0E79L)
#define adErrIllegalOperation ((HRESULT)0x800A0C93L)
#define adErrInvalidArgument ((HRESULT)0x800A0BB9L)
#define adErrInvalidConnection ((HRESULT)0x800A0E7DL)
#define adErrProviderNotFound ((HRESULT)0x800A0E7AL)
#define adErrDataConversion ((HRESULT)0x800A0D5DL)

namespace zelado {

// What went wrong, as an engine tells it; each engine sorts its own errors
// into these and the table below gives the code.
enum class ErrorKind {
  Connection,        // cannot open, not a database, I/O error, connection lost
  BadConnectionText, // malformed text or unknown provider (no connection made)
  NotAvailable,      // the engine does not offer this (procedures, a provider not built)
  Syntax,            // the statement text is wrong
  UnknownTable,
  Constraint,        // unique, not-null, check, foreign key
  Locked,            // another connection held its lock past the bounded wait
  ReadOnly,          // the database or the recordset cannot be written
  TypeMismatch,      // a value of a kind the target cannot take
  ValueRefused,      // a value the engine refuses (wrong text, too large)
  ItemNotFound,      // a field or parameter name or position not in the collection
  NoCurrentRecord,   // at BOF or EOF, or the record was deleted
  MissingHandle,     // a needed object was not given
  InvalidConnection, // a recordset or command without a usable connection
  ObjectClosed,      // the operation needs an open object
  ObjectOpen,        // the operation needs a closed object
  IllegalOperation,  // not allowed in this context (e.g. moving back on a forward-only cursor)
  InvalidArgument,
  OutOfMemory,
  OtherDatabase,     // a database a statement names (ATTACH) cannot be opened; the connection stays
  Overflow           // a number too large for the column's type
};

HRESULT ErrorCode(ErrorKind kind);

// Raises _com_error with the code of the kind and the engine's own message
// as description.
[[noreturn]] void Raise(ErrorKind kind, const std::wstring& message);
[[noreturn]] void Raise(ErrorKind kind, const std::string& utf8Message);

}  // namespace zelado
