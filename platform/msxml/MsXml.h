// The XML DOM: document, nodes, node lists and attribute maps, with the
// names and shapes of the Windows DOM interfaces, over libxml2.
//
// Methods raise _com_error on failure (the last error is set too), as the
// wrappers of the original type library do; load and loadXML answer
// VARIANT_FALSE for a file or text that does not parse.
//
// What the callers rely on:
// - The document is a node; its children are the top-level nodes in order.
//   The XML declaration is one of them (a processing instruction named
//   "xml"), and saving writes what the document holds: never a second
//   declaration, no indentation, in the encoding the declaration names.
// - Handles keep their document alive: a node handle works after the
//   document object is gone or has loaded something else, and a removed
//   node stays valid while a handle holds it.
// - selectNodes evaluates XPath 1.0, except that a name test matches the
//   qualified name as written, so "root/a" finds a under root also in a
//   default namespace.
// - Text nodes of white space only are dropped on load, unless under
//   xml:space="preserve".
// - Loading never fetches an external entity or DTD and bounds entity
//   expansion; undeclared namespace prefixes make a document malformed.
#pragma once

#include "ZELExport.h"

#include "platform/base/Com.h"
#include "platform/base/WinError.h"
#include "platform/oleaut/OleAut.h"

enum DOMNodeType {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_ENTITY_REFERENCE = 5,
  NODE_ENTITY = 6,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
  NODE_DOCUMENT_TYPE = 10,
  NODE_DOCUMENT_FRAGMENT = 11,
  NODE_NOTATION = 12
};

struct IXMLDOMNode;
struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMElement;
struct IXMLDOMProcessingInstruction;
struct IXMLDOMDocument2;
_COM_SMARTPTR_TYPEDEF(IXMLDOMNode, __uuidof(IXMLDOMNode));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNodeList, __uuidof(IXMLDOMNodeList));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNamedNodeMap, __uuidof(IXMLDOMNamedNodeMap));
_COM_SMARTPTR_TYPEDEF(IXMLDOMElement, __uuidof(IXMLDOMElement));
_COM_SMARTPTR_TYPEDEF(IXMLDOMProcessingInstruction, __uuidof(IXMLDOMProcessingInstruction));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument2, __uuidof(IXMLDOMDocument2));

struct ZEL_EXPORT IXMLDOMNode : virtual IUnknown {
  virtual _bstr_t GetnodeName() = 0;
  virtual DOMNodeType GetnodeType() = 0;
  virtual _bstr_t GetnamespaceURI() = 0;
  virtual _bstr_t Getprefix() = 0;
  virtual _bstr_t GetbaseName() = 0;
  // The text of the node and its descendants; setting replaces the content
  // with the text as it stands (no markup is parsed).
  virtual _bstr_t Gettext() = 0;
  virtual void Puttext(const _bstr_t& text) = 0;
  // The node's markup with its descendants, as it is saved.
  virtual _bstr_t Getxml() = 0;

  virtual IXMLDOMNodePtr GetparentNode() = 0;
  virtual IXMLDOMNodeListPtr GetchildNodes() = 0;
  virtual IXMLDOMNodePtr GetfirstChild() = 0;
  virtual IXMLDOMNodePtr GetlastChild() = 0;
  virtual IXMLDOMNodePtr GetpreviousSibling() = 0;
  virtual IXMLDOMNodePtr GetnextSibling() = 0;
  virtual VARIANT_BOOL hasChildNodes() = 0;
  // NULL for a node kind without attributes.
  virtual IXMLDOMNamedNodeMapPtr Getattributes() = 0;

  // Moves newChild (taking it out of its present parent) to the end of
  // this node's children; answers newChild.
  virtual IXMLDOMNodePtr appendChild(IXMLDOMNode* newChild) = 0;
  virtual IXMLDOMNodePtr removeChild(IXMLDOMNode* child) = 0;

  virtual IXMLDOMNodeListPtr selectNodes(const _bstr_t& path) = 0;
  virtual IXMLDOMNodePtr selectSingleNode(const _bstr_t& path) = 0;
};

