#include "platform/msxml/DocState.h"

#include <algorithm>

#include "platform/msxml/DomNode.h"
#include "platform/msxml/XPathEngine.h"
#include "platform/msxml/XmlIo.h"

namespace zel_msxml {

namespace {

// Calls f on node and every node below it, attributes included, without
// recursion (an edited tree may be deeper than the stack allows).
template <class F>
void Walk(xmlNodePtr top, F f) {
  xmlNodePtr cur = top;
  while (cur) {
    f(cur);
    if (cur->type == XML_ELEMENT_NODE)
      for (xmlAttrPtr a = cur->properties; a; a = a->next) f(reinterpret_cast<xmlNodePtr>(a));
    if (cur->type != XML_ENTITY_REF_NODE && cur->type != XML_ATTRIBUTE_NODE && cur->children) {
      cur = cur->children;
      continue;
    }
    while (cur != top && !cur->next) cur = cur->parent;
    if (cur == top) break;
    cur = cur->next;
  }
}

void FreeOne(xmlNodePtr root) {
  if (root->type == XML_ATTRIBUTE_NODE)
    xmlFreeProp(reinterpret_cast<xmlAttrPtr>(root));
  else
    xmlFreeNode(root);
}

// Text, comments, instructions and attributes hold no elements.
bool MayHoldElements(xmlNodePtr node) {
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ATTRIBUTE_NODE:
      return false;
    default:
      return true;
  }
}

const size_t kMaxCached = 64;

}  // namespace

bool HandleInside(xmlNodePtr node) {
  bool found = false;
  Walk(node, [&](xmlNodePtr n) { found = found || n->_private != nullptr; });
  return found;
}

DocState::DocState(xmlDocPtr doc, bool hasNamespaces, const std::string& defaultUri)
    : m_doc(doc), m_bNamespaces(hasNamespaces), m_defaultUri(defaultUri) {}

std::shared_ptr<NodeSet> DocState::Select(xmlNodePtr context, const std::string& path) {
  if (path.empty()) return std::make_shared<NodeSet>(XPath().Select(context, path, XPathEngine::kNamesAsParsed, ""));
  // The key is built in a kept buffer: a read in a loop allocates nothing.
  std::string& key = m_key;
  key.assign(reinterpret_cast<const char*>(&context), sizeof context);
  key += path;
  auto it = m_cache.find(key);
  if (it != m_cache.end() && it->second.stamp == (it->second.walked ? m_shape : m_epoch)) return it->second.set;
  if (m_cache.size() >= kMaxCached) m_cache.clear();
  Cached made;
  // Walks start only where an element or the document is: the address of
  // anything else may be a new node's after a change the walk ignores.
  bool canWalk = context->type == XML_ELEMENT_NODE || context->type == XML_DOCUMENT_NODE;
  if (canWalk) made.set = NodeSet::Walk(m_doc, context, path);
  made.walked = made.set != nullptr;
  if (made.walked) {
    made.stamp = m_shape;
    if (m_walks.size() >= 2 * kMaxCached)
      m_walks.erase(std::remove_if(m_walks.begin(), m_walks.end(), [](const std::weak_ptr<NodeSet>& w) { return w.expired(); }),
                    m_walks.end());
    m_walks.push_back(made.set);
  } else {
    XPathEngine::Names names = !m_bNamespaces          ? XPathEngine::kNamesAsParsed
                               : m_defaultUri.empty() ? XPathEngine::kNamesAsWritten
                                                      : XPathEngine::kNamesInDefault;
    made.set = std::make_shared<NodeSet>(XPath().Select(context, path, names, m_defaultUri));
    made.stamp = m_epoch;
  }
  m_cache[key] = made;
  return made.set;
}

std::shared_ptr<const std::vector<xmlNodePtr>> DocState::Children(xmlNodePtr parent) {
  bool keep = parent->type == XML_ELEMENT_NODE || parent->type == XML_DOCUMENT_NODE;
  if (keep) {
    auto it = m_children.find(parent);
    if (it != m_children.end()) return it->second;
  }
  auto list = std::make_shared<std::vector<xmlNodePtr>>();
  for (xmlNodePtr c = VisibleChildren(parent); c; c = c->next) list->push_back(c);
  if (keep) {
    if (m_children.size() >= kMaxCached) m_children.clear();
    m_children[parent] = list;
  }
  return list;
}

void DocState::NoteNamespaces() {
  m_bNamespaces = true;
  ++m_epoch;
}

void DocState::Changing(xmlNodePtr node) {
  ++m_epoch;
  if (MayHoldElements(node)) Reshaped();
}

// Walks still held by a node list are finished on the tree they were made
// on; the others are dropped.
void DocState::Reshaped() {
  ++m_shape;
  m_cache.clear();
  std::vector<std::weak_ptr<NodeSet>> walks;
  walks.swap(m_walks);
  for (auto& w : walks)
    if (std::shared_ptr<NodeSet> set = w.lock()) set->Finish();
}

// A freed node's address may come back as a new node's, which must not
// find the old one's cached selections.
void DocState::FreeTree(xmlNodePtr root) {
  Changing(root);
  if (MayHoldElements(root)) m_children.clear();
  FreeOne(root);
}

DocState::~DocState() {
  m_xpath.reset();
  for (xmlNodePtr n : m_detached) FreeOne(n);
  for (xmlNsPtr ns : m_ownedNs) xmlFreeNs(ns);
  if (m_doc) {
    m_doc->_private = nullptr;
    xmlFreeDoc(m_doc);
  }
}

