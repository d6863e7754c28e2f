#include "platform/msxml/DomNode.h"

#include <libxml/valid.h>

#include "platform/msxml/DomList.h"
#include "platform/msxml/DomText.h"
#include "platform/msxml/WriteRules.h"
#include "platform/msxml/XPathEngine.h"
#include "platform/msxml/XmlIo.h"

namespace zel_msxml {

std::string QualifiedName(xmlNodePtr node) {
  std::string name = node->name ? reinterpret_cast<const char*>(node->name) : "";
  if ((node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) && node->ns && node->ns->prefix)
    name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
  return name;
}

xmlNodePtr VisibleChildren(xmlNodePtr node) {
  switch (node->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_DTD_NODE:
      return nullptr;
    default:
      return node->children;
  }
}

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& qname) {
  if (element->type != XML_ELEMENT_NODE) return nullptr;
  for (xmlAttrPtr a = element->properties; a; a = a->next)
    if (QualifiedName(reinterpret_cast<xmlNodePtr>(a)) == qname) return a;
  return nullptr;
}

void SetAttributeValue(xmlAttrPtr attr, const std::string& value) {
  // The ID table keys an ID attribute by its value; a stale key would
  // point at a freed attribute later.
  if (attr->atype == XML_ATTRIBUTE_ID && attr->doc) xmlRemoveID(attr->doc, attr);
  xmlFreeNodeList(attr->children);
  attr->children = attr->last = nullptr;
  if (value.empty()) return;
  xmlNodePtr text = xmlNewDocTextLen(attr->doc, X(value), static_cast<int>(value.size()));
  if (!text) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"attribute value");
  text->parent = reinterpret_cast<xmlNodePtr>(attr);
  attr->children = attr->last = text;
}

void CheckName(const std::string& name) {
  if (name.empty() || xmlValidateQName(X(name), 0) != 0)
    Raise(E_FAIL, ERROR_INVALID_NAME, L"the name is not a valid XML name");
}

IXMLDOMNodePtr DomNode::Wrap(const std::shared_ptr<DocState>& state, xmlNodePtr node) {
  if (!node) return nullptr;
  if (node->_private) return IXMLDOMNodePtr(static_cast<DomNode*>(node->_private));
  DomNode* made;
  if (node->type == XML_ELEMENT_NODE)
    made = new DomElement(state, node);
  else if (node->type == XML_PI_NODE)
    made = new DomProcessingInstruction(state, node);
  else
    made = new DomNode(state, node);
  return IXMLDOMNodePtr(made);
}

DomNode* DomNode::Same(IXMLDOMNode* other) const {
  NeedNode(other);
  DomNode* n = dynamic_cast<DomNode*>(other);
  if (!n || n->m_state != m_state) Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"the node belongs to another document");
  return n;
}

DomNode::DomNode(std::shared_ptr<DocState> state, xmlNodePtr node) : m_state(std::move(state)), m_node(node) {
  if (!m_node) m_node = reinterpret_cast<xmlNodePtr>(m_state->Doc());
  m_node->_private = static_cast<DomNode*>(this);
}

DomNode::~DomNode() {
  m_node->_private = nullptr;
  m_state->HandleGone(m_node);
}

void DomNode::Rebind(std::shared_ptr<DocState> state, xmlNodePtr node) {
  m_node->_private = nullptr;
  std::shared_ptr<DocState> old = std::move(m_state);  // freed after the switch
  m_state = std::move(state);
  m_node = node ? node : reinterpret_cast<xmlNodePtr>(m_state->Doc());
  m_node->_private = static_cast<DomNode*>(this);
}

_bstr_t DomNode::GetnodeName() {
  switch (m_node->type) {
    case XML_TEXT_NODE: return L"#text";
    case XML_CDATA_SECTION_NODE: return L"#cdata-section";
    case XML_COMMENT_NODE: return L"#comment";
    case XML_DOCUMENT_NODE: return L"#document";
    case XML_DOCUMENT_FRAG_NODE: return L"#document-fragment";
    default: return _bstr_t(QualifiedName(m_node).c_str());
  }
}

