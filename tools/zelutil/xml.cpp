// zelutil xml new FILE ROOT                 a document holding only ROOT
// zelutil xml get FILE PATH [INDEX]          the text of the node
// zelutil xml set FILE PATH TEXT [INDEX]     set it (creating missing elements)
// zelutil xml attr FILE PATH NAME [VALUE]    read an attribute, or set it
// zelutil xml count FILE PATH                how many nodes PATH matches
// zelutil xml rm FILE PATH                   remove every node PATH matches
// PATH is an XPath from the document, names matched as written (so
// "catalog/item" also in a default namespace); INDEX picks among matches
// from 0. Changes are saved back to FILE, under an advisory lock on it so
// that parallel edits of one file all land.
#include <iostream>
#include <memory>

#include "Command.h"
#include "FileLock.h"
#include "ZELXml.h"

namespace {

struct Args {
  std::string file, path, text, name, value;
  long index = 0;
};

using zelutil::Failure;
using zelutil::kExitFailed;
using zelutil::kExitUsage;
using zelutil::LastReport;

std::unique_ptr<ZELXml> OpenDoc(const Args& a) {
  auto x = std::make_unique<ZELXml>();
  if (!x->Open(zelutil::Wide(a.file).c_str())) {
    std::string why = zelutil::FileProblem(a.file);
    throw Failure(kExitFailed, "cannot load " + a.file + (why.empty() ? LastReport(*x) : why));
  }
  return x;
}

int Count(ZELXml& x, const Args& a) {
  int n = x.GetNodeCount2(zelutil::Wide(a.path).c_str());
  if (n < 0) throw Failure(kExitUsage, "not a path of nodes: " + a.path + LastReport(x));
  return n;
}

IXMLDOMNodePtr Find(ZELXml& x, const Args& a) {
  if (a.index < 0 || a.index >= Count(x, a))
    throw Failure(kExitFailed, "no node " + a.path + " [" + std::to_string(a.index) + "] in " + a.file);
  return x.GetNode2(zelutil::Wide(a.path).c_str(), a.index);
}

void SaveBack(ZELXml& x, const Args& a) {
  if (!x.Save()) throw Failure(kExitFailed, "cannot save " + a.file + LastReport(x));
}

// A missing attribute is a failure, as in every subcommand that reads one.
bool HasAttribute(IXMLDOMNodePtr& node, const std::string& name) {
  try {
    IXMLDOMNamedNodeMapPtr attributes = node->Getattributes();
    return attributes && attributes->getNamedItem(_bstr_t(zelutil::Wide(name).c_str()));
  } catch (const _com_error&) {
    return false;
  }
}

void Add(CLI::App& app) {
  auto a = std::make_shared<Args>();
  auto* xml = app.add_subcommand("xml", "read and edit XML files by path (changes are saved back)");
  xml->require_subcommand(1);

  auto* make = xml->add_subcommand("new", "write a new document with the declaration and an empty ROOT");
  make->add_option("FILE", a->file)->required();
  make->add_option("ROOT", a->name)->required();
  make->callback([a] {
    ZELXml x;
    _bstr_t root(zelutil::Wide(a->name).c_str());
    if (!x.New() || !x.CreateRoot(root)) throw Failure(kExitUsage, "cannot make a root named " + a->name + LastReport(x));
    if (!x.SaveAs(zelutil::Wide(a->file).c_str())) throw Failure(kExitFailed, "cannot save " + a->file + LastReport(x));
  });

  auto* get = xml->add_subcommand("get", "print the text of the node at PATH");
  get->add_option("FILE", a->file)->required();
  get->add_option("PATH", a->path)->required();
  get->add_option("INDEX", a->index, "which match, from 0");
  get->callback([a] {
    auto x = OpenDoc(*a);
    IXMLDOMNodePtr node = Find(*x, *a);
    CString text;
    x->GetNodeText2(node, text);
    std::cout << zelutil::Narrow(text) << "\n";
  });

  auto* set = xml->add_subcommand("set", "set the text of the node at PATH, creating missing elements");
  set->add_option("FILE", a->file)->required();
  set->add_option("PATH", a->path)->required();
  set->add_option("TEXT", a->text)->required();
  set->add_option("INDEX", a->index, "which match, from 0; -1 appends a new element");
  set->callback([a] {
    zelutil::FileLock lock(a->file);
    auto x = OpenDoc(*a);
    int before = Count(*x, *a);
    // A record of the look-up that missed is no failure: the element is
    // then made. Whether it was is read from the count.
    int logged = x->GetLogCount();
    x->SetNodeText2(zelutil::Wide(a->path).c_str(), zelutil::Wide(a->text).c_str(), a->index);
    // The setter reports what the document refuses (the document node, a
    // declaration that would not read back) under its own name.
    for (int i = logged; i < x->GetLogCount(); ++i)
      if (x->GetLog(i).strFunction == L"ZELXml::SetNodeText")
        throw Failure(kExitFailed, "cannot set " + a->path + LastReport(*x));
    if (a->index >= before && Count(*x, *a) == before)
      throw Failure(kExitFailed, "cannot create " + a->path + " (the first name must be the document element's)");
    SaveBack(*x, *a);
  });

  auto* attr = xml->add_subcommand("attr", "print an attribute of the node at PATH, or set it to VALUE");
  attr->add_option("FILE", a->file)->required();
  attr->add_option("PATH", a->path)->required();
  attr->add_option("NAME", a->name)->required();
  attr->add_option("VALUE", a->value, "the new value");
  attr->add_option("-i,--index", a->index, "which match, from 0");
  attr->callback([a, attr] {
    bool writes = attr->count("VALUE") > 0;
    std::unique_ptr<zelutil::FileLock> lock;
    if (writes) lock = std::make_unique<zelutil::FileLock>(a->file);
    auto x = OpenDoc(*a);
    IXMLDOMNodePtr node = Find(*x, *a);
    if (!writes) {
      if (!HasAttribute(node, a->name)) throw Failure(kExitFailed, "no attribute " + a->name + " on " + a->path);
      CString value;
      x->GetNodeAttribute2(node, zelutil::Wide(a->name).c_str(), value);
      std::cout << zelutil::Narrow(value) << "\n";
      return;
    }
    int logged = x->GetLogCount();
    x->SetNodeAttribute2(node, zelutil::Wide(a->name).c_str(), zelutil::Wide(a->value).c_str());
    if (x->GetLogCount() > logged) throw Failure(kExitFailed, "cannot set " + a->name + LastReport(*x));
    SaveBack(*x, *a);
  });

  auto* count = xml->add_subcommand("count", "print how many nodes PATH matches");
  count->add_option("FILE", a->file)->required();
  count->add_option("PATH", a->path)->required();
  count->callback([a] {
    auto x = OpenDoc(*a);
    std::cout << Count(*x, *a) << "\n";
  });

  auto* rm = xml->add_subcommand("rm", "remove every node PATH matches and say how many");
  rm->add_option("FILE", a->file)->required();
  rm->add_option("PATH", a->path)->required();
  rm->callback([a] {
    zelutil::FileLock lock(a->file);
    auto x = OpenDoc(*a);
    int before = Count(*x, *a), left = before;
    // One at a time: removing all at once is refused when the matches have
    // different parents.
    while (left > 0) {
      int logged = x->GetLogCount();
      x->RemoveNode2(zelutil::Wide(a->path).c_str(), 0);
      int now = Count(*x, *a);
      if (x->GetLogCount() > logged || now >= left)
        throw Failure(kExitFailed, "cannot remove " + a->path + " (" + std::to_string(left) + " left)" + LastReport(*x));
      left = now;
    }
    if (before > 0) SaveBack(*x, *a);
    std::cout << before << " removed\n";
  });
}

zelutil::Registrar reg("xml", Add);

}  // namespace
