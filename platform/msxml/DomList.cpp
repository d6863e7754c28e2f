#include "platform/msxml/DomList.h"

#include "platform/msxml/DomText.h"

namespace zel_msxml {

DomNodeList::DomNodeList(std::shared_ptr<DocState> state, std::shared_ptr<NodeSet> nodes)
    : m_state(std::move(state)), m_nodes(std::move(nodes)) {
  m_state->ListOpened();
}

DomNodeList::~DomNodeList() { m_state->ListClosed(); }

long DomNodeList::Getlength() { return static_cast<long>(m_nodes->Size()); }

IXMLDOMNodePtr DomNodeList::Getitem(long index) {
  if (index < 0) return nullptr;
  return DomNode::Wrap(m_state, m_nodes->At(static_cast<size_t>(index)));
}

DomChildList::DomChildList(DomNode* parent) : m_hold(parent), m_parent(parent) {}

void DomChildList::Refresh() {
  if (m_bFresh && m_epoch == m_parent->State()->Epoch()) return;
  m_children = m_parent->State()->Children(m_parent->Node());
  m_epoch = m_parent->State()->Epoch();
  m_bFresh = true;
}

long DomChildList::Getlength() {
  Refresh();
  return static_cast<long>(m_children->size());
}

IXMLDOMNodePtr DomChildList::Getitem(long index) {
  Refresh();
  if (index < 0 || static_cast<size_t>(index) >= m_children->size()) return nullptr;
  return DomNode::Wrap(m_parent->State(), (*m_children)[static_cast<size_t>(index)]);
}

DomAttributeMap::DomAttributeMap(DomNode* element) : m_hold(element), m_element(element) {}

long DomAttributeMap::Getlength() {
  long n = 0;
  for (xmlAttrPtr a = m_element->Node()->properties; a; a = a->next) ++n;
  return n;
}

IXMLDOMNodePtr DomAttributeMap::Getitem(long index) {
  xmlAttrPtr a = m_element->Node()->properties;
  for (long k = 0; a && k < index; ++k) a = a->next;
  if (index < 0 || !a) return nullptr;
  return DomNode::Wrap(m_element->State(), reinterpret_cast<xmlNodePtr>(a));
}

IXMLDOMNodePtr DomAttributeMap::getNamedItem(const _bstr_t& name) {
  xmlAttrPtr a = FindAttribute(m_element->Node(), Utf8(name));
  return DomNode::Wrap(m_element->State(), reinterpret_cast<xmlNodePtr>(a));
}

IXMLDOMNodePtr DomAttributeMap::setNamedItem(IXMLDOMNode* attribute) {
  DomNode* attr = m_element->Same(attribute);
  xmlNodePtr a = attr->Node();
  if (a->type != XML_ATTRIBUTE_NODE) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"only an attribute can be set");
  if (a->parent == m_element->Node()) return IXMLDOMNodePtr(attribute);
  if (a->parent) Raise(E_FAIL, ERROR_INVALID_PARAMETER, L"the attribute belongs to another element");
  IXMLDOMNodePtr held(attribute);
  if (xmlAttrPtr old = FindAttribute(m_element->Node(), QualifiedName(a)))
    m_element->State()->Unlink(reinterpret_cast<xmlNodePtr>(old));
  m_element->State()->Link(m_element->Node(), a);
  return held;
}

IXMLDOMNodePtr DomAttributeMap::removeNamedItem(const _bstr_t& name) {
  xmlAttrPtr a = FindAttribute(m_element->Node(), Utf8(name));
  if (!a) return nullptr;
  IXMLDOMNodePtr held = DomNode::Wrap(m_element->State(), reinterpret_cast<xmlNodePtr>(a));
  m_element->State()->Unlink(reinterpret_cast<xmlNodePtr>(a));
  return held;
}

}  // namespace zel_msxml
