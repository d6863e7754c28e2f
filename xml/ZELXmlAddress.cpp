// ZELXml: finding nodes by position or by path and occurrence index, and
// reading what they hold.
#include "XmlGuard.h"
#include "ZELResult.h"

// Asks for the one item rather than the length, so that a selection read
// item by item is evaluated no further than the item asked for.
IXMLDOMNodePtr ZELXml::Pick(IXMLDOMNodeListPtr& list, long order) {
  ZelNeed(list);
  if (order < 0) return NULL;  // no warning: a negative order never names a match
  IXMLDOMNodePtr found = list->Getitem(order);
  if (found == NULL) WarnOrder();
  return found;
}

IXMLDOMNodePtr ZELXml::GetNode(long order) {
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr found;
  Guard(kXmlGetNodeByOrder, [&] {
    IXMLDOMNodePtr root = GetRootNode();
    if (root == NULL) return;
    IXMLDOMNodeListPtr list = root->GetchildNodes();
    found = Pick(list, order);
  });
  return found;
}

IXMLDOMNodePtr ZELXml::GetNode(_bstr_t& path, long order) {
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr found;
  Guard(kXmlGetNodeByPath, [&] {
    IXMLDOMNodeListPtr list = ZelNeed(m_pXMLDom)->selectNodes(path);
    found = Pick(list, order);
  });
  return found;
}

IXMLDOMNodePtr ZELXml::GetNode2(const wchar_t* path, long order) {
  _bstr_t p(path);
  return GetNode(p, order);
}

IXMLDOMNodePtr ZELXml::GetChildNode(IXMLDOMNodePtr& node, long order) {
  if (node == NULL) return GetNode(order);
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr found;
  Guard(kXmlGetChildByOrder, [&] {
    IXMLDOMNodeListPtr list = node->GetchildNodes();
    found = Pick(list, order);
  });
  return found;
}

IXMLDOMNodePtr ZELXml::GetChildNode(IXMLDOMNodePtr& node, _bstr_t& path, long order) {
  if (node == NULL) return GetNode(path, order);
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr found;
  Guard(kXmlGetChildByPath, [&] {
    IXMLDOMNodeListPtr list = node->selectNodes(path);
    found = Pick(list, order);
  });
  return found;
}

IXMLDOMNodePtr ZELXml::GetChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, long order) {
  _bstr_t p(path);
  return GetChildNode(node, p, order);
}

int ZELXml::GetNodeCount(_bstr_t& path) {
  if (!CheckOpened()) return -1;
  int count = -1;
  Guard(kXmlGetNodeCount, [&] { count = static_cast<int>(ZelNeed(m_pXMLDom)->selectNodes(path)->Getlength()); });
  return count;
}

int ZELXml::GetNodeCount2(const wchar_t* path) {
  _bstr_t p(path);
  return GetNodeCount(p);
}

int ZELXml::GetNodeCount(IXMLDOMNodePtr& node, _bstr_t& path) {
  if (node == NULL) return GetNodeCount(path);
  if (!CheckOpened()) return 0;
  int count = -1;
  Guard(kXmlGetChildNodeCount, [&] { count = static_cast<int>(node->selectNodes(path)->Getlength()); });
  return count;
}

int ZELXml::GetNodeCount2(IXMLDOMNodePtr& node, const wchar_t* path) {
  _bstr_t p(path);
  return GetNodeCount(node, p);
}

int ZELXml::GetChildCount(IXMLDOMNodePtr& node) {
  if (!CheckOpened()) return 0;
  int count = -1;
  Guard(kXmlGetChildCount, [&] { count = static_cast<int>(ZelNeed(node)->GetchildNodes()->Getlength()); });
  return count;
}

IXMLDOMNodePtr ZELXml::GetParentNode(IXMLDOMNodePtr& node) {
  if (!CheckOpened()) return NULL;
  return node == NULL ? IXMLDOMNodePtr() : node->GetparentNode();
}

int ZELXml::IsHasChildren(IXMLDOMNodePtr& node) {
  if (!CheckOpened()) return 0;
  return ZelNeed(node)->hasChildNodes();
}

// Readings of a node handle.

void ZELXml::GetNodeXML(IXMLDOMNodePtr& node, _bstr_t& out) { out = node == NULL ? _bstr_t(L"") : node->Getxml(); }

void ZELXml::GetNodeName(IXMLDOMNodePtr& node, _bstr_t& out) {
  out = node == NULL ? _bstr_t(L"") : node->GetnodeName();
}

