#include "platform/msxml/XmlIo.h"

#include <libxml/parser.h>
#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/xmlsave.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/base/Utf8.h"
#include "platform/msxml/DomText.h"
#include "platform/msxml/WriteRules.h"

namespace zel_msxml {

namespace {

// External entities and DTDs are refused for our parsers only (an entity's
// parser inherits its parent's _private, which is this thread's parse);
// other users of libxml2 in the process keep the loader they had.
xmlExternalEntityLoader g_previous = nullptr;
thread_local void* t_ours = nullptr;

xmlParserInputPtr RefuseOurs(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
  if (ctxt && t_ours && ctxt->_private == t_ours) return nullptr;
  return g_previous ? g_previous(url, id, ctxt) : nullptr;
}

void InstallLoader() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    g_previous = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(RefuseOurs);
  });
}

bool Blank(const xmlChar* s) {
  if (!s) return true;
  for (; *s; ++s)
    if (*s != ' ' && *s != '\t' && *s != '\n' && *s != '\r') return false;
  return true;
}

}  // namespace

bool DefaultRuleHolds(xmlNodePtr element, const std::string& uri) {
  xmlNsPtr ns = element->ns;
  bool inIt = ns && ns->href && uri == reinterpret_cast<const char*>(ns->href);
  return ns && ns->prefix ? !inIt : inIt;
}

namespace {

// What the parse notes as it builds the tree, so that the tree need not be
// walked again after it: the namespaces met, and whether white-space-only
// text may have been kept (NOBLANKS keeps it in mixed content).
struct Watch {
  ParsedXml* out;
  bool first = true;
  bool maybeBlank = false;
  xmlNsPtr checked = nullptr;  // elements mostly share their namespace
};

// A blank text node the parser kept is the last child of its parent when
// the next node after it starts or the parent ends.
void NoteBlank(xmlParserCtxtPtr ctxt) {
  Watch* w = static_cast<Watch*>(ctxt->_private);
  xmlNodePtr last = ctxt->node ? ctxt->node->last : nullptr;
  if (w && last && last->type == XML_TEXT_NODE && Blank(last->content)) w->maybeBlank = true;
}

void WatchElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* URI, int nb_namespaces,
                  const xmlChar** namespaces, int nb_attributes, int nb_defaulted, const xmlChar** attributes) {
  xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  NoteBlank(ctxt);
  xmlSAX2StartElementNs(ctx, localname, prefix, URI, nb_namespaces, namespaces, nb_attributes, nb_defaulted,
                        attributes);
  Watch* w = static_cast<Watch*>(ctxt->_private);
  xmlNodePtr cur = ctxt->node;
  if (!w || !cur || cur->type != XML_ELEMENT_NODE) return;
  ParsedXml& out = *w->out;
  if (w->first) {
    w->first = false;
    if (cur->ns && !cur->ns->prefix && cur->ns->href) out.defaultUri = reinterpret_cast<const char*>(cur->ns->href);
  }
  out.hasNamespaces = out.hasNamespaces || cur->ns;
  for (xmlAttrPtr a = cur->properties; a && !out.hasNamespaces; a = a->next) out.hasNamespaces = a->ns != nullptr;
  if (!out.defaultUri.empty() && (cur->ns != w->checked || !cur->ns)) {
    if (!DefaultRuleHolds(cur, out.defaultUri)) out.defaultUri.clear();
    w->checked = cur->ns;
  }
}

void WatchEnd(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* URI) {
  NoteBlank(static_cast<xmlParserCtxtPtr>(ctx));
  xmlSAX2EndElementNs(ctx, localname, prefix, URI);
}

void WatchComment(void* ctx, const xmlChar* value) {
  NoteBlank(static_cast<xmlParserCtxtPtr>(ctx));
  xmlSAX2Comment(ctx, value);
}

void WatchPI(void* ctx, const xmlChar* target, const xmlChar* data) {
  NoteBlank(static_cast<xmlParserCtxtPtr>(ctx));
  xmlSAX2ProcessingInstruction(ctx, target, data);
}

void WatchCData(void* ctx, const xmlChar* value, int len) {
  NoteBlank(static_cast<xmlParserCtxtPtr>(ctx));
  xmlSAX2CDataBlock(ctx, value, len);
}

