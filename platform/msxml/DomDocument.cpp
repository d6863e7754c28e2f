#include "platform/msxml/DomDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/base/AtomicFile.h"
#include "platform/msxml/DomText.h"
#include "platform/msxml/WriteRules.h"
#include "platform/msxml/XmlIo.h"

// {F5078F32-C551-11D3-89B9-0000F81FE221}
const CLSID CLSID_DOMDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};

HRESULT ZelCreateObject(const CLSID& clsid, IXMLDOMDocument2** ppOut) {
  if (!ppOut) return E_POINTER;
  *ppOut = nullptr;
  if (clsid != CLSID_DOMDocument30) return REGDB_E_CLASSNOTREG;
  try {
    IXMLDOMDocument2* doc = new zel_msxml::DomDocument();
    doc->AddRef();
    *ppOut = doc;
    return S_OK;
  } catch (const _com_error& e) {
    return e.Error();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

namespace zel_msxml {

namespace {

std::shared_ptr<DocState> NewTree(xmlDocPtr doc, bool hasNamespaces = false, const std::string& defaultUri = "") {
  if (!doc) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"document");
  return std::make_shared<DocState>(doc, hasNamespaces, defaultUri);
}

xmlDocPtr BlankDoc() { return xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")); }

// The path a string or variant names.
std::string PathOf(const _variant_t& path) {
  if (path.vt != VT_BSTR) Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"the path is not a string");
  std::string s = Utf8(_bstr_t(path));
  if (s.empty()) Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"the path is empty");
  return s;
}

}  // namespace

DomDocument::DomDocument() : DomNode(NewTree(BlankDoc()), nullptr) {}

void DomDocument::Empty() { Rebind(NewTree(BlankDoc()), nullptr); }

VARIANT_BOOL DomDocument::Take(ParsedXml parsed) {
  if (parsed.noMemory) {
    Empty();
    Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"the document does not fit in memory");
  }
  if (!parsed.doc) {
    Empty();
    m_strReason = parsed.reason.c_str();
    SetLastError(ERROR_INVALID_DATA);
    return VARIANT_FALSE;
  }
  Rebind(NewTree(parsed.doc, parsed.hasNamespaces, parsed.defaultUri), nullptr);
  m_strReason = L"";
  return VARIANT_TRUE;
}

VARIANT_BOOL DomDocument::load(const _variant_t& path) {
  std::string file = PathOf(path);
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st;
  int err = fd < 0 ? errno : fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  if (err) {
    if (fd >= 0) close(fd);
    Empty();
    m_strReason = (file + ": " + std::strerror(err)).c_str();
    ZelSetLastErrorFromErrno(err);
    return VARIANT_FALSE;
  }
  ParsedXml parsed = ParseXmlFile(fd);
  close(fd);
  return Take(std::move(parsed));
}

VARIANT_BOOL DomDocument::loadXML(const _bstr_t& xml) {
  const wchar_t* text = xml;
  return Take(ParseXmlText(text ? text : L"", xml.length()));
}

HRESULT DomDocument::save(const _variant_t& path) {
  std::string file = PathOf(path);
  std::string bytes = WriteDocument(State()->Doc(), true);
  ZelAtomicFile out;
  if (!out.Open(file) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
    int err = errno ? errno : EIO;
    Raise(E_FAIL, ZelWin32FromErrno(err), _bstr_t((file + ": " + std::strerror(err)).c_str()));
  }
  return S_OK;
}

IXMLDOMElementPtr DomDocument::GetdocumentElement() {
  return IXMLDOMElementPtr(Wrap(State(), xmlDocGetRootElement(State()->Doc())));
}

void DomDocument::PutRefdocumentElement(IXMLDOMElement* element) {
  DomNode* e = Same(element);
  xmlNodePtr root = xmlDocGetRootElement(State()->Doc());
  if (root == e->Node()) return;
  if (e->Node()->type != XML_ELEMENT_NODE) Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"not an element");
  // The new element takes the old one's place among the top-level nodes.
  xmlNodePtr after = root ? root->next : nullptr;
  if (root) State()->Unlink(root);
  State()->Link(Node(), e->Node());
  if (after) {
    xmlNodePtr n = e->Node();
    xmlUnlinkNode(n);
    xmlAddPrevSibling(after, n);
  }
}

