// zelutil xml new FILE ROOT                 a document holding only ROOT
// zelutil xml get FILE PATH [INDEX]          the text of the node
// zelutil xml set FILE PATH TEXT [INDEX]     set it (creating missing elements)
// zelutil xml attr FILE PATH NAME [VALUE]    read an attribute, or set it
// zelutil xml count FILE PATH                how many nodes PATH matches
// zelutil xml rm FILE PATH                   remove every node PATH matches
// PATH is an XPath from the document, names matched as written (so
// "catalog/item" also in a default namespace); INDEX picks among matches
// from 0. Changes are saved back to FILE.
#include <iostream>
#include <memory>

#include "Command.h"
#include "ZELXml.h"

namespace {

struct Args {
  std::string file, path, text, name, value;
  long index = 0;
};

// The text of the newest record, for a message.
std::string LastReport(ZELXml& x) {
  if (x.GetLogCount() == 0) return std::string();
  const ZEL_LOG_RECORD& r = x.GetLog(x.GetLogCount() - 1);
  return ": " + zelutil::Narrow(r.strText) + (r.strDetail.IsEmpty() ? "" : " (" + zelutil::Narrow(r.strDetail) + ")");
}

std::unique_ptr<ZELXml> OpenDoc(const Args& a) {
  auto x = std::make_unique<ZELXml>();
  if (!x->Open(zelutil::Wide(a.file).c_str())) throw zelutil::Failure(1, "cannot load " + a.file + LastReport(*x));
  return x;
}

int Count(ZELXml& x, const Args& a) {
  int n = x.GetNodeCount2(zelutil::Wide(a.path).c_str());
  if (n < 0) throw zelutil::Failure(2, "not a path of nodes: " + a.path);
  return n;
}

IXMLDOMNodePtr Find(ZELXml& x, const Args& a) {
  if (a.index < 0 || a.index >= Count(x, a))
    throw zelutil::Failure(2, "no node " + a.path + " [" + std::to_string(a.index) + "] in " + a.file);
  return x.GetNode2(zelutil::Wide(a.path).c_str(), a.index);
}

void SaveBack(ZELXml& x, const Args& a) {
  if (!x.Save()) throw zelutil::Failure(1, "cannot save " + a.file + LastReport(x));
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
    if (!x.New() || !x.CreateRoot(root)) throw zelutil::Failure(2, "cannot make a root named " + a->name + LastReport(x));
    if (!x.SaveAs(zelutil::Wide(a->file).c_str())) throw zelutil::Failure(1, "cannot save " + a->file + LastReport(x));
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
    auto x = OpenDoc(*a);
    int before = Count(*x, *a);
    x->SetNodeText2(zelutil::Wide(a->path).c_str(), zelutil::Wide(a->text).c_str(), a->index);
    if (a->index >= before && Count(*x, *a) == before)
      throw zelutil::Failure(2, "cannot create " + a->path + " (the first name must be the document element's)");
    SaveBack(*x, *a);
  });

  auto* attr = xml->add_subcommand("attr", "print an attribute of the node at PATH, or set it to VALUE");
  attr->add_option("FILE", a->file)->required();
  attr->add_option("PATH", a->path)->required();
  attr->add_option("NAME", a->name)->required();
  attr->add_option("VALUE", a->value, "the new value");
  attr->add_option("-i,--index", a->index, "which match, from 0");
  attr->callback([a, attr] {
    auto x = OpenDoc(*a);
    IXMLDOMNodePtr node = Find(*x, *a);
    if (attr->count("VALUE") == 0) {
      CString value;
      x->GetNodeAttribute2(node, zelutil::Wide(a->name).c_str(), value);
      std::cout << zelutil::Narrow(value) << "\n";
      return;
    }
    int logged = x->GetLogCount();
    x->SetNodeAttribute2(node, zelutil::Wide(a->name).c_str(), zelutil::Wide(a->value).c_str());
    if (x->GetLogCount() > logged) throw zelutil::Failure(2, "cannot set " + a->name + LastReport(*x));
    SaveBack(*x, *a);
  });

  auto* count = xml->add_subcommand("count", "print how many nodes PATH matches");
  count->add_option("FILE", a->file)->required();
  count->add_option("PATH", a->path)->required();
  count->callback([a] {
    auto x = OpenDoc(*a);
    std::cout << Count(*x, *a) << "\n";
  });

  auto* rm = xml->add_subcommand("rm", "remove every node PATH matches (siblings of the first match)");
  rm->add_option("FILE", a->file)->required();
  rm->add_option("PATH", a->path)->required();
  rm->callback([a] {
    auto x = OpenDoc(*a);
    int before = Count(*x, *a);
    x->RemoveNodeAll2(zelutil::Wide(a->path).c_str());
    int after = Count(*x, *a);
    SaveBack(*x, *a);
    std::cout << before - after << " removed\n";
    if (after > 0) throw zelutil::Failure(2, std::to_string(after) + " matches are not siblings of the first and stay");
  });
}

zelutil::Registrar reg("xml", Add);

}  // namespace