// Drops white-space-only text (outside xml:space="preserve"); notes whether
// any element or attribute is in a namespace, and the one default namespace
// of the unprefixed elements if the rule of DefaultRuleHolds allows one.
void Tidy(xmlDocPtr doc, ParsedXml& out) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (root && root->ns && !root->ns->prefix && root->ns->href) out.defaultUri = reinterpret_cast<const char*>(root->ns->href);
  xmlNsPtr checked = nullptr;  // elements mostly share their namespace
  xmlNodePtr cur = doc->children;
  while (cur) {
    if (cur->type == XML_TEXT_NODE && Blank(cur->content) && xmlNodeGetSpacePreserve(cur->parent) != 1) {
      xmlNodePtr gone = cur;
      while (cur && !cur->next && cur->parent != reinterpret_cast<xmlNodePtr>(doc)) cur = cur->parent;
      cur = cur ? cur->next : nullptr;
      xmlUnlinkNode(gone);
      xmlFreeNode(gone);
      continue;
    }
    if (cur->type == XML_ELEMENT_NODE) {
      out.hasNamespaces = out.hasNamespaces || cur->ns;
      for (xmlAttrPtr a = cur->properties; a && !out.hasNamespaces; a = a->next) out.hasNamespaces = a->ns != nullptr;
      if (!out.defaultUri.empty() && (cur->ns != checked || !cur->ns)) {
        if (!DefaultRuleHolds(cur, out.defaultUri)) out.defaultUri.clear();
        checked = cur->ns;
      }
      if (cur->children) {
        cur = cur->children;
        continue;
      }
    }
    while (cur && !cur->next && cur->parent != reinterpret_cast<xmlNodePtr>(doc)) cur = cur->parent;
    cur = cur ? cur->next : nullptr;
  }
}

// The declaration's pseudo-attributes as written, when the markup starts
// with one: an ASCII-compatible text gives them verbatim, another (UTF-16,
// or a declaration longer than the head read) has them rebuilt from what
// the parser read.
bool Declaration(const char* data, size_t size, xmlDocPtr doc, std::string& text) {
  size_t at = size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  bool ascii = size >= at + 6 && std::memcmp(data + at, "<?xml", 5) == 0 && std::strchr(" \t\r\n", data[at + 5]);
  const char* end = ascii ? static_cast<const char*>(memmem(data + at + 6, size - at - 6, "?>", 2)) : nullptr;
  if (end) {
    text.assign(data + at + 6, end);
    while (!text.empty() && std::strchr(" \t\r\n", text.back())) text.pop_back();
    while (!text.empty() && std::strchr(" \t\r\n", text.front())) text.erase(0, 1);
    return true;
  }
  bool utf16 = size >= 2 && ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF') ||
                             (data[0] == '<' && data[1] == 0) || (data[0] == 0 && data[1] == '<'));
  if (!ascii && (!utf16 || !doc->encoding)) return false;
  text = std::string("version=\"") + (doc->version ? reinterpret_cast<const char*>(doc->version) : "1.0") + "\"";
  if (doc->encoding) text += std::string(" encoding=\"") + reinterpret_cast<const char*>(doc->encoding) + "\"";
  if (doc->standalone >= 0) text += doc->standalone ? " standalone=\"yes\"" : " standalone=\"no\"";
  return true;
}

void AddDeclaration(xmlDocPtr doc, const std::string& data) {
  xmlNodePtr pi = xmlNewDocPI(doc, reinterpret_cast<const xmlChar*>("xml"), X(data));
  pi->parent = reinterpret_cast<xmlNodePtr>(doc);
  pi->next = doc->children;
  if (doc->children) doc->children->prev = pi;
  doc->children = pi;
  if (!doc->last) doc->last = pi;
}

// The value of encoding="..." in the first top-level declaration.
std::string DeclaredEncoding(xmlDocPtr doc) {
  for (xmlNodePtr n = doc->children; n; n = n->next) {
    if (n->type != XML_PI_NODE || !xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>("xml"))) continue;
    std::string d = n->content ? reinterpret_cast<const char*>(n->content) : "";
    size_t k = d.find("encoding");
    if (k == std::string::npos) return std::string();
    k = d.find_first_not_of(" \t\r\n", k + 8);
    if (k == std::string::npos || d[k] != '=') return std::string();
    k = d.find_first_not_of(" \t\r\n", k + 1);
    if (k == std::string::npos || (d[k] != '"' && d[k] != '\'')) return std::string();
    size_t e = d.find(d[k], k + 1);
    return e == std::string::npos ? std::string() : d.substr(k + 1, e - k - 1);
  }
  return std::string();
}