void ZELXml::GetNodeText(IXMLDOMNodePtr& node, _bstr_t& out) { out = node == NULL ? _bstr_t(L"") : node->Gettext(); }

void ZELXml::GetNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& name, _bstr_t& out) {
  if (node == NULL) {
    out = L"";
    return;
  }
  Guard(kXmlGetNodeAttribute, [&] {
    IXMLDOMNamedNodeMapPtr attributes = node->Getattributes();
    IXMLDOMNodePtr attr = ZelNeed(attributes)->getNamedItem(name);
    out = attr == NULL ? _bstr_t(L"") : attr->Gettext();
  });
}

void ZELXml::GetNodeXML2(IXMLDOMNodePtr& node, CString& out) {
  _bstr_t value;
  GetNodeXML(node, value);
  BSTRtoCString(value, out);
}

void ZELXml::GetNodeName2(IXMLDOMNodePtr& node, CString& out) {
  _bstr_t value;
  GetNodeName(node, value);
  BSTRtoCString(value, out);
}

void ZELXml::GetNodeText2(IXMLDOMNodePtr& node, CString& out) {
  _bstr_t value;
  GetNodeText(node, value);
  BSTRtoCString(value, out);
}

void ZELXml::GetNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* name, CString& out) {
  _bstr_t n(name), value;
  GetNodeAttribute(node, n, value);
  BSTRtoCString(value, out);
}

// Readings of the node a path finds from the document.

// The path forms report what the DOM refuses; the node forms pass it on.
void ZELXml::GetNodeXML(_bstr_t& path, _bstr_t& out, long order) {
  out = L"";
  Guard(kXmlGetNodeXML, [&] {
    IXMLDOMNodePtr node = GetNode(path, order);
    GetNodeXML(node, out);
  });
}

void ZELXml::GetNodeText(_bstr_t& path, _bstr_t& out, long order) {
  out = L"";
  Guard(kXmlGetNodeText, [&] {
    IXMLDOMNodePtr node = GetNode(path, order);
    GetNodeText(node, out);
  });
}

void ZELXml::GetNodeAttribute(_bstr_t& path, _bstr_t& name, _bstr_t& out, long order) {
  IXMLDOMNodePtr node = GetNode(path, order);
  GetNodeAttribute(node, name, out);
}

void ZELXml::GetNodeXML2(const wchar_t* path, CString& out, long order) {
  _bstr_t p(path), value;
  GetNodeXML(p, value, order);
  BSTRtoCString(value, out);
}

void ZELXml::GetNodeText2(const wchar_t* path, CString& out, long order) {
  _bstr_t p(path), value;
  GetNodeText(p, value, order);
  BSTRtoCString(value, out);
}

void ZELXml::GetNodeAttribute2(const wchar_t* path, const wchar_t* name, CString& out, long order) {
  IXMLDOMNodePtr node = GetNode2(path, order);
  GetNodeAttribute2(node, name, out);
}

// Readings of the node a path finds from a given node.

void ZELXml::GetChildNodeXML(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& out, long order) {
  out = L"";
  Guard(kXmlGetChildNodeXML, [&] {
    IXMLDOMNodePtr child = GetChildNode(node, path, order);
    GetNodeXML(child, out);
  });
}

void ZELXml::GetChildNodeText(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& out, long order) {
  out = L"";
  Guard(kXmlGetChildNodeText, [&] {
    IXMLDOMNodePtr child = GetChildNode(node, path, order);
    GetNodeText(child, out);
  });
}

void ZELXml::GetChildNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& name, _bstr_t& out, long order) {
  IXMLDOMNodePtr child = GetChildNode(node, path, order);
  GetNodeAttribute(child, name, out);
}

void ZELXml::GetChildNodeXML2(IXMLDOMNodePtr& node, const wchar_t* path, CString& out, long order) {
  _bstr_t p(path), value;
  GetChildNodeXML(node, p, value, order);
  BSTRtoCString(value, out);
}

void ZELXml::GetChildNodeText2(IXMLDOMNodePtr& node, const wchar_t* path, CString& out, long order) {
  _bstr_t p(path), value;
  GetChildNodeText(node, p, value, order);
  BSTRtoCString(value, out);
}

void ZELXml::GetChildNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* name, CString& out,
                                    long order) {
  IXMLDOMNodePtr child = GetChildNode2(node, path, order);
  GetNodeAttribute2(child, name, out);
}
