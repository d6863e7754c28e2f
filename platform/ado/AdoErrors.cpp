#include "platform/ado/AdoErrors.h"

#include "platform/base/WinError.h"
#include "platform/mfc/String.h"
#include "platform/oleaut/ComError.h"

namespace zelado {

namespace {

struct Entry {
  ErrorKind kind;
  HRESULT code;
};

// The one mapping from what went wrong to the code callers see.
const Entry kTable[] = {
    {ErrorKind::Connection, E_FAIL},
    {ErrorKind::BadConnectionText, adErrProviderNotFound},
    {ErrorKind::NotAvailable, adErrFeatureNotAvailable},
    {ErrorKind::Syntax, ZEL_ADO_E_SYNTAX},
    {ErrorKind::UnknownTable, ZEL_ADO_E_NOTABLE},
    {ErrorKind::Constraint, ZEL_ADO_E_INTEGRITY},
    {ErrorKind::Locked, ZEL_ADO_E_LOCKED},
    {ErrorKind::ReadOnly, ZEL_ADO_E_READONLY},
    {ErrorKind::TypeMismatch, DISP_E_TYPEMISMATCH},
    {ErrorKind::ValueRefused, ZEL_ADO_E_CANTCONVERT},
    {ErrorKind::ItemNotFound, adErrItemNotFound},
    {ErrorKind::NoCurrentRecord, adErrNoCurrentRecord},
    {ErrorKind::MissingHandle, E_POINTER},
    {ErrorKind::InvalidConnection, adErrInvalidConnection},
    {ErrorKind::ObjectClosed, adErrObjectClosed},
    {ErrorKind::ObjectOpen, adErrObjectOpen},
    {ErrorKind::IllegalOperation, adErrIllegalOperation},
    {ErrorKind::InvalidArgument, adErrInvalidArgument},
    {ErrorKind::OutOfMemory, E_OUTOFMEMORY},
    {ErrorKind::OtherDatabase, HRESULT_FROM_WIN32(ERROR_OPEN_FAILED)},
    {ErrorKind::Overflow, DISP_E_OVERFLOW},
};

}  // namespace

HRESULT ErrorCode(ErrorKind kind) {
  for (const Entry& e : kTable)
    if (e.kind == kind) return e.code;
  return E_UNEXPECTED;
}

void Raise(ErrorKind kind, const std::wstring& message) { ZelThrowComError(ErrorCode(kind), message.c_str()); }

void Raise(ErrorKind kind, const std::string& utf8Message) {
  Raise(kind, ZelUtf8ToWide(utf8Message.data(), utf8Message.size()));
}

}  // namespace zelado
