// ZELAdo: one database connection with its current recordset and command.
//
// Every guarded operation runs its database calls in one region; a failure
// there is written once to the object's log (type 3, category 6, the code,
// its message text, the engine's description, source ".\ZELAdo", the
// function and its line), followed by the operation's after-action, and the
// operation answers its failure value. The code 0x80004005 means the
// connection itself failed: CheckDisconnect then drops the connection handle,
// and Reconnect opens it again with the stored connection text.
//
// Handles are reference counted: after operator= two objects share one
// connection, recordset and command, and Disconnect on either closes the
// shared connection for both.
//
// A few operations are not guarded and let the platform's error through as
// _com_error: GetRowValue without a recordset, GetParamCount and ClearParam
// without a command (E_POINTER), and a failing state query or close in
// Disconnect, IsConnected, CloseRecordset, IsRecordsetOpened, IsBOF, IsEOF.
//
// The calling thread must have COM initialised (CoInitialize); this class
// never does it.
#pragma once

#include "ZELExport.h"

#include "ZELLog.h"
#include "platform/ado/Ado.h"
#include "platform/mfc/String.h"
#include "platform/mfc/Time.h"
#include "platform/oleaut/OleAut.h"

enum ZelAdoSite : int;
struct ZELFailure;

class ZEL_EXPORT ZELAdo : public ZELLog {
public:
  explicit ZELAdo(ZELLog* pParent = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  ZELAdo(const ZELAdo& src);
  virtual ~ZELAdo();
  ZELAdo& operator=(const ZELAdo& src);

  // ---- connection ----------------------------------------------------------
  int Clone(ZELAdo& src);
  int Connect(const wchar_t* pszConnection);
  int Connect(const wchar_t* pszConnection, const wchar_t* pszID, const wchar_t* pszPassword);
  int ConnectMDB(const wchar_t* pszFile, const wchar_t* pszPassword);
  int Reconnect();
  void Disconnect();
  int IsConnected();

  _ConnectionPtr& GetConnection() { return m_pConnection; }
  _RecordsetPtr& GetRecordset() { return m_pRecordset; }
  _CommandPtr& GetCommand() { return m_pCommand; }
  CString& GetConnectionString() { return m_strConnectionString; }
  CString& GetConnectionID() { return m_strConnectionID; }
  CString& GetConnectionPassword() { return m_strConnectionPassword; }

  // ---- recordset and navigation ----------------------------------------------
  int OpenRecordset(const wchar_t* pszSource, CursorTypeEnum nCursor = adOpenKeyset,
                    LockTypeEnum nLock = adLockOptimistic);
  int OpenTable(const wchar_t* pszTable, CursorTypeEnum nCursor = adOpenKeyset, LockTypeEnum nLock = adLockOptimistic);
  void CloseRecordset();
  int IsRecordsetOpened();
  int IsBOF();
  int IsEOF();
  int MoveFirst();
  int MovePrevious();
  int MoveNext();
  int MoveLast();
  LONGLONG GetRecordCount();
  int AddNew(const _variant_t& vFieldList = vtMissing, const _variant_t& vValues = vtMissing);
  int Update(const _variant_t& vFieldList = vtMissing, const _variant_t& vValues = vtMissing);
  int Delete(AffectEnum nAffect = adAffectCurrent);

  // ---- field values ------------------------------------------------------------
  // A key is a VT_I4 position (0-based) or a VT_BSTR field name.
  long GetFieldCount();
  long GetFieldList(_variant_t& vList);
  long GetFieldList(CStringArray& arrNames);
  int GetFieldValue(_variant_t vKey, _variant_t& vValue);

  int GetFieldValueByIndex(long nIndex, _variant_t& vValue);
  int GetFieldValueByIndex(long nIndex, CString& strValue);
  int GetFieldValueByIndex(long nIndex, long& nValue);
  int GetFieldValueByIndex(long nIndex, double& dValue);
  int GetFieldValueByIndex(long nIndex, DECIMAL& decValue);
  int GetFieldValueByIndex(long nIndex, COleDateTime& dtValue);
  int GetFieldValueByName(const wchar_t* pszName, _variant_t& vValue);
  int GetFieldValueByName(const wchar_t* pszName, CString& strValue);
  int GetFieldValueByName(const wchar_t* pszName, long& nValue);
  int GetFieldValueByName(const wchar_t* pszName, double& dValue);
  int GetFieldValueByName(const wchar_t* pszName, DECIMAL& decValue);
  int GetFieldValueByName(const wchar_t* pszName, COleDateTime& dtValue);

  int SetFieldValue(_variant_t vKey, _variant_t vValue);
  int SetFieldValueByIndex(long nIndex, _variant_t vValue);
  int SetFieldValueByIndex(long nIndex, CString strValue);
  int SetFieldValueByIndex(long nIndex, long nValue);
  int SetFieldValueByIndex(long nIndex, double dValue);
  int SetFieldValueByIndex(long nIndex, DECIMAL decValue);
  int SetFieldValueByIndex(long nIndex, COleDateTime dtValue);
  int SetFieldValueByName(const wchar_t* pszName, _variant_t vValue);
  int SetFieldValueByName(const wchar_t* pszName, CString strValue);
  int SetFieldValueByName(const wchar_t* pszName, long nValue);
  int SetFieldValueByName(const wchar_t* pszName, double dValue);
  int SetFieldValueByName(const wchar_t* pszName, DECIMAL decValue);
  int SetFieldValueByName(const wchar_t* pszName, COleDateTime dtValue);
  // A literal text or int would match two of the forms above equally well.
  int SetFieldValueByIndex(long nIndex, const wchar_t* pszValue) { return SetFieldValueByIndex(nIndex, CString(pszValue)); }
  int SetFieldValueByIndex(long nIndex, int nValue) { return SetFieldValueByIndex(nIndex, static_cast<long>(nValue)); }
  int SetFieldValueByName(const wchar_t* pszName, const wchar_t* pszValue) { return SetFieldValueByName(pszName, CString(pszValue)); }
  int SetFieldValueByName(const wchar_t* pszName, int nValue) { return SetFieldValueByName(pszName, static_cast<long>(nValue)); }

  int GetRowValue(_variant_t& vRow);
  int SetRowValue(_variant_t& vValues);

  // ---- conversions (never logged) ---------------------------------------------------
  // 0 without a change when pSrc is none (or vDest itself) and vDest already
  // has the kind; otherwise the platform coercion's result.
  static HRESULT VariantChangeType(_variant_t& vDest, VARTYPE vt, const _variant_t* pSrc = NULL);
  static int VariantToString(const _variant_t& vValue, CString& strValue);
  static int VariantToLong(const _variant_t& vValue, long& nValue);
  static int VariantToDouble(const _variant_t& vValue, double& dValue);
  static int VariantToDecimal(const _variant_t& vValue, DECIMAL& decValue);
  static int VariantToBool(const _variant_t& vValue, BOOL& bValue);

  // ---- statements, commands, transactions, schema ------------------------------
  int CreateCommand();
  void CloseCommand();
  int IsCommandCreated();
  int AppendParam(const wchar_t* pszName, DataTypeEnum nType, ParameterDirectionEnum nDirection, long nSize,
                  const _variant_t& vValue = vtMissing);
  void ClearParam();
  long GetParamCount();
  int GetParamValue(long nIndex, _variant_t& vValue);
  int IsOupputParam(long nIndex);

  int ExecuteSQL(const wchar_t* pszSQL);
  int ExecuteSQL(const _bstr_t& bstrSQL);
  int ExecuteStoreProc(const wchar_t* pszProcedure);
  int ExecuteBindingQuery(const wchar_t* pszSQL);

  int BeginTrans();
  int CommitTrans();
  int Rollback();

  int OpenSchema(SchemaEnum nSchema, const _variant_t& vRestrictions = vtMissing,
                 const _variant_t& vSchemaID = vtMissing);
  int OpenSchema_Table(const wchar_t* pszType = NULL, const wchar_t* pszName = NULL, const wchar_t* pszSchema = NULL,
                       const wchar_t* pszCatalog = NULL);
  int OpenSchema_CharecterSets(const wchar_t* pszName = NULL, const wchar_t* pszSchema = NULL,
                               const wchar_t* pszCatalog = NULL);

  // ---- binary objects, in chunks of 1024 bytes -----------------------------------
  // BlobToFile writes a long text field as its UTF-8 bytes.
  int BlobToFile(_variant_t vKey, const wchar_t* pszPath);
  int BlobToFile(long nIndex, const wchar_t* pszPath);
  int BlobToFile(const wchar_t* pszName, const wchar_t* pszPath);
  int FileToBlob(_variant_t vKey, const wchar_t* pszPath);
  int FileToBlob(long nIndex, const wchar_t* pszPath);
  int FileToBlob(const wchar_t* pszName, const wchar_t* pszPath);
  // A literal 0 would match the position and the name forms equally well.
  int BlobToFile(int nIndex, const wchar_t* pszPath) { return BlobToFile(static_cast<long>(nIndex), pszPath); }
  int FileToBlob(int nIndex, const wchar_t* pszPath) { return FileToBlob(static_cast<long>(nIndex), pszPath); }

  // The text the error report gives a code: the system's message without
  // its line break, else "IDispatch error #n" or "Unknown error 0x..".
  static CString GetComErrorMessage(HRESULT hr);

protected:
  void CheckDisconnect(long nCode);

private:
  enum AfterAction { kNoAction, kDisconnect, kCheckDisconnect, kCloseCommand };

  // Runs body; a platform failure (an allocation failure reported as
  // 0x8007000E) is reported from site and followed by the after-action.
  // TRUE when the body ran through; a bug propagates.
  template <class Body>
  BOOL Guard(ZelAdoSite site, AfterAction nAfter, Body&& body);
  void ReportFailure(ZelAdoSite site, const ZELFailure& f, AfterAction nAfter);
  void ReportComError(HRESULT hr, const wchar_t* pszDescription, ZelAdoSite site, AfterAction nAfter);
  // The object variant that hands the connection to a recordset or command.
  _variant_t ConnectionVariant() const;
  FieldPtr GetField(const _variant_t& vKey);
  // The value of a field of the current record into vValue, which a failed
  // read leaves as it was; reported as GetFieldValue reports.
  int ReadField(const VARIANT& vKey, _variant_t& vValue);
  FieldPtr BlobField(const _variant_t& vKey);

  _ConnectionPtr m_pConnection;
  _RecordsetPtr m_pRecordset;
  _CommandPtr m_pCommand;
  CString m_strConnectionString;
  CString m_strConnectionID;
  CString m_strConnectionPassword;
};