// The rest of a wide text, handed to the parser a piece at a time in
// UTF-8, so that a large text is never held twice.
struct TextReader {
  const wchar_t* next;
  size_t left;
  std::string piece;  // a character that did not fit, not yet handed over from at on
  size_t at = 0;
  // Converted straight into the parser's buffer; only a character cut by
  // the buffer's end goes through `piece`.
  static int Read(void* context, char* buffer, int len) {
    TextReader* r = static_cast<TextReader*>(context);
    size_t room = static_cast<size_t>(std::max(len, 0));
    if (r->at < r->piece.size()) {
      size_t n = std::min(r->piece.size() - r->at, room);
      std::memcpy(buffer, r->piece.data() + r->at, n);
      r->at += n;
      return static_cast<int>(n);
    }
    size_t used = 0;
    size_t n = ZelWideToUtf8Some(r->next, r->left, buffer, room, used);
    if (n == 0 && r->left > 0 && room > 0) {
      ZelWideToUtf8Into(r->next, 1, r->piece);
      used = 1;
      r->at = n = std::min(r->piece.size(), room);
      std::memcpy(buffer, r->piece.data(), n);
    }
    r->next += used;
    r->left -= used;
    return static_cast<int>(n);
  }
};

// Enough of the start of a file to hold its declaration.
const size_t kHead = 1024;

std::string Take(xmlBufferPtr buf) {
  std::string s(reinterpret_cast<const char*>(xmlBufferContent(buf)), static_cast<size_t>(xmlBufferLength(buf)));
  xmlBufferFree(buf);
  return s;
}

// Past libxml2's size limits (long texts and names) its bound on entity
// expansion no longer holds, so there only documents that declare no
// entities are read.
void RefuseEntities(void* user, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  xmlParserCtxtPtr ctxt = static_cast<xmlParserCtxtPtr>(user);
  ctxt->wellFormed = 0;
  xmlStopParser(ctxt);
}

// The smallest document that can reach one of libxml2's size limits (a
// name of 50,000 characters); smaller ones are not read again.
const size_t kLimitReach = 50000;

// Whether the reading in progress on this thread ran out of memory: the
// parser goes on after that error, and what it says last is another one.
thread_local bool t_noMemory;

// The error is kept in the context for the reason; nothing is printed.
// libxml2 names a text over its length limit a memory error too.
void Quiet(void*, xmlErrorPtr e) {
  if (e && e->code == XML_ERR_NO_MEMORY && !(e->message && std::strstr(e->message, "huge"))) t_noMemory = true;
}

// One reading through read (which gives the context a document or NULL);
// the document, or NULL with why.
template <class Read>
xmlDocPtr ReadOnce(Read& read, bool huge, Watch& watch, std::string& reason, bool& noMemory) {
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"parser");
  ctxt->_private = &watch;
  t_ours = &watch;
  ctxt->sax->startElementNs = WatchElement;
  ctxt->sax->endElementNs = WatchEnd;
  ctxt->sax->comment = WatchComment;
  ctxt->sax->processingInstruction = WatchPI;
  ctxt->sax->cdataBlock = WatchCData;
  ctxt->sax->serror = Quiet;
  t_noMemory = false;
  if (huge) ctxt->sax->entityDecl = RefuseEntities;
  // NOBLANKS drops most indentation as it is read; Tidy drops the rest.
  xmlDocPtr doc = read(ctxt, XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                 XML_PARSE_NOWARNING | XML_PARSE_COMPACT | (huge ? XML_PARSE_HUGE : 0));
  if (!doc || !ctxt->wellFormed || !ctxt->nsWellFormed) {
    xmlErrorPtr err = xmlCtxtGetLastError(ctxt);
    reason = err && err->message ? err->message : "the document is not well-formed";
    while (!reason.empty() && reason.back() == '\n') reason.pop_back();
    if (err && err->line > 0) reason += " (line " + std::to_string(err->line) + ")";
    if (ctxt->errNo == XML_ERR_USER_STOP) reason = "a document this large may not declare entities";
    noMemory = t_noMemory;
    if (doc) xmlFreeDoc(doc);
    doc = nullptr;
  }
  xmlFreeParserCtxt(ctxt);
  t_ours = nullptr;
  return doc;
}

// Parses and finishes the tree; head is the start of the markup, for its
// declaration. A document that failed within libxml2's limits is read once
// more beyond them when rewind() can start it again: what the library
// writes (a text of any length) it must be able to read.
template <class Read, class Rewind>
ParsedXml Parse(const std::string& head, Read read, Rewind rewind) {
  InstallLoader();
  ParsedXml out;
  Watch watch;
  watch.out = &out;
  out.doc = ReadOnce(read, false, watch, out.reason, out.noMemory);
  std::string second;
  bool again = false;
  if (!out.doc && !out.noMemory && rewind()) {
    // The first reading's notes were of a document that was thrown away.
    out.hasNamespaces = false;
    out.defaultUri.clear();
    watch = Watch();
    watch.out = &out;
    if ((out.doc = ReadOnce(read, true, watch, second, again)) != nullptr) out.reason.clear();
  }
  if (!out.doc) return out;
  // Top-level text is never kept; elsewhere the watch says where to look.
  if (watch.maybeBlank) {
    out.hasNamespaces = false;
    out.defaultUri.clear();
    Tidy(out.doc, out);
  }
  std::string decl;
  if (Declaration(head.data(), head.size(), out.doc, decl)) AddDeclaration(out.doc, decl);
  return out;
}

}  // namespace

