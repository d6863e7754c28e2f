#include "platform/ado/Connection.h"

#include "platform/ado/StatementMarkers.h"

#include "platform/ado/Provider.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Source.h"
#include "platform/ado/ValueConvert.h"

using zelado::ErrorKind;
using zelado::Raise;

_Connection::_Connection() = default;
_Connection::~_Connection() = default;

HRESULT _Connection::Open(_bstr_t ConnectionString, _bstr_t UserID, _bstr_t Password, long Options) {
  (void)Options;
  if (m_session) Raise(ErrorKind::ObjectOpen, L"operation is not allowed when the connection is open");
  std::wstring text = zelado::Text(ConnectionString);
  if (text.empty()) text = m_text;
  if (text.empty()) Raise(ErrorKind::BadConnectionText, L"the connection text is empty");
  m_session = zelado::OpenSession(text, zelado::Text(UserID), zelado::Text(Password));
  m_text = text;
  m_transactions = 0;
  return S_OK;
}

HRESULT _Connection::Close() {
  if (!m_session) Raise(ErrorKind::ObjectClosed, L"operation is not allowed when the connection is closed");
  // Ending the session rolls back an open transaction.
  m_session.reset();
  m_transactions = 0;
  return S_OK;
}

long _Connection::GetState() { return m_session ? adStateOpen : adStateClosed; }

_bstr_t _Connection::GetConnectionString() { return _bstr_t(m_text.c_str()); }

void _Connection::PutConnectionString(_bstr_t text) {
  if (m_session) Raise(ErrorKind::ObjectOpen, L"operation is not allowed when the connection is open");
  m_text = zelado::Text(text);
}

zelado::Session& _Connection::ZelSession() {
  if (!m_session) Raise(ErrorKind::ObjectClosed, L"operation is not allowed when the connection is closed");
  return *m_session;
}

_RecordsetPtr _Connection::Execute(_bstr_t CommandText, VARIANT* RecordsAffected, long Options) {
  zelado::Session& session = ZelSession();
  std::wstring text = zelado::Text(CommandText);
  long type = zelado::CommandTypeOf(Options);
  std::unique_ptr<zelado::RowStream> rows;
  if (type == adCmdStoredProc) {
    std::vector<zelado::EngineParam> none;
    rows = session.ExecuteProcedure(text, none);
  } else {
    std::wstring statement = zelado::StatementFor(text, type);
    zelado::CheckMarkers(zelado::CountMarkers(statement, session.Dialect()), 0);
    rows = session.Execute(statement, {}, false);
  }
  return _Recordset::ZelExecuted(this, std::move(rows), RecordsAffected, Options);
}

long _Connection::BeginTrans() {
  ZelSession().BeginTransaction();
  return ++m_transactions;
}

HRESULT _Connection::CommitTrans() {
  ZelSession().CommitTransaction();
  --m_transactions;
  return S_OK;
}

HRESULT _Connection::RollbackTrans() {
  ZelSession().RollbackTransaction();
  --m_transactions;
  return S_OK;
}

_RecordsetPtr _Connection::OpenSchema(SchemaEnum Schema, const _variant_t& Restrictions, const _variant_t& SchemaID) {
  zelado::Session& session = ZelSession();
  if (Schema == adSchemaProviderSpecific && zelado::Given(SchemaID))
    Raise(ErrorKind::NotAvailable, L"provider-specific schema rowsets are not available");
  std::vector<zelado::Value> restrictions;
  const VARIANT& r = Restrictions;
  if (r.vt == (VT_ARRAY | VT_VARIANT)) {
    for (const _variant_t& item : zelado::ArrayItems(r)) restrictions.push_back(zelado::FromVariant(item, adVarWChar));
  } else if (zelado::Given(r) && r.vt != VT_NULL) {
    Raise(ErrorKind::InvalidArgument, L"schema restrictions must be an array of variants");
  }
  _RecordsetPtr rs(new _Recordset);
  rs->ZelAttach(this, session.Schema(Schema, restrictions), adOpenStatic, adLockReadOnly);
  return rs;
}
