#include "platform/ado/Recordset.h"

#include "platform/ado/StatementMarkers.h"

#include "platform/ado/Connection.h"
#include "platform/ado/Fields.h"
#include "platform/ado/RecordsetState.h"
#include "platform/ado/Source.h"
#include "platform/ado/ValueConvert.h"

using zelado::ErrorKind;
using zelado::Raise;

namespace {

// A field list or value list: an array of variants, or one value.
std::vector<_variant_t> Items(const VARIANT& v) {
  if (v.vt == (VT_ARRAY | VT_VARIANT)) return zelado::ArrayItems(v);
  return std::vector<_variant_t>(1, _variant_t(v));
}

bool OnlyHeldOnce(const IUnknown* object) { return object->ZelRefCount() == 1; }

}  // namespace

_Recordset::_Recordset() : m_state(std::make_shared<zelado::RecordsetState>()) {}
_Recordset::~_Recordset() = default;

HRESULT _Recordset::Open(const _variant_t& Source, const _variant_t& ActiveConnection, CursorTypeEnum CursorType,
                         LockTypeEnum LockType, long Options) {
  if (m_state->Open()) Raise(ErrorKind::ObjectOpen, L"operation is not allowed when the recordset is open");
  _ConnectionPtr connection;
  const VARIANT& ac = ActiveConnection;
  if ((ac.vt == VT_DISPATCH || ac.vt == VT_UNKNOWN) && ac.punkVal) {
    connection = dynamic_cast<_Connection*>(ac.punkVal);
  } else if (ac.vt == VT_BSTR) {
    connection = new _Connection;
    connection->Open(_bstr_t(ac.bstrVal), _bstr_t(L""), _bstr_t(L""), adConnectUnspecified);
  }
  if (!connection) Raise(ErrorKind::InvalidConnection, L"the recordset has no connection to open on");
  if (Source.vt != VT_BSTR) Raise(ErrorKind::InvalidArgument, L"the recordset source must be a statement or a table name");
  if (CursorType != adOpenUnspecified) m_cursor = CursorType;
  if (LockType != adLockUnspecified) m_lock = LockType;
  long type = zelado::CommandTypeOf(Options);
  if (type == adCmdStoredProc) {
    std::vector<zelado::EngineParam> none;
    ZelAttach(connection, connection->ZelSession().ExecuteProcedure(zelado::Text(_bstr_t(Source.bstrVal)), none),
              m_cursor, m_lock);
    return S_OK;
  }
  std::wstring text = zelado::StatementFor(zelado::Text(_bstr_t(Source.bstrVal)), type);
  zelado::CheckMarkers(zelado::CountMarkers(text, connection->ZelSession().Dialect()), 0);
  bool keyed = m_cursor != adOpenForwardOnly || m_lock != adLockReadOnly;
  _Connection* raw = connection;
  auto run = [raw, text, keyed]() { return raw->ZelSession().Execute(text, {}, keyed); };
  ZelAttach(connection, run(), m_cursor, m_lock, run);
  return S_OK;
}

void _Recordset::ZelAttach(_Connection* connection, std::unique_ptr<zelado::RowStream> rows, CursorTypeEnum cursor,
                           LockTypeEnum lock, std::function<std::unique_ptr<zelado::RowStream>()> reopen) {
  zelado::RecordsetState& s = *m_state;
  s.Close();
  if (rows->Columns().empty()) return;  // a statement without rows: the recordset stays closed
  s.connection = connection;
  s.columns = rows->Columns();
  s.table = rows->Keyed() ? rows->Table() : std::wstring();
  s.reopen = reopen;
  if (cursor == adOpenUnspecified) cursor = adOpenForwardOnly;
  if (lock == adLockUnspecified) lock = adLockReadOnly;
  // Keys are what a keyset cursor holds; without them it keeps the rows.
  if ((cursor == adOpenKeyset || cursor == adOpenDynamic) && !rows->Keyed()) cursor = adOpenStatic;
  zelado::RowStream& r = *rows;
  if (cursor == adOpenForwardOnly) {
    s.cursor = zelado::ForwardCursor(std::move(rows), reopen);
  } else if (cursor == adOpenStatic) {
    s.cursor = zelado::StaticCursor(r);
  } else {
    _Connection* raw = connection;
    s.cursor = zelado::KeysetCursor(r, [raw]() -> zelado::Session& { return raw->ZelSession(); });
  }
  s.writable = lock != adLockReadOnly && !s.table.empty() && s.cursor->HasKey();
  m_cursor = cursor;
  m_lock = lock;
}

