// The recordset object: rows of a statement, a table or a schema query under
// one of four cursors. Forward-only streams its rows; keyset and dynamic
// hold the keys of a single table's rows and fetch the rows by key in
// blocks; static keeps a copy of every row (and keyset falls back to that
// when the rows are not one table's). Methods raise _com_error on failure.
#pragma once

#include "ZELExport.h"

#include "platform/ado/AdoFwd.h"

#include <functional>
#include <memory>

struct ZEL_EXPORT _Recordset : IDispatch {
  _Recordset();
  ~_Recordset() override;

  // Source: statement text (adCmdText) or table name (adCmdTable);
  // ActiveConnection: a connection object (VT_DISPATCH or VT_UNKNOWN) or a
  // connection text. adLockReadOnly refuses writes; other locks allow them
  // on rows of one table.
  HRESULT Open(const _variant_t& Source, const _variant_t& ActiveConnection, CursorTypeEnum CursorType,
               LockTypeEnum LockType, long Options);
  HRESULT Close();
  long GetState();
  HRESULT Requery(long Options = adOptionUnspecified);

  VARIANT_BOOL GetadoEOF();
  VARIANT_BOOL GetBOF();
  HRESULT MoveFirst();
  HRESULT MoveNext();
  HRESULT MovePrevious();
  HRESULT MoveLast();
  HRESULT Move(long NumRecords, const _variant_t& Start = vtMissing);
  long GetRecordCount();      // -1 for forward-only
  long GetAbsolutePosition(); // 1-based, or a PositionEnum value

  FieldsPtr GetFields();
  _variant_t GetCollect(const _variant_t& Index);
  // GetCollect into the caller's variant, whose old value goes only once
  // the new one is made: a read per field per row.
  ZEL_NO_EXPORT void ZelCollectInto(const VARIANT& Index, VARIANT& value);
  // The value GetCollect would convert, as the engine holds it, and its
  // column's declared type: for a reader that formats values itself. It
  // holds until the next move or write.
  ZEL_NO_EXPORT const zelado::Value& ZelCell(const VARIANT& Index, DataTypeEnum& type);
  void PutCollect(const _variant_t& Index, const _variant_t& value);

  HRESULT AddNew(const _variant_t& FieldList = vtMissing, const _variant_t& Values = vtMissing);
  HRESULT Update(const _variant_t& Fields = vtMissing, const _variant_t& Values = vtMissing);
  HRESULT CancelUpdate();
  HRESULT Delete(AffectEnum AffectRecords = adAffectCurrent);
  EditModeEnum GetEditMode();

  CursorTypeEnum GetCursorType();
  void PutCursorType(CursorTypeEnum type);
  LockTypeEnum GetLockType();
  void PutLockType(LockTypeEnum type);

  // One statement per recordset here: the next one is always none.
  _RecordsetPtr NextRecordset(VARIANT* RecordsAffected);

  // The answer of an Execute: the rows as a forward-only recordset, or none
  // with adExecuteNoRecords; RecordsAffected takes the engine's count.
  ZEL_NO_EXPORT static _RecordsetPtr ZelExecuted(_Connection* connection, std::unique_ptr<zelado::RowStream> rows,
                                   VARIANT* RecordsAffected, long Options);
  // The same for a command run again and again. Its closed answers are kept
  // in `spares`, and one that no one else holds and that is still as it was
  // made answers again a statement without rows, instead of a new recordset.
  // Two, as a caller holds the last answer while it runs the next.
  ZEL_NO_EXPORT static _RecordsetPtr ZelExecuted(_Connection* connection, std::unique_ptr<zelado::RowStream> rows,
                                   VARIANT* RecordsAffected, long Options, _RecordsetPtr (&spares)[2]);

  // Opens this recordset over rows a connection or a command produced; a
  // stream without columns leaves it closed. `reopen` runs the source again
  // (Requery, MoveFirst of a forward-only cursor).
  ZEL_NO_EXPORT void ZelAttach(_Connection* connection, std::unique_ptr<zelado::RowStream> rows, CursorTypeEnum cursor,
                 LockTypeEnum lock, std::function<std::unique_ptr<zelado::RowStream>()> reopen = nullptr);

private:
  // Closed, held by one handle only, and in every respect as new.
  ZEL_NO_EXPORT bool ZelAsNew();

  std::shared_ptr<zelado::RecordsetState> m_state;
  FieldsPtr m_fields;
  CursorTypeEnum m_cursor = adOpenForwardOnly;
  LockTypeEnum m_lock = adLockReadOnly;
};
