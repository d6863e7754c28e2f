// ZELAdo: statements, the command with its parameters, transactions and
// schema queries.
#include <cwchar>

#include "ZELAdo.h"
#include "ZELAdoArray.h"
#include "ZELAdoInternal.h"

namespace {
// A restriction is either a text or empty (no restriction).
_variant_t Restriction(const wchar_t* psz) { return psz ? _variant_t(psz) : _variant_t(); }

// A restriction list for a schema query; FALSE when it cannot be made.
BOOL MakeRestrictions(const _variant_t* pItems, long n, _variant_t& vOut) {
  ZELAdoArray list(n);
  if (!list.IsValid()) return FALSE;
  for (long i = 0; i < n; i++)
    if (!list.Put(i, pItems[i])) return FALSE;
  list.Detach(vOut);
  return TRUE;
}

// A statement that yields rows makes them the current recordset; one that
// yields none leaves the current recordset as it was.
void TakeResult(ZELAdo& ado, _RecordsetPtr pResult) {
  if (pResult == NULL) return;
  ado.CloseRecordset();
  // The reference moves over instead of being counted up here and down with
  // pResult, a locked bus cycle each, once per row of a loader.
  ado.GetRecordset().Attach(pResult.Detach());
}
}  // namespace

// ---- the command ---------------------------------------------------------------------

int ZELAdo::CreateCommand() {
  CloseCommand();
  return Guard(kAdoCreateCommand, kCloseCommand, [&] {
    HRESULT hr = m_pCommand.CreateInstance(CLSID_Command);
    if (FAILED(hr)) _com_issue_error(hr);
    m_pCommand->PutRefActiveConnection(m_pConnection.GetInterfacePtr());
  });
}

void ZELAdo::CloseCommand() {
  if (m_pCommand == NULL) return;
  ClearParam();
  m_pCommand = NULL;
}

int ZELAdo::IsCommandCreated() { return m_pCommand != NULL ? 1 : 0; }

int ZELAdo::AppendParam(const wchar_t* pszName, DataTypeEnum nType, ParameterDirectionEnum nDirection, long nSize,
                        const _variant_t& vValue) {
  return Guard(kAdoAppendParam, kNoAction, [&] {
    const wchar_t* pszText = pszName ? pszName : L"";
    ZelAdoNeed(m_pCommand)->ZelAppendParameter(pszText, wcslen(pszText), nType, nDirection, static_cast<LONG>(nSize),
                                               vValue);
  });
}

long ZELAdo::GetParamCount() { return ZelAdoNeed(ZelAdoNeed(m_pCommand)->GetParameters())->GetCount(); }

void ZELAdo::ClearParam() {
  ZelAdoNeed(ZelAdoNeed(m_pCommand)->GetParameters())->ZelClear();
}

int ZELAdo::GetParamValue(long nIndex, _variant_t& vValue) {
  return Guard(kAdoGetParamValue, kNoAction, [&] {
    _ParameterPtr pParam = ZelAdoNeed(ZelAdoNeed(m_pCommand)->GetParameters())->GetItem(ZelAdoPositionKey(nIndex));
    vValue = ZelAdoNeed(pParam)->GetValue();
  });
}

int ZELAdo::IsOupputParam(long nIndex) {
  int nOutput = 0;
  Guard(kAdoIsOupputParam, kNoAction, [&] {
    _ParameterPtr pParam = ZelAdoNeed(ZelAdoNeed(m_pCommand)->GetParameters())->GetItem(ZelAdoPositionKey(nIndex));
    ParameterDirectionEnum nDirection = ZelAdoNeed(pParam)->GetDirection();
    nOutput = (nDirection == adParamOutput || nDirection == adParamInputOutput) ? 1 : 0;
  });
  return nOutput;
}

// ---- statements ------------------------------------------------------------------------


int ZELAdo::ExecuteSQL(const wchar_t* pszSQL) {
  return Guard(kAdoExecuteSQL, kCheckDisconnect, [&] {
    TakeResult(*this, ZelAdoNeed(m_pConnection)->Execute(_bstr_t(pszSQL ? pszSQL : L""), NULL, adCmdText | adExecuteNoRecords));
  });
}

int ZELAdo::ExecuteSQL(const _bstr_t& bstrSQL) {
  return Guard(kAdoExecuteBstrSQL, kCheckDisconnect, [&] {
    TakeResult(*this, ZelAdoNeed(m_pConnection)->Execute(bstrSQL, NULL, adCmdText | adExecuteNoRecords));
  });
}

int ZELAdo::ExecuteStoreProc(const wchar_t* pszProcedure) {
  return Guard(kAdoExecuteStoreProc, kCheckDisconnect, [&] {
    _Command* pCommand = ZelAdoNeed(m_pCommand);
    pCommand->PutCommandText(_bstr_t(pszProcedure ? pszProcedure : L""));
    TakeResult(*this, pCommand->Execute(NULL, NULL, adCmdStoredProc));
  });
}

int ZELAdo::ExecuteBindingQuery(const wchar_t* pszSQL) {
  return Guard(kAdoExecuteBindingQuery, kCheckDisconnect, [&] {
    _Command* pCommand = ZelAdoNeed(m_pCommand);
    const wchar_t* pszText = pszSQL ? pszSQL : L"";
    pCommand->ZelPutCommandText(pszText, wcslen(pszText));
    TakeResult(*this, pCommand->Execute(NULL, NULL, adCmdText));
  });
}

// ---- transactions ----------------------------------------------------------------------------

int ZELAdo::BeginTrans() {
  return Guard(kAdoBeginTrans, kCheckDisconnect, [&] { ZelAdoNeed(m_pConnection)->BeginTrans(); });
}

int ZELAdo::CommitTrans() {
  return Guard(kAdoCommitTrans, kCheckDisconnect, [&] { ZelAdoNeed(m_pConnection)->CommitTrans(); });
}

int ZELAdo::Rollback() {
  return Guard(kAdoRollback, kCheckDisconnect, [&] { ZelAdoNeed(m_pConnection)->RollbackTrans(); });
}

// ---- schema --------------------------------------------------------------------------------------

int ZELAdo::OpenSchema(SchemaEnum nSchema, const _variant_t& vRestrictions, const _variant_t& vSchemaID) {
  CloseRecordset();
  Guard(kAdoOpenSchema, kCheckDisconnect,
        [&] {
          _RecordsetPtr pSchema = ZelAdoNeed(m_pConnection)->OpenSchema(nSchema, vRestrictions, vSchemaID);
          m_pRecordset = pSchema;
        });
  return IsRecordsetOpened();
}

int ZELAdo::OpenSchema_Table(const wchar_t* pszType, const wchar_t* pszName, const wchar_t* pszSchema,
                             const wchar_t* pszCatalog) {
  const _variant_t items[4] = {Restriction(pszCatalog), Restriction(pszSchema), Restriction(pszName),
                               Restriction(pszType ? pszType : L"TABLE")};
  _variant_t vRestrictions;
  if (!MakeRestrictions(items, 4, vRestrictions)) return 0;
  return OpenSchema(adSchemaTables, vRestrictions, vtMissing);
}

int ZELAdo::OpenSchema_CharecterSets(const wchar_t* pszName, const wchar_t* pszSchema, const wchar_t* pszCatalog) {
  const _variant_t items[3] = {Restriction(pszCatalog), Restriction(pszSchema), Restriction(pszName)};
  _variant_t vRestrictions;
  if (!MakeRestrictions(items, 3, vRestrictions)) return 0;
  return OpenSchema(adSchemaCharacterSets, vRestrictions, vtMissing);
}
