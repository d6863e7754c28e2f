// Selections answered by walking the tree or from the tree's cache must be
// what XPath answers on the tree as it is now.
#include <cstdint>
#include <string>
#include <vector>

#include "DomTest.h"

namespace {

// The nodes of a list, in order, as "name:handle" (handles are held by the
// list's owner, so equal handles are the same node).
std::vector<std::string> Nodes(IXMLDOMNodeListPtr list, std::vector<IXMLDOMNodePtr>& held) {
  std::vector<std::string> out;
  for (long i = 0; i < list->Getlength(); ++i) {
    held.push_back(list->Getitem(i));
    out.push_back(static_cast<const char*>(held.back()->GetnodeName()) + (":" + std::to_string(reinterpret_cast<uintptr_t>(held.back().GetInterfacePtr()))));
  }
  return out;
}

// path as walked, and as XPath evaluates it (a predicate keeps it off the
// walk without changing what it selects).
void ExpectWalkIsXPath(IXMLDOMNode* context, const wchar_t* path) {
  std::wstring viaXPath = std::wstring(path) + L"[true()]";
  std::vector<IXMLDOMNodePtr> held;
  EXPECT_EQ(Nodes(context->selectNodes(viaXPath.c_str()), held), Nodes(context->selectNodes(path), held))
      << static_cast<const char*>(_bstr_t(path));
}

}  // namespace

TEST_F(DomTest, WalkedPathsSelectWhatXPathSelects) {
  const wchar_t* docs[] = {
      L"<r><a><b/><c/><b><b/></b></a><a/><a><b/></a><!--x--><?pi?></r>",
      L"<r xmlns=\"urn:d\"><a><b/></a><a><b/><b/></a></r>",
      L"<r xmlns=\"urn:d\" xmlns:p=\"urn:p\"><a/><p:a><b/></p:a><a><p:b/><b/></a><q xmlns=\"urn:o\"><a/></q></r>",
      L"<p:r xmlns:p=\"urn:p\" xmlns:q=\"urn:p\"><p:a/><q:a/><a xmlns=\"urn:p\"/></p:r>",
  };
  const wchar_t* paths[] = {L"r", L"r/a", L"r/a/b", L"r/*/b", L"r/*", L"*/*/*", L"/r/a", L"r/p:a", L"r/p:a/b",
                            L"r/a/p:b", L"p:r/p:a", L"p:r/q:a", L"p:r/a", L"r/q/a", L"x/y"};
  for (const wchar_t* xml : docs) {
    Load(xml);
    for (const wchar_t* path : paths) ExpectWalkIsXPath(doc, path);
    IXMLDOMNodePtr top = doc->GetdocumentElement();
    for (const wchar_t* path : {L"a", L"a/b", L"*", L"/r/a", L"p:a", L"b"}) ExpectWalkIsXPath(top, path);
    IXMLDOMNodePtr text = doc->createTextNode(L"t");
    EXPECT_EQ(0, text->selectNodes(L"a")->Getlength());
  }
}

TEST_F(DomTest, ARepeatedSelectionSeesEveryChange) {
  Load(L"<r><a id=\"1\">x</a><a id=\"2\">y</a></r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  EXPECT_EQ(2, doc->selectNodes(L"r/a")->Getlength());
  IXMLDOMNodePtr added = r->appendChild(doc->createElement(L"a"));
  EXPECT_EQ(3, doc->selectNodes(L"r/a")->Getlength());
  EXPECT_TRUE(doc->selectNodes(L"r/a")->Getitem(2) == added);
  r->removeChild(doc->selectNodes(L"r/a")->Getitem(0));
  EXPECT_EQ("2", Narrow(doc->selectSingleNode(L"r/a")->Getattributes()->getNamedItem(L"id")->Gettext()));

  // Changes that leave the elements as they are, seen by predicates.
  EXPECT_EQ(1, doc->selectNodes(L"r/a[.='y']")->Getlength());
  doc->selectSingleNode(L"r/a/text()")->Puttext(L"z");
  EXPECT_EQ(0, doc->selectNodes(L"r/a[.='y']")->Getlength());
  doc->selectSingleNode(L"r/a")->Puttext(L"y");
  EXPECT_EQ(1, doc->selectNodes(L"r/a[.='y']")->Getlength());
  EXPECT_EQ(1, doc->selectNodes(L"r/a[@id='2']")->Getlength());
  doc->selectSingleNode(L"r/a/@id")->Puttext(L"5");
  EXPECT_EQ(0, doc->selectNodes(L"r/a[@id='2']")->Getlength());
  IXMLDOMElementPtr(added)->setAttribute(L"id", L"2");
  EXPECT_EQ(1, doc->selectNodes(L"r/a[@id='2']")->Getlength());
  IXMLDOMNodePtr attr = doc->createNode(_variant_t(static_cast<long>(NODE_ATTRIBUTE)), L"k", L"");
  added->Getattributes()->setNamedItem(attr);
  EXPECT_EQ(1, doc->selectNodes(L"r/a[@k]")->Getlength());
  added->Getattributes()->removeNamedItem(L"k");
  EXPECT_EQ(0, doc->selectNodes(L"r/a[@k]")->Getlength());

  // Setting an element's text drops its child elements.
  Load(L"<r><a><b/><b/></a></r>");
  EXPECT_EQ(2, doc->selectNodes(L"r/a/b")->Getlength());
  doc->selectSingleNode(L"r/a")->Puttext(L"t");
  EXPECT_EQ(0, doc->selectNodes(L"r/a/b")->Getlength());

  // A new document element replaces the old one.
  doc->PutRefdocumentElement(doc->createElement(L"s"));
  EXPECT_EQ(0, doc->selectNodes(L"r")->Getlength());
  EXPECT_EQ(1, doc->selectNodes(L"s")->Getlength());
}

TEST_F(DomTest, AListPartlyReadKeepsTheMatchesOfItsTree) {
  Load(L"<r><a>1</a><a>2</a><a>3</a></r>");
  IXMLDOMNodePtr r = doc->GetdocumentElement();
  IXMLDOMNodeListPtr list = doc->selectNodes(L"r/a");
  EXPECT_EQ("1", Narrow(list->Getitem(0)->Gettext()));
  r->removeChild(r->GetlastChild());
  r->appendChild(doc->createElement(L"a"))->Puttext(L"4");
  EXPECT_EQ(3, list->Getlength());
  EXPECT_EQ("3", Narrow(list->Getitem(2)->Gettext()));  // removed, still held by the list
  EXPECT_EQ(3, doc->selectNodes(L"r/a")->Getlength());
  EXPECT_EQ("4", Narrow(doc->selectNodes(L"r/a")->Getitem(2)->Gettext()));
}
