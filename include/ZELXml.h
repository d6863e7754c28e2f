// ZELXml: an XML document with nodes addressed by slash-separated paths and
// a 0-based occurrence index.
//
// The document's lifecycle is ZELFile's (New, Open, Save, SaveAs, Close),
// reaching this class through the hooks; Load and Copy make a document from
// text or from another object. Each operation exists in a form with _bstr_t
// strings and one, ending in 2, with const wchar_t* inputs and CString
// outputs. Failures are logged through ZELLog and answered with a neutral
// result (NULL, FALSE, 0, -1 or an empty string), except where a node
// operation passes the DOM's _com_error on.
//
// Paths are XPath 1.0 evaluated from the document (or the given node),
// with names matched as written, so "root/item" finds the item elements
// under the document element root also in a default namespace. Node
// handles stay valid after Close and after the object is gone.
#pragma once

#include "ZELExport.h"

#include "ZELFile.h"
#include "platform/mfc/Array.h"
#include "platform/mfc/String.h"
#include "platform/msxml/MsXml.h"

enum ZelXmlSite : int;
struct ZELFailure;

class ZEL_EXPORT ZELXml : public ZELFile {
public:
  explicit ZELXml(ZELLog* pLog = NULL, int nLevel = 1, const wchar_t* pszName = NULL);
  // Copies share the document, as after operator=.
  ZELXml(const ZELXml& src);
  virtual ~ZELXml();
  ZELXml& operator=(const ZELXml& src);

  // Lifecycle.
  int Load(_bstr_t& xml);
  int Load2(const wchar_t* xml);
  int Copy(ZELXml& src);
  // Adds the declaration and makes an element named name the document
  // element.
  int CreateRoot(_bstr_t& name);
  // The document node (whose children are the top-level nodes).
  IXMLDOMNodePtr GetRootNode();

  static CString GetXMLString(const wchar_t* text);
  static void BSTRtoCString(_bstr_t& in, CString& out);
  static void SafeRelease(IXMLDOMNodePtr& node);