XPathEngine& DocState::XPath() {
  if (!m_xpath) m_xpath.reset(new XPathEngine(m_doc));
  return *m_xpath;
}

xmlNsPtr DocState::OwnNs(const xmlChar* href, const xmlChar* prefix) {
  xmlNsPtr ns = xmlNewNs(nullptr, href, prefix);
  if (ns) m_ownedNs.push_back(ns);
  return ns;
}

void DocState::Adopt(xmlNodePtr node) { m_detached.insert(node); }

void DocState::Link(xmlNodePtr parent, xmlNodePtr child) {
  Changing(child);
  m_children.erase(parent);
  if (child->parent) m_children.erase(child->parent);
  if (child->parent)
    xmlUnlinkNode(child);
  else
    m_detached.erase(child);
  child->parent = parent;
  child->next = nullptr;
  if (child->type == XML_ATTRIBUTE_NODE) {
    xmlAttrPtr attr = reinterpret_cast<xmlAttrPtr>(child);
    xmlAttrPtr last = parent->properties;
    while (last && last->next) last = last->next;
    attr->prev = last;
    if (last)
      last->next = attr;
    else
      parent->properties = attr;
    if (attr->ns) {
      xmlNsPtr ns = xmlSearchNsByHref(m_doc, parent, attr->ns->href);
      attr->ns = ns ? ns : xmlNewNs(parent, attr->ns->href, attr->ns->prefix);
    }
  } else {
    child->prev = parent->last;
    if (parent->last)
      parent->last->next = child;
    else
      parent->children = child;
    parent->last = child;
  }
  if (child->type == XML_ELEMENT_NODE) {
    std::vector<xmlNsPtr> dropped;
    if (parent->type == XML_ELEMENT_NODE) {
      // An element outside any namespace under a default namespace says so,
      // or it would join that namespace when the markup is read again.
      xmlNsPtr def = xmlSearchNs(m_doc, parent, nullptr);
      if (!child->ns && def && def->href && *def->href) {
        bool declared = false;
        for (xmlNsPtr ns = child->nsDef; ns; ns = ns->next) declared = declared || !ns->prefix;
        if (!declared) xmlNewNs(child, reinterpret_cast<const xmlChar*>(""), nullptr);
      }
      dropped = DropRedundantNs(parent, child);
    }
    Reconcile(child);
    for (xmlNsPtr ns : dropped) xmlFreeNs(ns);
    if (!m_defaultUri.empty())
      Walk(child, [&](xmlNodePtr n) {
        if (n->type == XML_ELEMENT_NODE && !DefaultRuleHolds(n, m_defaultUri)) m_defaultUri.clear();
      });
  }
}

// Declarations on an appended element that its new parent already makes
// are dropped, so new elements do not repeat their parent's namespace.
std::vector<xmlNsPtr> DocState::DropRedundantNs(xmlNodePtr parent, xmlNodePtr child) {
  std::vector<xmlNsPtr> dropped;
  xmlNsPtr* link = &child->nsDef;
  while (*link) {
    xmlNsPtr ns = *link;
    xmlNsPtr outer = xmlSearchNs(m_doc, parent, ns->prefix);
    if (outer && xmlStrEqual(outer->href, ns->href)) {
      *link = ns->next;
      ns->next = nullptr;
      dropped.push_back(ns);
    } else {
      link = &ns->next;
    }
  }
  return dropped;  // freed by the caller once nothing points at them
}

// Points every namespace reference below node at a declaration in scope
// from where node now is, declaring it on the element where none is. After
// this the subtree refers to nothing outside it but its ancestors.
void DocState::Reconcile(xmlNodePtr node) {
  Walk(node, [&](xmlNodePtr n) {
    if ((n->type != XML_ELEMENT_NODE && n->type != XML_ATTRIBUTE_NODE) || !n->ns) return;
    xmlNodePtr elem = n->type == XML_ATTRIBUTE_NODE ? n->parent : n;
    if (!elem) {  // an attribute on its own keeps a namespace of its own
      n->ns = OwnNs(n->ns->href, n->ns->prefix);
      return;
    }
    xmlNsPtr found = xmlSearchNs(m_doc, elem, n->ns->prefix);
    if (found == n->ns) return;
    if (found && xmlStrEqual(found->href, n->ns->href)) {
      n->ns = found;
      return;
    }
    xmlNsPtr made = xmlNewNs(elem, n->ns->href, n->ns->prefix);
    if (!made) made = OwnNs(n->ns->href, n->ns->prefix);
    n->ns = made;
  });
}

void DocState::Unlink(xmlNodePtr node) {
  Changing(node);
  if (node->parent) m_children.erase(node->parent);
  xmlUnlinkNode(node);
  node->parent = nullptr;
  m_detached.insert(node);
  TryFree(node);
}

void DocState::TryFree(xmlNodePtr root) {
  if (m_nLists > 0) {
    m_pending.push_back(root);
    if (m_detached.count(root)) Reconcile(root);
    return;
  }
  if (!m_detached.count(root)) return;
  if (HandleInside(root)) {
    Reconcile(root);
    return;
  }
  m_detached.erase(root);
  FreeTree(root);
}

void DocState::HandleGone(xmlNodePtr node) {
  while (node->parent) node = node->parent;
  if (node->type != XML_DOCUMENT_NODE && m_detached.count(node)) TryFree(node);
}

void DocState::ListClosed() {
  if (--m_nLists > 0 || m_pending.empty()) return;
  std::vector<xmlNodePtr> pending;
  pending.swap(m_pending);
  for (xmlNodePtr n : pending) TryFree(n);
}

}  // namespace zel_msxml