DOMNodeType DomNode::GetnodeType() {
  switch (m_node->type) {
    case XML_ELEMENT_NODE: return NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE: return NODE_ATTRIBUTE;
    case XML_TEXT_NODE: return NODE_TEXT;
    case XML_CDATA_SECTION_NODE: return NODE_CDATA_SECTION;
    case XML_ENTITY_REF_NODE: return NODE_ENTITY_REFERENCE;
    case XML_ENTITY_NODE: return NODE_ENTITY;
    case XML_PI_NODE: return NODE_PROCESSING_INSTRUCTION;
    case XML_COMMENT_NODE: return NODE_COMMENT;
    case XML_DOCUMENT_NODE: return NODE_DOCUMENT;
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE: return NODE_DOCUMENT_TYPE;
    case XML_DOCUMENT_FRAG_NODE: return NODE_DOCUMENT_FRAGMENT;
    case XML_NOTATION_NODE: return NODE_NOTATION;
    default: return NODE_INVALID;
  }
}

_bstr_t DomNode::GetnamespaceURI() {
  bool named = m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE;
  return Bstr(named && m_node->ns ? m_node->ns->href : nullptr);
}

_bstr_t DomNode::Getprefix() {
  bool named = m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE;
  return Bstr(named && m_node->ns ? m_node->ns->prefix : nullptr);
}

_bstr_t DomNode::GetbaseName() {
  bool named = m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE || m_node->type == XML_PI_NODE;
  return Bstr(named ? m_node->name : nullptr);
}

_bstr_t DomNode::Gettext() {
  if (m_node->type == XML_DTD_NODE) return L"";
  // An element of one text, and a text itself, are read where they stand
  // rather than through the copy libxml2 would make to join pieces.
  xmlNodePtr only = m_node->type == XML_ELEMENT_NODE ? m_node->children : nullptr;
  if (only && !only->next && (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE))
    return Bstr(only->content);
  if (m_node->type == XML_TEXT_NODE || m_node->type == XML_CDATA_SECTION_NODE) return Bstr(m_node->content);
  return BstrFree(xmlNodeGetContent(m_node));
}

void DomNode::Puttext(const _bstr_t& text) {
  std::string value = Utf8(text);
  switch (m_node->type) {
    case XML_ELEMENT_NODE: {
      while (m_node->last) m_state->Unlink(m_node->last);
      if (value.empty()) return;
      xmlNodePtr t = xmlNewDocTextLen(m_state->Doc(), X(value), static_cast<int>(value.size()));
      if (!t) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"text");
      m_state->Adopt(t);
      m_state->Link(m_node, t);
      return;
    }
    case XML_ATTRIBUTE_NODE:
      SetAttributeValue(reinterpret_cast<xmlAttrPtr>(m_node), value);
      m_state->Touched();
      return;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      CheckNodeData(m_node->type, m_node->name, value);
      xmlNodeSetContentLen(m_node, X(value), static_cast<int>(value.size()));
      m_state->Touched();
      return;
    default:
      Raise(E_FAIL, ERROR_INVALID_FUNCTION, L"this kind of node has no text to set");
  }
}

_bstr_t DomNode::Getxml() {
  std::string s = WriteNode(m_node);
  return _bstr_t(ZelBstrFromUtf8Len(s.data(), s.size()), false);
}

IXMLDOMNodePtr DomNode::GetparentNode() {
  if (m_node->type == XML_ATTRIBUTE_NODE) return nullptr;
  return Wrap(m_state, m_node->parent);
}

IXMLDOMNodeListPtr DomNode::GetchildNodes() { return IXMLDOMNodeListPtr(new DomChildList(this)); }

IXMLDOMNodePtr DomNode::GetfirstChild() { return Wrap(m_state, VisibleChildren(m_node)); }

IXMLDOMNodePtr DomNode::GetlastChild() { return Wrap(m_state, VisibleChildren(m_node) ? m_node->last : nullptr); }

IXMLDOMNodePtr DomNode::GetpreviousSibling() {
  return m_node->type == XML_ATTRIBUTE_NODE ? nullptr : Wrap(m_state, m_node->prev);
}

