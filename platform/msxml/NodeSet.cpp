#include "platform/msxml/NodeSet.h"

#include <cstring>

#include "platform/msxml/DomNode.h"

namespace zel_msxml {

namespace {

// ASCII names only: other characters have name rules of their own, which
// the XPath compiler keeps.
bool NameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsName(const std::string& s) {
  if (s.empty() || !NameStart(s[0])) return false;
  for (char c : s)
    if (!NameChar(c)) return false;
  return true;
}

bool Same(const xmlChar* a, const std::string& b) { return std::strcmp(reinterpret_cast<const char*>(a), b.c_str()) == 0; }

}  // namespace

NodeSet::NodeSet(std::vector<xmlNodePtr> nodes) : m_found(std::move(nodes)) {}

NodeSet::NodeSet(xmlNodePtr context, std::vector<Step> steps)
    : m_steps(std::move(steps)), m_context(context), m_bDone(false) {}

std::shared_ptr<NodeSet> NodeSet::Walk(xmlDocPtr doc, xmlNodePtr context, const std::string& path) {
  size_t at = 0;
  if (!path.empty() && path[0] == '/') {
    context = reinterpret_cast<xmlNodePtr>(doc);
    at = 1;
  }
  std::vector<Step> steps;
  while (true) {
    size_t end = path.find('/', at);
    std::string part = path.substr(at, end == std::string::npos ? std::string::npos : end - at);
    Step step;
    size_t colon = part.find(':');
    if (part != "*") {
      step.local = colon == std::string::npos ? part : part.substr(colon + 1);
      if (colon != std::string::npos) step.prefix = part.substr(0, colon);
      if (!IsName(step.local) || (colon != std::string::npos && !IsName(step.prefix))) return nullptr;
    }
    steps.push_back(step);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return std::shared_ptr<NodeSet>(new NodeSet(context, std::move(steps)));
}

// A name test matches the qualified name as written.
bool NodeSet::Matches(xmlNodePtr node, size_t depth) const {
  if (node->type != XML_ELEMENT_NODE) return false;
  const Step& s = m_steps[depth];
  if (s.local.empty()) return true;
  const xmlChar* prefix = node->ns ? node->ns->prefix : nullptr;
  if (prefix ? !Same(prefix, s.prefix) : !s.prefix.empty()) return false;
  return Same(node->name, s.local);
}

// Depth first, so the matches come in document order: the walk resumes
// after the last match, climbing when a level runs out of siblings.
bool NodeSet::Next() {
  if (m_bDone) return false;
  size_t depth;
  xmlNodePtr cand;
  if (!m_bStarted) {
    m_bStarted = true;
    depth = 0;
    cand = VisibleChildren(m_context);
  } else {
    depth = m_steps.size() - 1;
    cand = m_cursor.back()->next;
    m_cursor.pop_back();
  }
  while (true) {
    while (cand && !Matches(cand, depth)) cand = cand->next;
    if (!cand) {
      if (depth == 0) {
        m_bDone = true;
        m_cursor.clear();
        return false;
      }
      --depth;
      cand = m_cursor.back()->next;
      m_cursor.pop_back();
      continue;
    }
    m_cursor.push_back(cand);
    if (depth + 1 == m_steps.size()) {
      m_found.push_back(cand);
      return true;
    }
    ++depth;
    cand = VisibleChildren(cand);
  }
}

size_t NodeSet::Size() {
  Finish();
  return m_found.size();
}

xmlNodePtr NodeSet::At(size_t index) {
  while (m_found.size() <= index && Next()) {
  }
  return index < m_found.size() ? m_found[index] : nullptr;
}

void NodeSet::Finish() {
  while (Next()) {
  }
}

}  // namespace zel_msxml
