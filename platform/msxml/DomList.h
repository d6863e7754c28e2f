// The node collections: a selection's matches, a node's children and an
// element's attributes.
#pragma once

#include <memory>
#include <vector>

#include "platform/msxml/DomNode.h"

namespace zel_msxml {

// The matches of a selection, fixed when it was made. Plain nodes are held
// without a handle each (a selection of a large tree may match many), so
// the tree frees nothing while the list is open.
class DomNodeList : public virtual IXMLDOMNodeList {
public:
  DomNodeList(std::shared_ptr<DocState> state, std::shared_ptr<NodeSet> nodes);
  ~DomNodeList() override;
  long Getlength() override;
  IXMLDOMNodePtr Getitem(long index) override;

private:
  std::shared_ptr<DocState> m_state;
  std::shared_ptr<NodeSet> m_nodes;
};

// A node's children as they are now: the list follows later changes.
class DomChildList : public virtual IXMLDOMNodeList {
public:
  explicit DomChildList(DomNode* parent);
  long Getlength() override;
  IXMLDOMNodePtr Getitem(long index) override;

private:
  void Refresh();

  IXMLDOMNodePtr m_hold;  // keeps the parent (and its tree) alive
  DomNode* m_parent;
  std::shared_ptr<const std::vector<xmlNodePtr>> m_children;  // valid while the tree's epoch is
  uint64_t m_epoch = 0;
  bool m_bFresh = false;
};

class DomAttributeMap : public virtual IXMLDOMNamedNodeMap {
public:
  explicit DomAttributeMap(DomNode* element);
  long Getlength() override;
  IXMLDOMNodePtr Getitem(long index) override;
  IXMLDOMNodePtr getNamedItem(const _bstr_t& name) override;
  IXMLDOMNodePtr setNamedItem(IXMLDOMNode* attribute) override;
  IXMLDOMNodePtr removeNamedItem(const _bstr_t& name) override;

private:
  IXMLDOMNodePtr m_hold;
  DomNode* m_element;
};

}  // namespace zel_msxml