  // Addressing. A NULL node makes a child form act as its document form.
  IXMLDOMNodePtr GetNode(long order);
  IXMLDOMNodePtr GetNode(_bstr_t& path, long order);
  IXMLDOMNodePtr GetNode2(const wchar_t* path, long order);
  IXMLDOMNodePtr GetChildNode(IXMLDOMNodePtr& node, long order);
  IXMLDOMNodePtr GetChildNode(IXMLDOMNodePtr& node, _bstr_t& path, long order);
  IXMLDOMNodePtr GetChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, long order);
  int GetNodeCount(_bstr_t& path);
  int GetNodeCount2(const wchar_t* path);
  int GetNodeCount(IXMLDOMNodePtr& node, _bstr_t& path);
  int GetNodeCount2(IXMLDOMNodePtr& node, const wchar_t* path);
  int GetChildCount(IXMLDOMNodePtr& node);
  IXMLDOMNodePtr GetParentNode(IXMLDOMNodePtr& node);
  // -1 (not 1) when the node has children: test for nonzero.
  int IsHasChildren(IXMLDOMNodePtr& node);

  // Reading.
  void GetNodeXML(IXMLDOMNodePtr& node, _bstr_t& out);
  void GetNodeXML2(IXMLDOMNodePtr& node, CString& out);
  void GetNodeName(IXMLDOMNodePtr& node, _bstr_t& out);
  void GetNodeName2(IXMLDOMNodePtr& node, CString& out);
  void GetNodeText(IXMLDOMNodePtr& node, _bstr_t& out);
  void GetNodeText2(IXMLDOMNodePtr& node, CString& out);
  void GetNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& name, _bstr_t& out);
  void GetNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* name, CString& out);
  void GetNodeXML(_bstr_t& path, _bstr_t& out, long order);
  void GetNodeXML2(const wchar_t* path, CString& out, long order);
  void GetNodeText(_bstr_t& path, _bstr_t& out, long order);
  void GetNodeText2(const wchar_t* path, CString& out, long order);
  void GetNodeAttribute(_bstr_t& path, _bstr_t& name, _bstr_t& out, long order);
  void GetNodeAttribute2(const wchar_t* path, const wchar_t* name, CString& out, long order);
  void GetChildNodeXML(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& out, long order);
  void GetChildNodeXML2(IXMLDOMNodePtr& node, const wchar_t* path, CString& out, long order);
  void GetChildNodeText(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& out, long order);
  void GetChildNodeText2(IXMLDOMNodePtr& node, const wchar_t* path, CString& out, long order);
  void GetChildNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& name, _bstr_t& out, long order);
  void GetChildNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* name, CString& out,
                              long order);

  // Editing. Adding creates the missing elements of the path level by
  // level; order -1 appends a new last element every time.
  IXMLDOMNodePtr AddNode(_bstr_t& path, _bstr_t& text, long order);
  IXMLDOMNodePtr AddNode2(const wchar_t* path, const wchar_t* text, long order);
  IXMLDOMNodePtr AddChildNode(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& text, long order);
  IXMLDOMNodePtr AddChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* text, long order);
  void SetNodeText(IXMLDOMNodePtr& node, _bstr_t& text);
  void SetNodeText2(IXMLDOMNodePtr& node, const wchar_t* text);
  void SetNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& name, _bstr_t& value);
  void SetNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* name, const wchar_t* value);
  void SetNodeText(_bstr_t& path, _bstr_t& text, long order);
  void SetNodeText2(const wchar_t* path, const wchar_t* text, long order);
  void SetNodeAttribute(_bstr_t& path, _bstr_t& name, _bstr_t& value, long order);
  void SetNodeAttribute2(const wchar_t* path, const wchar_t* name, const wchar_t* value, long order);
  void SetChildNodeText(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& text, long order);
  void SetChildNodeText2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* text, long order);
  void SetChildNodeAttribute(IXMLDOMNodePtr& node, _bstr_t& path, _bstr_t& name, _bstr_t& value, long order);
  void SetChildNodeAttribute2(IXMLDOMNodePtr& node, const wchar_t* path, const wchar_t* name, const wchar_t* value,
                              long order);
  void RemoveNode(IXMLDOMNodePtr& node);
  void RemoveNode(_bstr_t& path, long order);
  void RemoveNode2(const wchar_t* path, long order);
  void RemoveChildNode(IXMLDOMNodePtr& node, _bstr_t& path, long order);
  void RemoveChildNode2(IXMLDOMNodePtr& node, const wchar_t* path, long order);
  void RemoveNodeAll(_bstr_t& path);
  void RemoveNodeAll2(const wchar_t* path);
  void RemoveChildNodeAll(IXMLDOMNodePtr& node);
  void RemoveChildNodeAll(IXMLDOMNodePtr& node, _bstr_t& path);
  void RemoveChildNodeAll2(IXMLDOMNodePtr& node, const wchar_t* path);

protected:
  // The result code of the document's creation, negative on failure.
  long InitXMLDom();
  virtual int OnFileNew();
  virtual int OnFileOpen(const wchar_t* path);
  virtual int OnFileSave(const wchar_t* path);
  virtual void OnFileClose();
  IXMLDOMNodePtr AddSingleNode(IXMLDOMNodePtr& parent, _bstr_t& name);

  IXMLDOMDocument2Ptr m_pXMLDom;

private:
  // Runs body; a platform failure is logged from site and makes the
  // answer FALSE. Anything else is a bug and propagates.
  template <class F>
  BOOL Guard(ZelXmlSite site, F body, const wchar_t* what = NULL);
  void ReportFailure(ZelXmlSite site, const ZELFailure& f, const wchar_t* what);
  // One error record from site; what defaults to the operation's name.
  void Report(ZelXmlSite site, long code, const wchar_t* what = NULL);
  // IsOpened(), with the "XML is not opened" warning when not.
  BOOL CheckOpened();
  void WarnOrder();
  // The item order of list, or NULL after the order warning.
  IXMLDOMNodePtr Pick(IXMLDOMNodeListPtr& list, long order);
  int LoadText(_bstr_t& xml, ZelXmlSite site);
  IXMLDOMNodePtr AddPath(IXMLDOMNodePtr start, _bstr_t& path, _bstr_t& text, long order);
  void RemoveAllIn(IXMLDOMNode* context, _bstr_t& path);
};
