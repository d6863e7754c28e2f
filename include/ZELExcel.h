// ZELExcel: the worksheets of a 97-2003 workbook (.xls) as tables, through
// an embedded ZELAdo connected with the Excel 8.0 connection text.
//
// A sheet range opens as an updatable keyset recordset whose first row
// names the columns; rows are then addressed by 0-based data row and
// column. Rows past the end can be appended on the fly (Seek and MoveNext
// with the append flag, SetText by row). Each written row reaches the file
// at once, replacing it atomically.
//
// Failures of the database object are logged by it and handed to this
// object's log (SafeLogCopy). This class's own failures set the last error
// text only ("Recordset is not opened!!", "Row is over!!", "Excel is not
// opened"); it stays until the next CloseSheet, OpenSheetEx or successful
// DeleteSheetEx.
//
// The calling thread must have COM initialised (CoInitialize).
#pragma once

#include "ZELAdo.h"
#include "ZELExport.h"
#include "ZELLog.h"

class ZEL_EXPORT ZELExcel : public ZELLog {
public:
  explicit ZELExcel(ZELLog* pParent = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  virtual ~ZELExcel();
  ZELExcel& operator=(const ZELExcel& src);

  int Open(const wchar_t* pszPath);
  void Close();

  int OpenSheet(const wchar_t* pszSheet);
  int OpenSheetEx(const wchar_t* pszSheet, const wchar_t* pszFirst, const wchar_t* pszLast);
  void CloseSheet();
  int DeleteSheet(const wchar_t* pszSheet);
  int DeleteSheetEx(const wchar_t* pszSheet, const wchar_t* pszFirst, const wchar_t* pszLast);

  int MoveFirst();
  int MovePrevious();
  int MoveNext(int nAppend);
  int MoveLast();
  int Seek(int nRow, int nAppend);

  CString GetText(int nCol);
  CString GetText(int nRow, int nCol);
  int SetText(int nCol, const wchar_t* pszText);
  int SetText(int nRow, int nCol, const wchar_t* pszText);

  CString GetLastError();

protected:
  void InitVariable();

  ZELAdo m_ado;
  LONGLONG m_nRowCount;
  LONGLONG m_nCurRow;
  CString m_strSheetName;
  CString m_strLastError;

private:
  // Appends one empty row at the end of the range.
  int AppendRow();
  template <class Body>
  BOOL Guard(int nSite, Body&& body);
};
