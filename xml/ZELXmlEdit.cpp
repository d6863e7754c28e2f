// ZELXml: adding elements along paths, setting texts and attributes
// (creating what a path does not find), and removing nodes.
#include "XmlGuard.h"
#include "ZELGF.h"

IXMLDOMNodePtr ZELXml::AddSingleNode(IXMLDOMNodePtr& parent, _bstr_t& name) {
  IXMLDOMNodePtr added;
  Guard(kXmlAddSingleNode, [&] {
    // New elements join their parent's namespace, so a default namespace
    // carries over without an empty declaration.
    _bstr_t uri = ZelNeed(parent)->GetnamespaceURI();
    IXMLDOMNodePtr made = ZelNeed(m_pXMLDom)->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), name, uri);
    added = parent->appendChild(made);
  });
  return added;
}

// Walks the names of path from start (NULL: the document), finding each
// level's element or creating it, and gives the last one text. Raises when
// a level can be neither found nor made, or the path has no names and no
// start.
IXMLDOMNodePtr ZELXml::AddPath(IXMLDOMNodePtr start, _bstr_t& path, _bstr_t& text, long order) {
  CStringArray names;
  int count = ZELGF::SplitText(path, L"/", 0, names);
  IXMLDOMNodePtr current = start;
  for (int i = 0; i < count; ++i) {
    _bstr_t name(names[i].GetString());
    IXMLDOMNodePtr next = GetChildNode(current, name, i == count - 1 ? order : 0);
    if (next == NULL) next = AddSingleNode(current, name);
    if (next == NULL) throw _com_error(E_FAIL);
    current = next;
  }
  ZelNeed(current)->Puttext(text);
  return current;
}

IXMLDOMNodePtr ZELXml::AddNode(_bstr_t& path, _bstr_t& text, long order) {
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr added;
  Guard(kXmlAddNode, [&] { added = AddPath(NULL, path, text, order); });
  return added;
}

IXMLDOMNodePtr ZELXml::AddNode2(const wchar_t* path, const wchar_t* text, long order) {
  _bstr_t p(path), t(text);
  return AddNode(p, t, order);
}

IXMLDOMNodePtr ZELXml::AddChildNode(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& text, long order) {
  if (node == NULL) return AddNode(path, text, order);
  if (!CheckOpened()) return NULL;
  IXMLDOMNodePtr added;
  Guard(kXmlAddChildNode, [&] { added = AddPath(node, path, text, order); });
  return added;
}

IXMLDOMNodePtr ZELXml::AddChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* text, long order) {
  _bstr_t p(path), t(text);
  return AddChildNode(node, p, t, order);
}

void ZELXml::SetNodeText(IXMLDOMNodePtr& node, _bstr_t& text) {
  if (node != NULL) node->Puttext(text);
}

void ZELXml::SetNodeText2(IXMLDOMNodePtr& node, const wchar_t* text) {
  _bstr_t t(text);
  SetNodeText(node, t);
}

void ZELXml::SetNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& name, _bstr_t& value) {
  Guard(kXmlSetNodeAttribute, [&] {
    IXMLDOMNamedNodeMapPtr attributes = ZelNeed(node)->Getattributes();
    IXMLDOMNodePtr attr = ZelNeed(attributes)->getNamedItem(name);
    if (attr == NULL) {
      IXMLDOMNodePtr made = ZelNeed(m_pXMLDom)->createNode(_variant_t(static_cast<long>(NODE_ATTRIBUTE)), name, L"");
      attr = attributes->setNamedItem(made);
    }
    ZelNeed(attr)->Puttext(value);
  });
}

void ZELXml::SetNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* name, const wchar_t* value) {
  _bstr_t n(name), v(value);
  SetNodeAttribute(node, n, v);
}

// The path forms report what the DOM refuses (the document node has no
// text of its own); the node forms pass it on.
void ZELXml::SetNodeText(_bstr_t& path, _bstr_t& text, long order) {
  Guard(kXmlSetNodeText, [&] {
    IXMLDOMNodePtr node = GetNode(path, order);
    if (node != NULL)
      SetNodeText(node, text);
    else
      AddNode(path, text, order);
  });
}

void ZELXml::SetNodeText2(const wchar_t* path, const wchar_t* text, long order) {
  _bstr_t p(path), t(text);
  SetNodeText(p, t, order);
}

