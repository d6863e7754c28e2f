#include "ZELExcel.h"

#include "ZELExcelGuard.h"
#include "ZELGF.h"

ZELExcel::ZELExcel(ZELLog* pParent, int nLevel, const wchar_t* pszName)
    : ZELLog(pParent, nLevel, pszName), m_ado(NULL, 1, NULL), m_nRowCount(0), m_nCurRow(-1) {}

ZELExcel::~ZELExcel() {
  try {
    Close();
  } catch (...) {
  }
}

ZELExcel& ZELExcel::operator=(const ZELExcel& src) {
  if (this == &src) return *this;
  ZELLog::operator=(src);
  m_ado = src.m_ado;
  m_nRowCount = src.m_nRowCount;
  m_nCurRow = src.m_nCurRow;
  m_strSheetName = src.m_strSheetName;
  m_strLastError = src.m_strLastError;
  return *this;
}

void ZELExcel::InitVariable() {
  m_nRowCount = 0;
  m_nCurRow = -1;
  m_strLastError.Empty();
  m_strSheetName.Empty();
}

int ZELExcel::Open(const wchar_t* pszPath) {
  Close();
  if (!pszPath || !ZELGF::IsFile(pszPath)) return 0;
  int nDone = 0;
  Guard(kExcelOpen, [&] {
    CString strConnection;
    strConnection.Format(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Extended Properties=Excel 8.0;", pszPath);
    nDone = m_ado.Connect(strConnection);
  });
  if (nDone) return 1;
  m_ado.SafeLogCopy(this);
  Close();
  return 0;
}

void ZELExcel::Close() {
  CloseSheet();
  m_ado.Disconnect();
}

void ZELExcel::CloseSheet() {
  m_ado.CloseRecordset();
  InitVariable();
}

int ZELExcel::OpenSheet(const wchar_t* pszSheet) { return OpenSheetEx(pszSheet, L"A1", L"IV65536"); }

int ZELExcel::OpenSheetEx(const wchar_t* pszSheet, const wchar_t* pszFirst, const wchar_t* pszLast) {
  CloseSheet();
  int nDone = 0;
  Guard(kExcelOpenSheetEx, [&] {
    CString strSource;
    strSource.Format(L"SELECT * FROM [%s$%s:%s]", pszSheet ? pszSheet : L"", pszFirst ? pszFirst : L"",
                     pszLast ? pszLast : L"");
    nDone = m_ado.OpenRecordset(strSource, adOpenKeyset, adLockOptimistic);
  });
  if (!nDone) {
    m_ado.SafeLogCopy(this);
    return 0;
  }
  m_nRowCount = m_ado.GetRecordCount();
  m_strSheetName = pszSheet;
  return 1;
}

int ZELExcel::DeleteSheet(const wchar_t* pszSheet) { return DeleteSheetEx(pszSheet, L"A1", L"IV65536"); }

int ZELExcel::DeleteSheetEx(const wchar_t* pszSheet, const wchar_t* pszFirst, const wchar_t* pszLast) {
  // The whole sheet is always named: a range of it cannot be dropped.
  (void)pszFirst;
  (void)pszLast;
  int nDone = 0;
  Guard(kExcelDeleteSheetEx, [&] {
    CString strSQL;
    strSQL.Format(L"DROP TABLE [%s$A1:IV65536]", pszSheet ? pszSheet : L"");
    nDone = m_ado.ExecuteSQL(strSQL);
  });
  if (nDone) {
    InitVariable();
    return 1;
  }
  m_ado.SafeLogCopy(this);
  return 0;
}
