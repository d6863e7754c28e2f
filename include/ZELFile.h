// ZELFile: the file-document base class (new, open, save, close) whose
// hooks a document class overrides.
#pragma once

#include "ZELExport.h"

#include "ZELLog.h"

class ZEL_EXPORT ZELFile : public ZELLog {
public:
  explicit ZELFile(ZELLog* pParent = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  ZELFile(const ZELFile& src);
  virtual ~ZELFile();
  ZELFile& operator=(const ZELFile& src);

  virtual void Close();
  virtual int New();
  virtual int Open(const wchar_t* path);
  virtual int Save();                      // FALSE when no path is known
  virtual int SaveAs(const wchar_t* path);

  BOOL IsOpened() const { return m_bOpened; }
  const CString& GetPathName() const { return m_strPathName; }

protected:
  virtual void OnFileClose() {}
  virtual int OnFileNew() { return TRUE; }
  virtual int OnFileOpen(const wchar_t* path) { (void)path; return TRUE; }
  virtual int OnFileSave(const wchar_t* path) { (void)path; return TRUE; }

private:
  BOOL m_bOpened = FALSE;
  CString m_strPathName;
};