void ZELXml::SetNodeAttribute(_bstr_t& path, _bstr_t& name, _bstr_t& value, long order) {
  IXMLDOMNodePtr node = GetNode(path, order);
  if (node == NULL) {
    _bstr_t empty(L"");
    node = AddNode(path, empty, order);
  }
  SetNodeAttribute(node, name, value);
}

void ZELXml::SetNodeAttribute2(const wchar_t* path, const wchar_t* name, const wchar_t* value, long order) {
  _bstr_t p(path), n(name), v(value);
  SetNodeAttribute(p, n, v, order);
}

void ZELXml::SetChildNodeText(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& text, long order) {
  Guard(kXmlSetChildNodeText, [&] {
    IXMLDOMNodePtr child = GetChildNode(node, path, order);
    if (child != NULL)
      SetNodeText(child, text);
    else
      AddChildNode(node, path, text, order);
  });
}

void ZELXml::SetChildNodeText2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* text, long order) {
  _bstr_t p(path), t(text);
  SetChildNodeText(node, p, t, order);
}

void ZELXml::SetChildNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& name, _bstr_t& value, long order) {
  IXMLDOMNodePtr child = GetChildNode(node, path, order);
  if (child == NULL) {
    _bstr_t empty(L"");
    child = AddChildNode(node, path, empty, order);
  }
  SetNodeAttribute(child, name, value);
}

void ZELXml::SetChildNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* name,
                                    const wchar_t* value, long order) {
  _bstr_t p(path), n(name), v(value);
  SetChildNodeAttribute(node, p, n, v, order);
}

// The document node has no parent and stays.
void ZELXml::RemoveNode(IXMLDOMNodePtr& node) {
  if (node == NULL) return;
  IXMLDOMNodePtr parent = node->GetparentNode();
  if (parent != NULL) parent->removeChild(node);
}

void ZELXml::RemoveNode(_bstr_t& path, long order) {
  Guard(kXmlRemoveNode, [&] {
    IXMLDOMNodePtr node = GetNode(path, order);
    RemoveNode(node);
  });
}

void ZELXml::RemoveNode2(const wchar_t* path, long order) {
  _bstr_t p(path);
  RemoveNode(p, order);
}

void ZELXml::RemoveChildNode(IXMLDOMNodePtr& node, _bstr_t& path, long order) {
  Guard(kXmlRemoveChildNode, [&] {
    IXMLDOMNodePtr child = GetChildNode(node, path, order);
    RemoveNode(child);
  });
}

void ZELXml::RemoveChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, long order) {
  _bstr_t p(path);
  RemoveChildNode(node, p, order);
}

// Every match is taken from the first match's parent, the last in document
// order first; a match elsewhere raises, leaving the later ones removed.
void ZELXml::RemoveAllIn(IXMLDOMNode* context, _bstr_t& path) {
  IXMLDOMNodeListPtr matches = context->selectNodes(path);
  long n = matches->Getlength();
  if (n <= 0) return;
  IXMLDOMNodePtr parent = ZelNeed(matches->Getitem(0))->GetparentNode();
  for (long i = n - 1; i >= 0; --i) ZelNeed(parent)->removeChild(matches->Getitem(i));
}

void ZELXml::RemoveNodeAll(_bstr_t& path) {
  if (!CheckOpened()) return;
  Guard(kXmlRemoveNodeAll, [&] { RemoveAllIn(ZelNeed(m_pXMLDom), path); });
}

void ZELXml::RemoveNodeAll2(const wchar_t* path) {
  _bstr_t p(path);
  RemoveNodeAll(p);
}

void ZELXml::RemoveChildNodeAll(IXMLDOMNodePtr& node, _bstr_t& path) {
  Guard(kXmlRemoveChildNodeAll, [&] { RemoveAllIn(ZelNeed(node), path); });
}

void ZELXml::RemoveChildNodeAll2(IXMLDOMNodePtr& node, const wchar_t* path) {
  _bstr_t p(path);
  RemoveChildNodeAll(node, p);
}

// Children go from the last to the first; attributes stay.
void ZELXml::RemoveChildNodeAll(IXMLDOMNodePtr& node) {
  Guard(kXmlRemoveChildren, [&] {
    IXMLDOMNodeListPtr children = ZelNeed(node)->GetchildNodes();
    for (long i = children->Getlength() - 1; i >= 0; --i) node->removeChild(children->Getitem(i));
  });
}
