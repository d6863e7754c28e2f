#include "DomTest.h"

#include <chrono>

#include "support/EntityBomb.h"
#include "support/TempDir.h"

TEST_F(DomTest, DeclarationIsTheFirstNodeAndIsWrittenOnce) {
  Load(L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- c --><r>\u00e9</r>");
  IXMLDOMNodePtr first = doc->GetfirstChild();
  EXPECT_EQ(NODE_PROCESSING_INSTRUCTION, first->GetnodeType());
  EXPECT_EQ("xml", Narrow(first->GetnodeName()));
  EXPECT_EQ(3, doc->GetchildNodes()->Getlength());

  zeltest::TempDir dir;
  ASSERT_EQ(S_OK, doc->save(_variant_t(dir.file("a.xml").c_str())));
  // In the encoding the declaration names, with nothing added.
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- c -->\n<r>\xe9</r>\n",
            zeltest::ReadFileBytes(dir.file("a.xml")));
  ASSERT_EQ(VARIANT_TRUE, doc->load(_variant_t(dir.file("a.xml").c_str())));
  EXPECT_EQ(L"\u00e9", std::wstring(doc->GetdocumentElement()->Gettext()));
}

TEST_F(DomTest, Utf16FileKeepsItsDeclarationAndEncoding) {
  zeltest::TempDir dir;
  std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>\u20ac</r>";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  zeltest::WriteFileBytes(dir.file("u.xml"), bytes);
  ASSERT_EQ(VARIANT_TRUE, doc->load(_variant_t(dir.file("u.xml").c_str()))) << Narrow(doc->GetparseErrorReason());
  EXPECT_EQ("version=\"1.0\" encoding=\"UTF-16\"", Narrow(IXMLDOMProcessingInstructionPtr(doc->GetfirstChild())->Getdata()));
  EXPECT_EQ(L"\u20ac", std::wstring(doc->GetdocumentElement()->Gettext()));
  ASSERT_EQ(S_OK, doc->save(_variant_t(dir.file("v.xml").c_str())));
  ASSERT_EQ(VARIANT_TRUE, doc->load(_variant_t(dir.file("v.xml").c_str())));
  EXPECT_EQ(L"\u20ac", std::wstring(doc->GetdocumentElement()->Gettext()));
  EXPECT_EQ(0, zeltest::ReadFileBytes(dir.file("v.xml"))[3]);  // still two bytes a character
}

TEST_F(DomTest, DocumentWithoutDeclarationIsSavedWithout) {
  Load(L"<r><a/></r>");
  EXPECT_EQ("<r><a/></r>\n", Xml(doc));
  IXMLDOMProcessingInstructionPtr pi = doc->createProcessingInstruction(L"xml", L"version='1.0'");
  EXPECT_THROW(doc->appendChild(pi), _com_error);  // only as the first node
}