ParsedXml ParseXmlText(const wchar_t* text, size_t length) {
  if (length > static_cast<size_t>(INT32_MAX) / 4) {
    ParsedXml out;
    out.reason = "the document is larger than 2 GB";
    return out;
  }
  std::string head = ZelWideToUtf8(text, std::min(length, kHead));
  return Parse(
      head,
      [&](xmlParserCtxtPtr ctxt, int options) {
        // A string's declaration names the encoding of the file it came
        // from, not of the string: it is kept but not obeyed, and the UTF-8
        // it is handed over in needs no converter.
        TextReader reader{text, length, std::string()};
        return xmlCtxtReadIO(ctxt, &TextReader::Read, nullptr, &reader, nullptr, nullptr,
                             options | XML_PARSE_IGNORE_ENC);
      },
      [&] { return length >= kLimitReach; });
}

ParsedXml ParseXmlFile(int fd) {
  std::string head(kHead, '\0');
  ssize_t n = pread(fd, &head[0], head.size(), 0);
  head.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return Parse(
      head, [&](xmlParserCtxtPtr ctxt, int options) { return xmlCtxtReadFd(ctxt, fd, nullptr, nullptr, options); },
      [&] {
        struct stat st;
        return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) >= kLimitReach &&
               lseek(fd, 0, SEEK_SET) == 0;
      });
}

std::string WriteDocument(xmlDocPtr doc, bool inDeclaredEncoding) {
  std::string enc = inDeclaredEncoding ? DeclaredEncoding(doc) : std::string();
  if (enc.empty()) enc = "UTF-8";
  // Asked first, so that libxml2 does not print its own complaint.
  xmlCharEncodingHandlerPtr known = xmlFindCharEncodingHandler(enc.c_str());
  if (!known) Raise(E_FAIL, ERROR_INVALID_DATA, L"the encoding the declaration names is not known");
  xmlCharEncCloseFunc(known);
  CheckEncodable(doc, enc);
  xmlBufferPtr buf = xmlBufferCreate();
  if (!buf) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"buffer");
  // NO_XHTML: a document with an XHTML type is still written as XML, as
  // it is held, without libxml2's meta element and empty-tag rewriting.
  xmlSaveCtxtPtr save = xmlSaveToBuffer(buf, enc.c_str(), XML_SAVE_NO_DECL | XML_SAVE_AS_XML | XML_SAVE_NO_XHTML);
  if (!save) {
    xmlBufferFree(buf);
    Raise(E_FAIL, ERROR_INVALID_DATA, L"the encoding the declaration names is not known");
  }
  // libxml2 would write the encoding it read instead of the one asked for.
  const xmlChar* read = doc->encoding;
  doc->encoding = nullptr;
  xmlSaveDoc(save, doc);
  xmlSaveClose(save);
  doc->encoding = read;
  return Take(buf);
}

std::string WriteNode(xmlNodePtr node) {
  if (node->type == XML_DOCUMENT_NODE) return WriteDocument(reinterpret_cast<xmlDocPtr>(node), false);
  xmlBufferPtr buf = xmlBufferCreate();
  if (!buf) Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"buffer");
  if (node->type == XML_ATTRIBUTE_NODE) {
    xmlChar* value = xmlNodeGetContent(node);
    std::string name = node->ns && node->ns->prefix ? std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":" : "";
    name += reinterpret_cast<const char*>(node->name);
    xmlBufferCCat(buf, name.c_str());
    xmlBufferCCat(buf, "=\"");
    xmlAttrSerializeTxtContent(buf, node->doc, reinterpret_cast<xmlAttrPtr>(node), value ? value : X(""));
    xmlBufferCCat(buf, "\"");
    xmlFree(value);
    return Take(buf);
  }
  xmlSaveCtxtPtr save = xmlSaveToBuffer(buf, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML | XML_SAVE_NO_XHTML);
  if (!save) {
    xmlBufferFree(buf);
    Raise(E_OUTOFMEMORY, ERROR_NOT_ENOUGH_MEMORY, L"writer");
  }
  xmlSaveTree(save, node);
  xmlSaveClose(save);
  return Take(buf);
}

}  // namespace zel_msxml
