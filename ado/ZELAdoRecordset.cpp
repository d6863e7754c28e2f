// ZELAdo: the current recordset, its cursor, and record changes.
#include "ZELAdo.h"
#include "ZELAdoInternal.h"

namespace {
// Opens source on the connection into the recordset handle; the text is a
// statement or a table name as nOptions says.
void OpenOn(_RecordsetPtr& pRecordset, const _variant_t& vConnection, const wchar_t* pszSource,
            CursorTypeEnum nCursor, LockTypeEnum nLock, long nOptions) {
  HRESULT hr = pRecordset.CreateInstance(CLSID_Recordset);
  if (FAILED(hr)) _com_issue_error(hr);
  pRecordset->Open(_variant_t(pszSource ? pszSource : L""), vConnection, nCursor, nLock, nOptions);
}
}  // namespace

int ZELAdo::OpenRecordset(const wchar_t* pszSource, CursorTypeEnum nCursor, LockTypeEnum nLock) {
  CloseRecordset();
  if (!Guard(kAdoOpenRecordset, kCheckDisconnect,
             [&] { OpenOn(m_pRecordset, ConnectionVariant(), pszSource, nCursor, nLock, adCmdText); }))
    return 0;
  return IsRecordsetOpened();
}

int ZELAdo::OpenTable(const wchar_t* pszTable, CursorTypeEnum nCursor, LockTypeEnum nLock) {
  CloseRecordset();
  if (!Guard(kAdoOpenTable, kCheckDisconnect,
             [&] { OpenOn(m_pRecordset, ConnectionVariant(), pszTable, nCursor, nLock, adCmdTable); }))
    return 0;
  return IsRecordsetOpened();
}

void ZELAdo::CloseRecordset() {
  if (m_pRecordset == NULL) return;
  if (m_pRecordset->GetState() == adStateOpen) m_pRecordset->Close();
  m_pRecordset = NULL;
}

int ZELAdo::IsRecordsetOpened() {
  if (m_pRecordset == NULL) return 0;
  return m_pRecordset->GetState() == adStateOpen ? 1 : 0;
}

int ZELAdo::IsBOF() {
  if (m_pRecordset == NULL) return 0;
  return m_pRecordset->GetBOF() ? 1 : 0;
}

int ZELAdo::IsEOF() {
  if (m_pRecordset == NULL) return 0;
  return m_pRecordset->GetadoEOF() ? 1 : 0;
}

// At the start (end) MoveFirst (MoveLast) has nothing to do and succeeds,
// while MovePrevious (MoveNext) cannot go further and fails; neither is
// an error worth a report.
int ZELAdo::MoveFirst() {
  if (IsBOF()) return 1;
  return Guard(kAdoMoveFirst, kCheckDisconnect, [&] { ZelAdoNeed(m_pRecordset)->MoveFirst(); });
}

int ZELAdo::MovePrevious() {
  if (IsBOF()) return 0;
  return Guard(kAdoMovePrevious, kCheckDisconnect, [&] { ZelAdoNeed(m_pRecordset)->MovePrevious(); });
}

int ZELAdo::MoveNext() {
  if (IsEOF()) return 0;
  return Guard(kAdoMoveNext, kCheckDisconnect, [&] { ZelAdoNeed(m_pRecordset)->MoveNext(); });
}

int ZELAdo::MoveLast() {
  if (IsEOF()) return 1;
  return Guard(kAdoMoveLast, kCheckDisconnect, [&] { ZelAdoNeed(m_pRecordset)->MoveLast(); });
}

LONGLONG ZELAdo::GetRecordCount() {
  LONGLONG nCount = 0;
  Guard(kAdoGetRecordCount, kNoAction, [&] { nCount = ZelAdoNeed(m_pRecordset)->GetRecordCount(); });
  return nCount;
}

int ZELAdo::AddNew(const _variant_t& vFieldList, const _variant_t& vValues) {
  return Guard(kAdoAddNew, kCheckDisconnect,
               [&] { ZelAdoNeed(m_pRecordset)->AddNew(vFieldList, vValues); });
}

int ZELAdo::Update(const _variant_t& vFieldList, const _variant_t& vValues) {
  return Guard(kAdoUpdate, kCheckDisconnect,
               [&] { ZelAdoNeed(m_pRecordset)->Update(vFieldList, vValues); });
}

int ZELAdo::Delete(AffectEnum nAffect) {
  return Guard(kAdoDelete, kCheckDisconnect, [&] { ZelAdoNeed(m_pRecordset)->Delete(nAffect); });
}