TEST_F(DomTest, WhiteSpaceOnlyTextIsDroppedUnlessPreserved) {
  Load(L"<r>\n  <a> x </a>\n  <b>  </b>\n  <c xml:space=\"preserve\"> </c>\n</r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  EXPECT_EQ(3, r->GetchildNodes()->Getlength());
  EXPECT_EQ(" x ", Narrow(r->GetfirstChild()->Gettext()));
  EXPECT_EQ(VARIANT_FALSE, r->selectSingleNode(L"b")->hasChildNodes());
  EXPECT_EQ(" ", Narrow(r->selectSingleNode(L"c")->Gettext()));
}

TEST_F(DomTest, TextIsSetLiterallyAndReadAcrossDescendants) {
  Load(L"<r><a>1<b>2</b>3</a></r>");
  IXMLDOMNodePtr a = doc->selectSingleNode(L"r/a");
  EXPECT_EQ("123", Narrow(a->Gettext()));
  IXMLDOMNodePtr b = a->selectSingleNode(L"b");
  a->Puttext(L"x&y<z");
  EXPECT_EQ("<a>x&amp;y&lt;z</a>", Xml(a));
  EXPECT_EQ("x&y<z", Narrow(a->Gettext()));
  // The replaced child still answers through the handle kept on it.
  EXPECT_EQ("2", Narrow(b->Gettext()));
  EXPECT_TRUE(b->GetparentNode() == NULL);
}

TEST_F(DomTest, HandlesOutliveTheDocumentObjectAndReloads) {
  Load(L"<r xmlns:p=\"urn:p\"><p:a k=\"v\">t</p:a></r>");
  IXMLDOMNodePtr a = doc->selectSingleNode(L"r/p:a");
  ASSERT_TRUE(a != NULL);
  Load(L"<other/>");
  EXPECT_EQ("t", Narrow(a->Gettext()));
  doc = NULL;
  EXPECT_EQ("p:a", Narrow(a->GetnodeName()));
  EXPECT_EQ("urn:p", Narrow(a->GetnamespaceURI()));
  IXMLDOMNodePtr parent = a->GetparentNode();
  EXPECT_EQ("r", Narrow(parent->GetnodeName()));
  EXPECT_EQ(NODE_DOCUMENT, parent->GetparentNode()->GetnodeType());
}

TEST_F(DomTest, RemovedNodeKeepsItsSubtreeAndNamespace) {
  Load(L"<r xmlns=\"urn:d\" xmlns:q=\"urn:q\"><a q:k=\"1\"><b>x</b></a><c/></r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  IXMLDOMNodePtr a = r->GetfirstChild();
  IXMLDOMNodePtr removed = r->removeChild(a);
  r = NULL;
  Load(L"<gone/>");  // the old tree now lives only through the handle
  EXPECT_EQ("urn:d", Narrow(removed->GetnamespaceURI()));
  EXPECT_EQ("x", Narrow(removed->selectSingleNode(L"b")->Gettext()));
  EXPECT_EQ("<a xmlns=\"urn:d\" xmlns:q=\"urn:q\" q:k=\"1\"><b>x</b></a>", Xml(removed));
}

TEST_F(DomTest, OneNodeGivesOneHandle) {
  Load(L"<r><a/><a/></r>");
  IXMLDOMNodePtr x = doc->selectSingleNode(L"r/a"), y = doc->selectNodes(L"r/a")->Getitem(0);
  EXPECT_TRUE(x == y);
  EXPECT_FALSE(x == doc->selectNodes(L"r/a")->Getitem(1));
  EXPECT_TRUE(IXMLDOMNodePtr(doc) == doc->GetdocumentElement()->GetparentNode());
}

TEST_F(DomTest, AppendRefusesWhatADocumentCannotHold) {
  Load(L"<r><a/></r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement(), a = r->GetfirstChild();
  EXPECT_THROW(a->appendChild(r), _com_error);                            // below itself
  EXPECT_THROW(doc->appendChild(doc->createElement(L"second")), _com_error);  // two roots
  IXMLDOMDocument2Ptr other;
  ASSERT_EQ(S_OK, other.CreateInstance(CLSID_DOMDocument30));
  EXPECT_THROW(r->appendChild(other->createElement(L"x")), _com_error);
  EXPECT_THROW(doc->createElement(L"1bad"), _com_error);
  EXPECT_THROW(doc->createElement(L""), _com_error);
  // Moving a node keeps one copy of it.
  r->appendChild(doc->createElement(L"b"));
  r->appendChild(a);
  EXPECT_EQ("<r><b/><a/></r>", Xml(r));
}

TEST_F(DomTest, NewElementsFollowTheNamespaceTheyAreGiven) {
  Load(L"<r xmlns=\"urn:d\"/>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  r->appendChild(doc->createNode(_variant_t(1L), L"a", L"urn:d"));
  r->appendChild(doc->createElement(L"n"));
  EXPECT_EQ("<r xmlns=\"urn:d\"><a/><n xmlns=\"\"/></r>", Xml(r));
  EXPECT_EQ(1, doc->selectNodes(L"r/a")->Getlength());
}

TEST_F(DomTest, AttributesByName) {
  Load(L"<r a=\"1\"/>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  IXMLDOMNamedNodeMapPtr attrs = r->Getattributes();
  EXPECT_EQ("1", Narrow(attrs->getNamedItem(L"a")->Gettext()));
  EXPECT_TRUE(attrs->getNamedItem(L"b") == NULL);
  IXMLDOMNodePtr b = attrs->setNamedItem(doc->createNode(_variant_t(2L), L"b", L""));
  b->Puttext(L"<\"&>");
  IXMLDOMNodePtr old = attrs->getNamedItem(L"a");
  attrs->setNamedItem(doc->createNode(_variant_t(2L), L"a", L""));  // replaces
  EXPECT_EQ("1", Narrow(old->Gettext()));
  EXPECT_EQ("<r b=\"&lt;&quot;&amp;&gt;\" a=\"\"/>", Xml(r));
  EXPECT_TRUE(doc->createTextNode(L"t")->Getattributes() == NULL);
}

TEST_F(DomTest, MalformedAndUnsafeDocumentsDoNotLoad) {
  EXPECT_EQ(VARIANT_FALSE, doc->loadXML(L"<r><a></r>"));
  EXPECT_NE(0u, doc->GetparseErrorReason().length());
  EXPECT_EQ(ERROR_INVALID_DATA, GetLastError());
  EXPECT_TRUE(doc->GetdocumentElement() == NULL);
  EXPECT_EQ(VARIANT_FALSE, doc->loadXML(L"<r><p:a/></r>"));  // undeclared prefix

  std::wstring lol = zeltest::EntityBomb();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(VARIANT_FALSE, doc->loadXML(lol.c_str()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));  // a hang guard, not a speed test
}

TEST_F(DomTest, NothingOutsideTheDocumentIsRead) {
  zeltest::TempDir dir;
  zeltest::WriteFileBytes(dir.file("secret.txt"), "SECRET");
  zeltest::WriteFileBytes(dir.file("ext.dtd"), "<!ENTITY s \"SECRET\">");
  std::wstring url = L"file://" + dir.wfile("secret.txt");
  std::wstring xml = L"<!DOCTYPE r [<!ENTITY x SYSTEM \"" + url + L"\">]><r>&x;</r>";
  Load(xml.c_str());
  EXPECT_EQ(std::string::npos, Narrow(doc->Getxml()).find("SECRET"));
  EXPECT_EQ("", Narrow(doc->GetdocumentElement()->Gettext()));
  std::wstring dtd = L"<!DOCTYPE r SYSTEM \"file://" + dir.wfile("ext.dtd") + L"\"><r>&s;</r>";
  if (doc->loadXML(dtd.c_str())) {
    EXPECT_EQ(std::string::npos, Narrow(doc->Getxml()).find("SECRET"));
  }
}

TEST_F(DomTest, FileFailuresSetTheLastError) {
  zeltest::TempDir dir;
  EXPECT_EQ(VARIANT_FALSE, doc->load(_variant_t(dir.file("none.xml").c_str())));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  Load(L"<r/>");
  EXPECT_THROW(doc->save(_variant_t(dir.file("no/such/dir.xml").c_str())), _com_error);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
  Load(L"<?xml version='1.0' encoding='x-none'?><r/>");
  EXPECT_THROW(doc->save(_variant_t(dir.file("a.xml").c_str())), _com_error);
}
