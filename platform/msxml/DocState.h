// DocState: one libxml2 tree and what its handles need of it.
//
// Every node handle holds the state of its tree, so the tree lives as long
// as anyone can reach it. A node taken out of the tree (removed, replaced,
// or its content overwritten) is freed at once when no handle and no open
// node list can reach it; otherwise it is kept aside and freed when the
// last of them goes. A handle marks its node through the node's _private.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/msxml/NodeSet.h"

namespace zel_msxml {

class XPathEngine;

class DocState {
public:
  // defaultUri: the one default namespace of every unprefixed element, when
  // no element prefix stands for it (see XPathEngine); else empty.
  DocState(xmlDocPtr doc, bool hasNamespaces, const std::string& defaultUri);
  ~DocState();
  DocState(const DocState&) = delete;
  DocState& operator=(const DocState&) = delete;

  xmlDocPtr Doc() const { return m_doc; }
  // An element or attribute of the tree is in a namespace; selections then
  // match names as written instead of by libxml2's namespace rules.
  bool HasNamespaces() const { return m_bNamespaces; }
  void NoteNamespaces();
  // The nodes path selects from context, names matched as written. A
  // selection repeated on an unchanged tree is answered from a cache, so a
  // loop over a path's matches evaluates the path once.
  std::shared_ptr<NodeSet> Select(xmlNodePtr context, const std::string& path);
  // Changes whenever children are added or taken out anywhere.
  uint64_t Epoch() const { return m_epoch; }
  // A text or attribute value changed in place.
  void Touched() { ++m_epoch; }
  // The children a handle sees of parent, in order. Kept for an element or
  // the document until its own children change, so that reading children
  // by position in a loop lists them once.
  std::shared_ptr<const std::vector<xmlNodePtr>> Children(xmlNodePtr parent);
  XPathEngine& XPath();

  // A namespace for an attribute outside any element, freed with the tree.
  xmlNsPtr OwnNs(const xmlChar* href, const xmlChar* prefix);
  // A node made outside the tree, kept until it is linked or unreachable.
  void Adopt(xmlNodePtr node);
  // Appends child (an element's attribute goes to its attribute list) after
  // taking it out of wherever it was. Never merges text nodes, so a handle
  // to the child stays a handle to the child.
  void Link(xmlNodePtr parent, xmlNodePtr child);
  // Takes a node out of its parent; it is freed once unreachable.
  void Unlink(xmlNodePtr node);
  // A handle to node was dropped.
  void HandleGone(xmlNodePtr node);

  // While a node list is open, nothing is freed: a list holds plain nodes.
  void ListOpened() { ++m_nLists; }
  void ListClosed();

private:
  void TryFree(xmlNodePtr root);
  void Reconcile(xmlNodePtr node);
  std::vector<xmlNsPtr> DropRedundantNs(xmlNodePtr parent, xmlNodePtr child);
  // Before node is linked or taken out: the element structure is about to
  // change when node may hold elements.
  void Changing(xmlNodePtr node);
  void Reshaped();
  void FreeTree(xmlNodePtr root);

  // A cached selection is good while the counter it was made under holds:
  // a walk depends on the element structure alone (m_shape), an XPath
  // result on anything (m_epoch).
  struct Cached {
    std::shared_ptr<NodeSet> set;
    uint64_t stamp;
    bool walked;
  };

  xmlDocPtr m_doc;
  bool m_bNamespaces;
  std::string m_defaultUri;  // emptied for good by an element that breaks its rule
  uint64_t m_epoch = 0;
  uint64_t m_shape = 0;
  std::unordered_map<std::string, Cached> m_cache;  // keyed by context and path
  std::string m_key;
  std::vector<std::weak_ptr<NodeSet>> m_walks;     // unfinished walks handed out
  std::unordered_map<xmlNodePtr, std::shared_ptr<const std::vector<xmlNodePtr>>> m_children;
  int m_nLists = 0;
  std::unordered_set<xmlNodePtr> m_detached;  // roots outside the tree, not freed
  std::vector<xmlNodePtr> m_pending;          // taken out while a list was open
  std::vector<xmlNsPtr> m_ownedNs;            // namespaces of detached attributes
  std::unique_ptr<XPathEngine> m_xpath;
};

// True when a handle refers to node or anything below it.
bool HandleInside(xmlNodePtr node);

}  // namespace zel_msxml