struct ZEL_EXPORT IXMLDOMNodeList : virtual IUnknown {
  virtual long Getlength() = 0;
  // NULL for a position outside the list.
  virtual IXMLDOMNodePtr Getitem(long index) = 0;
};

// An element's attributes by qualified name. Namespace declarations are
// not attributes here.
struct ZEL_EXPORT IXMLDOMNamedNodeMap : virtual IUnknown {
  virtual long Getlength() = 0;
  virtual IXMLDOMNodePtr Getitem(long index) = 0;
  virtual IXMLDOMNodePtr getNamedItem(const _bstr_t& name) = 0;
  // Adds an attribute node, replacing one of the same name; answers it.
  virtual IXMLDOMNodePtr setNamedItem(IXMLDOMNode* attribute) = 0;
  virtual IXMLDOMNodePtr removeNamedItem(const _bstr_t& name) = 0;
};

struct ZEL_EXPORT IXMLDOMElement : virtual IXMLDOMNode {
  virtual _bstr_t GettagName() = 0;
  virtual _variant_t getAttribute(const _bstr_t& name) = 0;  // null when absent
  virtual void setAttribute(const _bstr_t& name, const _variant_t& value) = 0;
};

struct ZEL_EXPORT IXMLDOMProcessingInstruction : virtual IXMLDOMNode {
  virtual _bstr_t Gettarget() = 0;
  virtual _bstr_t Getdata() = 0;
};

struct ZEL_EXPORT IXMLDOMDocument2 : virtual IXMLDOMNode {
  // Kept for the callers: loading is always synchronous, never validates
  // and never fetches anything outside the document.
  virtual void Putasync(VARIANT_BOOL value) = 0;
  virtual VARIANT_BOOL Getasync() = 0;
  virtual void PutvalidateOnParse(VARIANT_BOOL value) = 0;
  virtual VARIANT_BOOL GetvalidateOnParse() = 0;
  virtual void PutresolveExternals(VARIANT_BOOL value) = 0;
  virtual VARIANT_BOOL GetresolveExternals() = 0;

  // Replace the document with a file's or a text's; VARIANT_FALSE (and an
  // empty document) when it does not load, with the last error set.
  virtual VARIANT_BOOL load(const _variant_t& path) = 0;
  virtual VARIANT_BOOL loadXML(const _bstr_t& xml) = 0;
  // Why the last load failed; empty after a successful one.
  virtual _bstr_t GetparseErrorReason() = 0;
  virtual HRESULT save(const _variant_t& path) = 0;

  virtual IXMLDOMElementPtr GetdocumentElement() = 0;
  virtual void PutRefdocumentElement(IXMLDOMElement* element) = 0;

  virtual IXMLDOMElementPtr createElement(const _bstr_t& tagName) = 0;
  virtual IXMLDOMProcessingInstructionPtr createProcessingInstruction(const _bstr_t& target,
                                                                      const _bstr_t& data) = 0;
  virtual IXMLDOMNodePtr createTextNode(const _bstr_t& data) = 0;
  virtual IXMLDOMNodePtr createComment(const _bstr_t& data) = 0;
  // type: a DOMNodeType as a number (element, attribute, text, CDATA,
  // processing instruction, comment); name may carry a prefix.
  virtual IXMLDOMNodePtr createNode(const _variant_t& type, const _bstr_t& name, const _bstr_t& namespaceURI) = 0;
};

// The document class of version 3.0, the one class this DOM creates.
extern ZEL_EXPORT const CLSID CLSID_DOMDocument30;
// The creator _com_ptr_t::CreateInstance finds: REGDB_E_CLASSNOTREG for
// any other class.
ZEL_EXPORT HRESULT ZelCreateObject(const CLSID& clsid, IXMLDOMDocument2** ppOut);

// A handle used where a node is needed: raises E_POINTER for NULL, as the
// original handles do on a call through NULL.
template <class T>
T* ZelNeed(const _com_ptr_t<T>& p) {
  if (!p) {
    SetLastError(ERROR_INVALID_ADDRESS);
    throw _com_error(E_POINTER);
  }
  return p.GetInterfacePtr();
}
