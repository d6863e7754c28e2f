// NodeSet: the matches of one selection, shared by the node lists made
// from it and by the tree's cache of recent selections.
//
// A set is either complete (what XPath gave) or walked: a path of child
// steps that are plain names or "*" is matched by a walk over the tree
// that stops at the match asked for, so reading the first few matches of
// a large selection costs no more than reaching them. A walked set holds
// plain element pointers and a cursor into the tree; the tree finishes it
// (Finish) before it changes the element structure, so the set keeps the
// matches of the tree it was made on.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

namespace zel_msxml {

class NodeSet {
public:
  explicit NodeSet(std::vector<xmlNodePtr> nodes);
  // The walk of path from context (an element or the document), or NULL
  // when path is not a plain chain of child steps. doc is the tree's
  // document, where "/" starts.
  static std::shared_ptr<NodeSet> Walk(xmlDocPtr doc, xmlNodePtr context, const std::string& path);

  size_t Size();
  // The match at index, or NULL past the last one.
  xmlNodePtr At(size_t index);
  bool Finished() const { return m_bDone; }
  void Finish();

private:
  struct Step {
    std::string prefix, local;  // both empty: "*"
  };
  NodeSet(xmlNodePtr context, std::vector<Step> steps);
  bool Matches(xmlNodePtr node, size_t depth) const;
  bool Next();

  std::vector<xmlNodePtr> m_found;
  std::vector<Step> m_steps;
  xmlNodePtr m_context = nullptr;
  std::vector<xmlNodePtr> m_cursor;  // the element matched at each depth
  bool m_bStarted = false;
  bool m_bDone = true;
};

}  // namespace zel_msxml
