// ZELXml: the document's lifecycle, the shared failure reports and the
// static helpers.
#include "ZELXml.h"

#include "XmlGuard.h"
#include "ZELLog.h"
#include "ZELGF.h"
#include "ZELResult.h"

ZELXml::ZELXml(ZELLog* pLog, int nLevel, const wchar_t* pszName) : ZELFile(pLog, nLevel, pszName) {}

ZELXml::ZELXml(const ZELXml& src) : ZELFile(src), m_pXMLDom(src.m_pXMLDom) {}

ZELXml::~ZELXml() {
  ZELFile::Close();
  m_pXMLDom = NULL;
}

// Both objects then hold one document; closing either drops only its own
// reference.
ZELXml& ZELXml::operator=(const ZELXml& src) {
  ZELFile::operator=(src);
  if (m_pXMLDom != src.m_pXMLDom) m_pXMLDom = src.m_pXMLDom;
  return *this;
}

void ZELXml::Report(ZelXmlSite site, long code, const wchar_t* what) {
  const ZELReportSite& at = ZelXmlSiteOf(site);
  // The operation's name is the function's without "ZELXml::".
  if (!what) what = at.pszFunction + 8;
  SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_CAUGHT, code, ZELGF::FormatMsg(static_cast<DWORD>(code)), what, L".\\ZELXml",
         at.pszFunction, at.nLine, ZEL_LOG_FLAG_REPORT);
}

// Records carry the thread's last error, which the DOM sets with each
// failure; memory that ran out is said as such, whatever came before.
void ZELXml::ReportFailure(ZelXmlSite site, const ZELFailure& f, const wchar_t* what) {
  bool memory = f.nCode == static_cast<long>(E_OUTOFMEMORY);
  Report(site, memory ? static_cast<long>(E_OUTOFMEMORY) : static_cast<long>(GetLastError()), what);
}

BOOL ZELXml::CheckOpened() {
  if (IsOpened()) return TRUE;
  SetLog_Warning(ZEL_CATEGORY_GENERAL, ZELResult::GetResultString(ZEL_RESULT_NOT_OPEN), L"XML is not opened", 0);
  return FALSE;
}

void ZELXml::WarnOrder() {
  SetLog_Warning(ZEL_CATEGORY_GENERAL, ZELResult::GetResultString(ZEL_RESULT_OUT_OF_RANGE), L"Order is not valid", 0);
}

long ZELXml::InitXMLDom() {
  m_pXMLDom = NULL;
  HRESULT hr = m_pXMLDom.CreateInstance(CLSID_DOMDocument30);
  if (FAILED(hr)) {
    m_pXMLDom = NULL;
    Report(kXmlInitDom, static_cast<long>(hr));
    return hr;
  }
  long result = hr;
  // A failure here leaves a usable document: the answer is the last error,
  // normally not negative, so New and Open go on with it.
  if (!Guard(kXmlInitDomProps, [&] {
        m_pXMLDom->Putasync(VARIANT_FALSE);
        m_pXMLDom->PutvalidateOnParse(VARIANT_FALSE);
        m_pXMLDom->PutresolveExternals(VARIANT_FALSE);
      }))
    result = static_cast<long>(GetLastError());
  return result;
}

int ZELXml::OnFileNew() { return InitXMLDom() >= 0 ? TRUE : FALSE; }

int ZELXml::OnFileOpen(const wchar_t* path) {
  if (InitXMLDom() < 0) return FALSE;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (!Guard(kXmlOpen, [&] { loaded = m_pXMLDom->load(_variant_t(path)); }, L"load")) return FALSE;
  if (!loaded) {
    Report(kXmlOpen, static_cast<long>(GetLastError()), L"load");
    return FALSE;
  }
  return TRUE;
}

// The document is written beside the file and renamed over it, so a
// failed save leaves the file as it was.
int ZELXml::OnFileSave(const wchar_t* path) {
  return Guard(kXmlSave, [&] { ZelNeed(m_pXMLDom)->save(_variant_t(path)); }, L"save");
}

void ZELXml::OnFileClose() { m_pXMLDom = NULL; }

int ZELXml::LoadText(_bstr_t& xml, ZelXmlSite site) {
  if (!New()) return FALSE;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (Guard(site, [&] { loaded = m_pXMLDom->loadXML(xml); }, L"loadXML")) {
    if (loaded) return TRUE;
    Report(site, static_cast<long>(GetLastError()), L"loadXML");
  }
  Close();
  return FALSE;
}

int ZELXml::Load(_bstr_t& xml) { return LoadText(xml, kXmlLoad); }

int ZELXml::Load2(const wchar_t* xml) {
  _bstr_t text(xml);
  return LoadText(text, kXmlLoad2);
}

int ZELXml::Copy(ZELXml& src) {
  if (!src.IsOpened()) {
    const ZELReportSite& at = ZelXmlSiteOf(kXmlCopy);
    SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_GENERAL, ZEL_RESULT_NOT_OPEN, ZELResult::GetResultString(ZEL_RESULT_NOT_OPEN),
           L"NOT OPENED", L".\\ZELXml", at.pszFunction, at.nLine, ZEL_LOG_FLAG_REPORT);
    return FALSE;
  }
  _bstr_t xml = ZelNeed(src.m_pXMLDom)->Getxml();
  return Load(xml);
}

int ZELXml::CreateRoot(_bstr_t& name) {
  if (!CheckOpened()) return FALSE;
  return Guard(kXmlCreateRoot, [&] {
    IXMLDOMElementPtr root = ZelNeed(m_pXMLDom)->createElement(name);
    if (!root) return;
    IXMLDOMProcessingInstructionPtr decl =
        m_pXMLDom->createProcessingInstruction(L"xml", L"version='1.0' encoding='UTF-8'");
    m_pXMLDom->appendChild(decl);
    try {
      m_pXMLDom->PutRefdocumentElement(root);
    } catch (const _com_error&) {
      // not tested: the declaration is there either way
    }
  });
}

IXMLDOMNodePtr ZELXml::GetRootNode() {
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr node(m_pXMLDom);
  if (!node) {
    SetLastError(ERROR_INVALID_HANDLE);
    Report(kXmlGetRootNode, static_cast<long>(GetLastError()), L"QueryInterface");
  }
  return node;
}

CString ZELXml::GetXMLString(const wchar_t* text) { return CString(L"<![CDATA[") + CString(text) + L"]]>"; }

void ZELXml::BSTRtoCString(_bstr_t& in, CString& out) {
  out.Empty();
  if (in.length() > 0) out = static_cast<const wchar_t*>(in);
}

void ZELXml::SafeRelease(IXMLDOMNodePtr& node) {
  if (node != NULL) node = NULL;
}
