// ZELXml: the document's lifecycle, the shared failure reports and the
// static helpers.
#include "ZELXml.h"

#include "XmlGuard.h"
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

void ZELXml::Report(const wchar_t* what, const wchar_t* function, int line) {
  DWORD code = GetLastError();
  SetLog(3, 3, static_cast<long>(code), ZELGF::FormatMsg(code), what, L".\\ZELXml", function, line, 1);
}

BOOL ZELXml::CheckOpened() {
  if (IsOpened()) return TRUE;
  SetLog_Warning(0, ZELResult::GetResultString(-103), L"XML is not opened", 0);
  return FALSE;
}

void ZELXml::WarnOrder() { SetLog_Warning(0, ZELResult::GetResultString(-102), L"Order is not valid", 0); }

long ZELXml::InitXMLDom() {
  m_pXMLDom = NULL;
  HRESULT hr = m_pXMLDom.CreateInstance(CLSID_DOMDocument30);
  if (FAILED(hr)) {
    m_pXMLDom = NULL;
    SetLog(3, 3, hr, ZELGF::FormatMsg(static_cast<DWORD>(hr)), L"InitXMLDom", L".\\ZELXml", L"ZELXml::InitXMLDom", 62, 1);
    return hr;
  }
  long result = hr;
  // A failure here leaves a usable document: the answer is the last error,
  // normally not negative, so New and Open go on with it.
  if (!Guard(L"InitXMLDom", 72, [&] {
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
  try {
    loaded = m_pXMLDom->load(_variant_t(path));
  } catch (const _com_error&) {
    loaded = VARIANT_FALSE;  // a path the DOM refuses is a file that did not load
  }
  if (!loaded) {
    Report(L"load", L"ZELXml::OnFileOpen", 97);
    return FALSE;
  }
  return TRUE;
}

int ZELXml::OnFileSave(const wchar_t* path) {
  try {
    ZelNeed(m_pXMLDom)->save(_variant_t(path));
  } catch (const _com_error&) {
    Report(L"save", L"ZELXml::OnFileSave", 107);
    return FALSE;
  }
  return TRUE;
}

void ZELXml::OnFileClose() { m_pXMLDom = NULL; }

int ZELXml::LoadText(_bstr_t& xml, const wchar_t* function, int line) {
  if (!New()) return FALSE;
  if (m_pXMLDom->loadXML(xml)) return TRUE;
  Report(L"loadXML", function, line);
  Close();
  return FALSE;
}

int ZELXml::Load(_bstr_t& xml) { return LoadText(xml, L"ZELXml::Load", 140); }

int ZELXml::Load2(const wchar_t* xml) {
  _bstr_t text(xml);
  return LoadText(text, L"ZELXml::Load2", 153);
}

int ZELXml::Copy(ZELXml& src) {
  if (!src.IsOpened()) {
    SetLog(3, 0, -103, ZELResult::GetResultString(-103), L"NOT OPENED", L".\\ZELXml", L"ZELXml::Copy", 164, 1);
    return FALSE;
  }
  _bstr_t xml = ZelNeed(src.m_pXMLDom)->Getxml();
  return Load(xml);
}

int ZELXml::CreateRoot(_bstr_t& name) {
  if (!CheckOpened()) return FALSE;
  return Guard(L"CreateRoot", 265, [&] {
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
    Report(L"QueryInterface", L"ZELXml::GetRootNode", 201);
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