IXMLDOMNodePtr DomNode::GetnextSibling() {
  return m_node->type == XML_ATTRIBUTE_NODE ? nullptr : Wrap(m_state, m_node->next);
}

VARIANT_BOOL DomNode::hasChildNodes() { return VisibleChildren(m_node) ? VARIANT_TRUE : VARIANT_FALSE; }

IXMLDOMNamedNodeMapPtr DomNode::Getattributes() {
  if (m_node->type != XML_ELEMENT_NODE) return nullptr;
  return IXMLDOMNamedNodeMapPtr(new DomAttributeMap(this));
}

IXMLDOMNodePtr DomNode::appendChild(IXMLDOMNode* newChild) {
  DomNode* child = Same(newChild);
  xmlNodePtr c = child->m_node;
  xmlElementType pt = m_node->type, ct = c->type;
  bool underElement = pt == XML_ELEMENT_NODE &&
                      (ct == XML_ELEMENT_NODE || ct == XML_TEXT_NODE || ct == XML_CDATA_SECTION_NODE ||
                       ct == XML_COMMENT_NODE || ct == XML_PI_NODE);
  bool underDocument = pt == XML_DOCUMENT_NODE && (ct == XML_ELEMENT_NODE || ct == XML_COMMENT_NODE || ct == XML_PI_NODE);
  if (!underElement && !underDocument)
    Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"this node cannot take a child of that kind");
  // The declaration is a node only as the document's first.
  if (ct == XML_PI_NODE && xmlStrcasecmp(c->name, reinterpret_cast<const xmlChar*>("xml")) == 0 && (!underDocument || m_node->children))
    Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the XML declaration can only be the first node of a document");
  for (xmlNodePtr up = m_node; up; up = up->parent)
    if (up == c) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"a node cannot be appended below itself");
  if (underDocument && ct == XML_ELEMENT_NODE) {
    xmlNodePtr root = xmlDocGetRootElement(m_state->Doc());
    if (root && root != c) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"a document has only one top-level element");
  }
  m_state->Link(m_node, c);
  return IXMLDOMNodePtr(newChild);
}

IXMLDOMNodePtr DomNode::removeChild(IXMLDOMNode* child) {
  DomNode* c = Same(child);
  if (c->m_node->parent != m_node || c->m_node->type == XML_ATTRIBUTE_NODE)
    Raise(E_INVALIDARG, ERROR_INVALID_PARAMETER, L"the node is not a child of this node");
  IXMLDOMNodePtr held(child);
  m_state->Unlink(c->m_node);
  return held;
}

IXMLDOMNodeListPtr DomNode::selectNodes(const _bstr_t& path) {
  return IXMLDOMNodeListPtr(new DomNodeList(m_state, m_state->Select(m_node, Utf8(path))));
}

IXMLDOMNodePtr DomNode::selectSingleNode(const _bstr_t& path) { return Wrap(m_state, m_state->Select(m_node, Utf8(path))->At(0)); }

_bstr_t DomElement::GettagName() { return GetnodeName(); }

_variant_t DomElement::getAttribute(const _bstr_t& name) {
  xmlAttrPtr a = FindAttribute(Node(), Utf8(name));
  if (!a) {
    _variant_t null;
    null.vt = VT_NULL;
    return null;
  }
  return _variant_t(BstrFree(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a))));
}

void DomElement::setAttribute(const _bstr_t& name, const _variant_t& value) {
  std::string qname = Utf8(name);
  xmlAttrPtr a = FindAttribute(Node(), qname);
  if (!a) {
    CheckName(qname);
    a = xmlNewDocProp(State()->Doc(), X(qname), nullptr);
    if (!a) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"attribute");
    State()->Adopt(reinterpret_cast<xmlNodePtr>(a));
    State()->Link(Node(), reinterpret_cast<xmlNodePtr>(a));
  }
  SetAttributeValue(a, Utf8(_bstr_t(value)));
  State()->Touched();
}

_bstr_t DomProcessingInstruction::Gettarget() { return Bstr(Node()->name); }

_bstr_t DomProcessingInstruction::Getdata() { return BstrFree(xmlNodeGetContent(Node())); }

}  // namespace zel_msxml