IXMLDOMNodePtr DomDocument::Adopt(xmlNodePtr made) {
  if (!made) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"node");
  State()->Adopt(made);
  return Wrap(State(), made);
}

IXMLDOMElementPtr DomDocument::createElement(const _bstr_t& tagName) {
  return IXMLDOMElementPtr(createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), tagName, _bstr_t(L"")));
}

IXMLDOMProcessingInstructionPtr DomDocument::createProcessingInstruction(const _bstr_t& target, const _bstr_t& data) {
  std::string name = Utf8(target);
  CheckName(name);
  std::string d = Utf8(data);
  CheckNodeData(XML_PI_NODE, X(name), d);
  return IXMLDOMProcessingInstructionPtr(Adopt(xmlNewDocPI(State()->Doc(), X(name), X(d))));
}

IXMLDOMNodePtr DomDocument::createTextNode(const _bstr_t& data) {
  std::string d = Utf8(data);
  return Adopt(xmlNewDocTextLen(State()->Doc(), X(d), static_cast<int>(d.size())));
}

IXMLDOMNodePtr DomDocument::createComment(const _bstr_t& data) {
  std::string d = Utf8(data);
  CheckNodeData(XML_COMMENT_NODE, nullptr, d);
  return Adopt(xmlNewDocComment(State()->Doc(), X(d)));
}

IXMLDOMNodePtr DomDocument::createNode(const _variant_t& type, const _bstr_t& name, const _bstr_t& namespaceURI) {
  long kind = type.vt == VT_I2 ? type.iVal : type.vt == VT_I4 ? type.lVal : type.vt == VT_INT ? type.intVal : -1;
  xmlDocPtr doc = State()->Doc();
  std::string qname = Utf8(name), uri = Utf8(namespaceURI);
  switch (kind) {
    case NODE_TEXT: return createTextNode(name);
    case NODE_COMMENT: return createComment(name);
    case NODE_CDATA_SECTION: {
      std::string d = Utf8(name);
      return Adopt(xmlNewCDataBlock(doc, X(d), static_cast<int>(d.size())));
    }
    case NODE_PROCESSING_INSTRUCTION: return createProcessingInstruction(name, L"");
    case NODE_ELEMENT:
    case NODE_ATTRIBUTE: break;
    default: Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"this kind of node cannot be created");
  }
  CheckName(qname);
  size_t colon = qname.find(':');
  std::string prefix = colon == std::string::npos ? std::string() : qname.substr(0, colon);
  std::string local = colon == std::string::npos ? qname : qname.substr(colon + 1);
  if (!prefix.empty() && uri.empty()) Raise(E_FAIL, ERROR_INVALID_NAME, L"a prefixed name needs a namespace");
  xmlNodePtr made;
  if (kind == NODE_ELEMENT) {
    made = xmlNewDocNode(doc, nullptr, X(local), nullptr);
    if (made && !uri.empty()) {
      // Declared on the element itself until it is appended, where a
      // declaration its parent already makes is dropped again.
      made->ns = xmlNewNs(made, X(uri), prefix.empty() ? nullptr : X(prefix));
      State()->NoteNamespaces();
    }
  } else {
    made = reinterpret_cast<xmlNodePtr>(xmlNewDocProp(doc, X(uri.empty() ? qname : local), nullptr));
    if (made && !uri.empty()) {
      if (prefix.empty()) Raise(E_FAIL, ERROR_INVALID_NAME, L"an attribute in a namespace needs a prefix");
      made->ns = State()->OwnNs(X(uri), X(prefix));
      State()->NoteNamespaces();
    }
  }
  return Adopt(made);
}

}  // namespace zel_msxml
