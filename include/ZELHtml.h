// ZELHtml: an HTML document. Its root element holds the top-level tokens
// (document-type declaration, the html element, white space and comments
// around them) as children; the parsing is ZELHtmlElement's.
//
// Characters. Open takes bytes. A file that is valid UTF-8 is decoded as
// UTF-8; any other file is taken byte for byte, each byte one character
// (U+0000..U+00FF), and the document then saves byte for byte. So a file
// opened and saved unchanged is identical to the byte, whatever it holds.
// A document built with Load, or opened from UTF-8 files only, saves as
// UTF-8. A byte-for-byte document writes each character below U+0100 as
// one byte and any other character (one added later) as UTF-8.
//
// Failures: Open answers FALSE when the file cannot be opened or read, and
// the document is then as it was; Save answers FALSE when the file cannot
// be made or written. Markup never fails. Nothing is logged.
#pragma once

#include "ZELExport.h"

#include "ZELHtmlElement.h"

class ZEL_EXPORT ZELHtml {
public:
  ZELHtml();
  virtual ~ZELHtml();
  ZELHtml(const ZELHtml&) = delete;
  ZELHtml& operator=(const ZELHtml&) = delete;

  // Adds the file's tokens after what the document holds (Close first for
  // a fresh document).
  int Open(const wchar_t* path);
  // Replaces the document with html; the number of tokens.
  int Load(const wchar_t* html);
  int Save(const wchar_t* path);
  void Close();

  // The path rule of ZELHtmlElement::FindChildFormPath from the root.
  ZELHtmlElement* FindElement(const wchar_t* path, int nIndex);
  // pParent->FindChild(name, nIndex); NULL for a NULL parent.
  ZELHtmlElement* FindElement(ZELHtmlElement* pParent, const wchar_t* name, int nIndex);

  ZELHtmlElement m_root;

private:
  // Reads one file below pRoot; see ZELHtml.cpp.
  int ReadFile(const wchar_t* path, BOOL bBytes, ZELHtmlElement* pRoot);

  BOOL m_bByteText;  // some text was taken byte for byte: save it so
};
