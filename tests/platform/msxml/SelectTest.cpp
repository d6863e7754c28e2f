#include "DomTest.h"
#include "platform/msxml/XPathEngine.h"

using zel_msxml::RewriteNameTests;
using zel_msxml::XPathEngine;

TEST(RewriteNameTests, TouchesNameTestsOnly) {
  const XPathEngine::Names written = XPathEngine::kNamesAsWritten;
  EXPECT_EQ("*[name()='a']/*[name()='p:b']", RewriteNameTests("a/p:b", written));
  EXPECT_EQ("a/*[name()='p:b']", RewriteNameTests("a/p:b", XPathEngine::kNamesAsParsed));
  EXPECT_EQ("zeldefault:a/@id", RewriteNameTests("a/@id", XPathEngine::kNamesInDefault));
  // Unprefixed attributes are in no namespace: libxml2's test is exact.
  EXPECT_EQ("@id|attribute::id|@*[name()='p:id']", RewriteNameTests("@id|attribute::id|@p:id", written));
  EXPECT_EQ("child::*[name()='a'][2]", RewriteNameTests("child::a[2]", written));
  EXPECT_EQ("*[starts-with(name(),'p:')]", RewriteNameTests("p:*", written));
  // Functions, node types, operator names, multiplication, literals and
  // variables stay as written.
  EXPECT_EQ("count(*[name()='a']) div 2 * 3", RewriteNameTests("count(a) div 2 * 3", written));
  EXPECT_EQ("*[name()='a'][text()='b and c' or @x mod 2]", RewriteNameTests("a[text()='b and c' or @x mod 2]", written));
  EXPECT_EQ("//node()|$v", RewriteNameTests("//node()|$v", written));
}

TEST_F(DomTest, OneDefaultNamespaceMatchesUntilAnElementLeavesIt) {
  Load(L"<root xmlns=\"urn:d\"><a/><a/></root>");
  EXPECT_EQ(2, doc->selectNodes(L"root/a")->Getlength());
  IXMLDOMNodePtr root = doc->GetdocumentElement();
  root->appendChild(doc->createElement(L"a"));  // outside the namespace, yet written "a"
  EXPECT_EQ(3, doc->selectNodes(L"root/a")->Getlength());
  Load(L"<root xmlns=\"urn:d\" xmlns:p=\"urn:d\"><a/><p:a/></root>");
  EXPECT_EQ(1, doc->selectNodes(L"root/a")->Getlength());  // p:a is not written "a"
}

TEST_F(DomTest, NamesMatchAsWrittenInEveryNamespace) {
  Load(L"<root xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a id=\"1\"/><p:a/><a id=\"2\"/><q xmlns=\"urn:other\"><a/></q></root>");
  EXPECT_EQ(2, doc->selectNodes(L"root/a")->Getlength());
  EXPECT_EQ(1, doc->selectNodes(L"root/p:a")->Getlength());
  EXPECT_EQ(3, doc->selectNodes(L"//a")->Getlength());
  EXPECT_EQ("2", Narrow(doc->selectSingleNode(L"root/a[2]/@id")->Gettext()));
  EXPECT_EQ(1, doc->selectNodes(L"/root/a[@id='1']")->Getlength());
  EXPECT_EQ(1, doc->selectNodes(L"root/*[local-name()='q']")->Getlength());
}

TEST_F(DomTest, PathsOfNamesStartAtTheContext) {
  Load(L"<a><b><c/></b><b/></a>");
  EXPECT_EQ(2, doc->selectNodes(L"a/b")->Getlength());
  EXPECT_EQ(0, doc->selectNodes(L"b")->Getlength());
  IXMLDOMNodePtr b = doc->selectSingleNode(L"a/b");
  EXPECT_EQ(1, b->selectNodes(L"c")->Getlength());
  EXPECT_EQ(2, b->selectNodes(L"/a/b")->Getlength());  // "/" starts at the document
  EXPECT_EQ(NODE_DOCUMENT, doc->selectSingleNode(L"/")->GetnodeType());
}

TEST_F(DomTest, PathsThatSelectNoNodesRaise) {
  Load(L"<a/>");
  EXPECT_THROW(doc->selectNodes(L"a["), _com_error);
  EXPECT_THROW(doc->selectNodes(L"count(a)"), _com_error);
  EXPECT_THROW(doc->selectNodes(L""), _com_error);
  EXPECT_THROW(doc->selectNodes(L"$undefined"), _com_error);
}

TEST_F(DomTest, AListKeepsItsNodesWhileTheyAreRemoved) {
  Load(L"<r><a>1</a><a>2</a><a>3</a></r>");
  IXMLDOMNodeListPtr list = doc->selectNodes(L"r/a");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  for (long i = list->Getlength() - 1; i >= 0; --i) r->removeChild(list->Getitem(i));
  EXPECT_EQ("2", Narrow(list->Getitem(1)->Gettext()));  // freed only when the list goes
  EXPECT_EQ(VARIANT_FALSE, r->hasChildNodes());
  IXMLDOMNodeListPtr children = r->GetchildNodes();
  r->appendChild(doc->createElement(L"x"));
  EXPECT_EQ(1, children->Getlength());  // a live list
}
