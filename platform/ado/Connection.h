// The connection object: one engine session opened from a connection text.
// Methods raise _com_error on failure (AdoErrors.h lists the codes).
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoFwd.h"

#include <memory>
#include <string>

struct ZEL_EXPORT _Connection : IDispatch {
  _Connection();
  ~_Connection() override;

  // Texts: "Provider=SQLite;Data Source=<file or :memory:>" (a missing file
  // is created); the Jet database-file text (the file must exist); the Jet
  // workbook text and "Provider=PostgreSQL;..." are recognised. "Mode=Read"
  // opens for reading only (writes fail with ZEL_ADO_E_READONLY). Empty
  // UserID and Password leave those of the text.
  HRESULT Open(_bstr_t ConnectionString, _bstr_t UserID, _bstr_t Password, long Options = adConnectUnspecified);
  HRESULT Close();
  long GetState();
  _bstr_t GetConnectionString();
  void PutConnectionString(_bstr_t text);

  // Options: a CommandTypeEnum (adCmdText, adCmdTable, adCmdStoredProc),
  // combined with adExecuteNoRecords to get no recordset back. Otherwise the
  // answer is a recordset, closed when the statement yields no rows.
  _RecordsetPtr Execute(_bstr_t CommandText, VARIANT* RecordsAffected, long Options);

  // Answers the nesting level; the engine nests one level only.
  long BeginTrans();
  HRESULT CommitTrans();
  HRESULT RollbackTrans();

  // adSchemaTables (TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, ...)
  // and adSchemaCharacterSets (CHARACTER_SET_CATALOG, ..._SCHEMA, ..._NAME,
  // FORM_OF_USE, NUMBER_OF_CHARACTERS, DEFAULT_COLLATE_*); Restrictions is
  // an array of variants matching the leading columns, empty for none.
  _RecordsetPtr OpenSchema(SchemaEnum Schema, const _variant_t& Restrictions = vtMissing,
                           const _variant_t& SchemaID = vtMissing);

  // For the recordsets and commands of this connection; raises
  // adErrObjectClosed when the connection is not open.
  ZEL_NO_EXPORT zelado::Session& ZelSession();

private:
  std::unique_ptr<zelado::Session> m_session;
  std::wstring m_text;
  long m_transactions = 0;
};
