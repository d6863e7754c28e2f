#include "ZELFile.h"

ZELFile::ZELFile(ZELLog* pParent, int nLevel, const wchar_t* pszName) : ZELLog(pParent, nLevel, pszName) {}

ZELFile::ZELFile(const ZELFile& src) : ZELLog(src), m_bOpened(src.m_bOpened), m_strPathName(src.m_strPathName) {}

// The hooks are virtual, so a derived class has already run its own
// clean-up in its destructor; nothing is called from here.
ZELFile::~ZELFile() = default;

ZELFile& ZELFile::operator=(const ZELFile& src) {
  if (this != &src) {
    ZELLog::operator=(src);
    m_bOpened = src.m_bOpened;
    m_strPathName = src.m_strPathName;
  }
  return *this;
}

void ZELFile::Close() {
  if (m_bOpened) OnFileClose();
  m_bOpened = FALSE;
  m_strPathName.Empty();
}

int ZELFile::New() {
  Close();
  m_bOpened = OnFileNew() ? TRUE : FALSE;
  return m_bOpened;
}

int ZELFile::Open(const wchar_t* path) {
  Close();
  if (!path || !*path) return FALSE;
  m_bOpened = OnFileOpen(path) ? TRUE : FALSE;
  if (m_bOpened) m_strPathName = path;
  return m_bOpened;
}

int ZELFile::Save() {
  if (!m_bOpened || m_strPathName.IsEmpty()) return FALSE;
  return OnFileSave(m_strPathName) ? TRUE : FALSE;
}

int ZELFile::SaveAs(const wchar_t* path) {
  if (!m_bOpened || !path || !*path) return FALSE;
  if (!OnFileSave(path)) return FALSE;
  m_strPathName = path;
  return TRUE;
}
