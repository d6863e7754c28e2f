// DomNode: a handle's object for one libxml2 node. One object per node at
// a time (found again through the node's _private), so two lookups of one
// node give the same handle; it holds the tree's state, which therefore
// outlives every handle into it.
#pragma once

#include <memory>
#include <string>

#include "platform/msxml/DocState.h"
#include "platform/msxml/MsXml.h"

namespace zel_msxml {

class DomNode : public virtual IXMLDOMNode {
public:
  // node NULL: the document node of state's tree.
  DomNode(std::shared_ptr<DocState> state, xmlNodePtr node);
  ~DomNode() override;

  // The one handle object of node (made on first use); NULL for no node.
  static IXMLDOMNodePtr Wrap(const std::shared_ptr<DocState>& state, xmlNodePtr node);
  // Our object behind a handle of the same tree, else raises.
  DomNode* Same(IXMLDOMNode* other) const;

  xmlNodePtr Node() const { return m_node; }
  const std::shared_ptr<DocState>& State() const { return m_state; }

  _bstr_t GetnodeName() override;
  DOMNodeType GetnodeType() override;
  _bstr_t GetnamespaceURI() override;
  _bstr_t Getprefix() override;
  _bstr_t GetbaseName() override;
  _bstr_t Gettext() override;
  void Puttext(const _bstr_t& text) override;
  _bstr_t Getxml() override;
  IXMLDOMNodePtr GetparentNode() override;
  IXMLDOMNodeListPtr GetchildNodes() override;
  IXMLDOMNodePtr GetfirstChild() override;
  IXMLDOMNodePtr GetlastChild() override;
  IXMLDOMNodePtr GetpreviousSibling() override;
  IXMLDOMNodePtr GetnextSibling() override;
  VARIANT_BOOL hasChildNodes() override;
  IXMLDOMNamedNodeMapPtr Getattributes() override;
  IXMLDOMNodePtr appendChild(IXMLDOMNode* newChild) override;
  IXMLDOMNodePtr removeChild(IXMLDOMNode* child) override;
  IXMLDOMNodeListPtr selectNodes(const _bstr_t& path) override;
  IXMLDOMNodePtr selectSingleNode(const _bstr_t& path) override;

protected:
  // The document object moves to a new tree when it loads.
  void Rebind(std::shared_ptr<DocState> state, xmlNodePtr node);

private:
  std::shared_ptr<DocState> m_state;
  xmlNodePtr m_node;
};

class DomElement : public DomNode, public virtual IXMLDOMElement {
public:
  using DomNode::DomNode;
  _bstr_t GettagName() override;
  _variant_t getAttribute(const _bstr_t& name) override;
  void setAttribute(const _bstr_t& name, const _variant_t& value) override;
};

class DomProcessingInstruction : public DomNode, public virtual IXMLDOMProcessingInstruction {
public:
  using DomNode::DomNode;
  _bstr_t Gettarget() override;
  _bstr_t Getdata() override;
};

// Helpers the node, map and document share.
std::string QualifiedName(xmlNodePtr node);
// The children a handle may see: none for attributes, entity references
// and document types, whose libxml2 children are not nodes of the DOM.
xmlNodePtr VisibleChildren(xmlNodePtr node);
xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& qname);
// Replaces an attribute's value with text as it stands.
void SetAttributeValue(xmlAttrPtr attr, const std::string& value);
// Raises unless name is a valid (qualified) XML name.
void CheckName(const std::string& name);

}  // namespace zel_msxml