HRESULT _Recordset::Close() {
  m_state->RequireOpen();
  m_state->Close();
  return S_OK;
}

long _Recordset::GetState() { return m_state->Open() ? adStateOpen : adStateClosed; }

HRESULT _Recordset::Requery(long Options) {
  (void)Options;
  m_state->RequireOpen();
  if (!m_state->reopen) Raise(ErrorKind::NotAvailable, L"this recordset cannot be run again");
  _ConnectionPtr connection = m_state->connection;
  auto reopen = m_state->reopen;
  m_state->Cancel();
  ZelAttach(connection, reopen(), m_cursor, m_lock, reopen);
  return S_OK;
}

VARIANT_BOOL _Recordset::GetadoEOF() {
  m_state->RequireOpen();
  return m_state->cursor->Eof() ? VARIANT_TRUE : VARIANT_FALSE;
}

VARIANT_BOOL _Recordset::GetBOF() {
  m_state->RequireOpen();
  return m_state->cursor->Bof() ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT _Recordset::MoveFirst() {
  m_state->BeforeMove();
  m_state->cursor->MoveFirst();
  return S_OK;
}

HRESULT _Recordset::MoveLast() {
  m_state->BeforeMove();
  m_state->cursor->MoveLast();
  return S_OK;
}

HRESULT _Recordset::MoveNext() { return Move(1); }
HRESULT _Recordset::MovePrevious() { return Move(-1); }

HRESULT _Recordset::Move(long NumRecords, const _variant_t& Start) {
  if (zelado::Given(Start)) Raise(ErrorKind::NotAvailable, L"moving from a bookmark is not available");
  m_state->BeforeMove();
  m_state->cursor->Move(NumRecords);
  return S_OK;
}

long _Recordset::GetRecordCount() {
  m_state->RequireOpen();
  return m_state->cursor->Count();
}

long _Recordset::GetAbsolutePosition() {
  m_state->RequireOpen();
  return m_state->cursor->Position();
}

FieldsPtr _Recordset::GetFields() {
  if (!m_fields) m_fields = new Fields(m_state);
  return m_fields;
}

// What GetFields()->GetItem(Index)->GetValue() answers, with the same
// checks, without handing out a field object: a read per field per row.
_variant_t _Recordset::GetCollect(const _variant_t& Index) {
  _variant_t v;
  ZelCollectInto(Index, v);
  return v;
}

void _Recordset::ZelCollectInto(const VARIANT& Index, VARIANT& value) {
  DataTypeEnum type;
  const zelado::Value& cell = ZelCell(Index, type);
  zelado::ToVariant(cell, type, value);
}

const zelado::Value& _Recordset::ZelCell(const VARIANT& Index, DataTypeEnum& type) {
  long i = m_state->FieldIndex(Index);
  const zelado::Value& cell = m_state->Cell(i);
  type = m_state->columns[i].type;
  return cell;
}

void _Recordset::PutCollect(const _variant_t& Index, const _variant_t& value) {
  GetFields()->GetItem(Index)->PutValue(value);
}

HRESULT _Recordset::AddNew(const _variant_t& FieldList, const _variant_t& Values) {
  m_state->AddNew();
  if (zelado::Given(FieldList)) return Update(FieldList, Values);
  return S_OK;
}

HRESULT _Recordset::Update(const _variant_t& FieldsArg, const _variant_t& Values) {
  m_state->RequireOpen();
  if (zelado::Given(FieldsArg)) {
    std::vector<_variant_t> names = Items(FieldsArg), values = Items(Values);
    if (names.size() != values.size())
      Raise(ErrorKind::InvalidArgument, L"the field list and the value list differ in length");
    FieldsPtr fields = GetFields();
    for (size_t i = 0; i < names.size(); ++i) fields->GetItem(names[i])->PutValue(values[i]);
  }
  m_state->Save();
  return S_OK;
}

HRESULT _Recordset::CancelUpdate() {
  m_state->Cancel();
  return S_OK;
}

HRESULT _Recordset::Delete(AffectEnum AffectRecords) {
  if (AffectRecords != adAffectCurrent)
    Raise(ErrorKind::NotAvailable, L"only the current record can be deleted");
  m_state->Delete();
  return S_OK;
}

EditModeEnum _Recordset::GetEditMode() {
  m_state->RequireOpen();
  return m_state->edit;
}

CursorTypeEnum _Recordset::GetCursorType() { return m_cursor; }
void _Recordset::PutCursorType(CursorTypeEnum type) {
  if (m_state->Open()) Raise(ErrorKind::ObjectOpen, L"operation is not allowed when the recordset is open");
  m_cursor = type;
}
LockTypeEnum _Recordset::GetLockType() { return m_lock; }
void _Recordset::PutLockType(LockTypeEnum type) {
  if (m_state->Open()) Raise(ErrorKind::ObjectOpen, L"operation is not allowed when the recordset is open");
  m_lock = type;
}

_RecordsetPtr _Recordset::NextRecordset(VARIANT* RecordsAffected) {
  zelado::PutCount(RecordsAffected, -1);
  return nullptr;
}

_RecordsetPtr _Recordset::ZelExecuted(_Connection* connection, std::unique_ptr<zelado::RowStream> rows,
                                      VARIANT* RecordsAffected, long Options) {
  zelado::PutCount(RecordsAffected, connection->ZelSession().RowsAffected());
  if (zelado::WantsNoRecords(Options)) return nullptr;
  _RecordsetPtr rs(new _Recordset);
  rs->ZelAttach(connection, std::move(rows), adOpenForwardOnly, adLockReadOnly);
  return rs;
}

_RecordsetPtr _Recordset::ZelExecuted(_Connection* connection, std::unique_ptr<zelado::RowStream> rows,
                                      VARIANT* RecordsAffected, long Options, _RecordsetPtr (&spares)[2]) {
  if (!zelado::WantsNoRecords(Options) && rows->Columns().empty()) {
    for (_RecordsetPtr& spare : spares) {
      if (spare && spare->ZelAsNew()) {
        zelado::PutCount(RecordsAffected, connection->ZelSession().RowsAffected());
        return spare;
      }
    }
  }
  _RecordsetPtr rs = ZelExecuted(connection, std::move(rows), RecordsAffected, Options);
  if (rs && !rs->m_state->Open()) {
    // It takes an empty place, or that of a spare no one else holds (so one
    // that was changed for good), or else the first.
    size_t slot = 0;
    while (slot < 2 && spares[slot] && !OnlyHeldOnce(spares[slot])) ++slot;
    spares[slot < 2 ? slot : 0] = rs;
  }
  return rs;
}

bool _Recordset::ZelAsNew() {
  if (!OnlyHeldOnce(this) || m_fields || m_state.use_count() != 1) return false;
  const zelado::RecordsetState& s = *m_state;
  // What Open, a move or an edit leaves behind; Close puts back most of it.
  return m_cursor == adOpenForwardOnly && m_lock == adLockReadOnly && !s.cursor && !s.reopen && !s.connection &&
         s.columns.empty() && s.table.empty() && !s.writable && s.edit == adEditNone && s.editRow.empty() &&
         s.changed.empty() && s.appending.empty() && s.chunkField == -1 && s.chunkOffset == 0;
}
