// zelutil html FILE find PATH [INDEX]            the element's text
// zelutil html FILE attr PATH NAME [-i INDEX]    an attribute's value
// zelutil html FILE set-attr PATH NAME VALUE -o OUT [-i INDEX]
// zelutil html FILE count PATH NAME              children of a tag name
// PATH is slash-separated tag names from the top of the document ("/" is
// the document itself for count); the index picks among matches of its
// last name. set-attr refuses a tag it could not rebuild without loss, and
// holds an advisory lock on OUT while it writes it.
#include <iostream>
#include <memory>

#include "Command.h"
#include "FileLock.h"
#include "HtmlTagCheck.h"
#include "ZELHtml.h"

namespace {

struct Args {
  std::string file, path, name, value, out;
  int index = 0;
};

using zelutil::Failure;
using zelutil::kExitFailed;

std::unique_ptr<ZELHtml> OpenDoc(const Args& a) {
  auto doc = std::make_unique<ZELHtml>();
  if (!doc->Open(zelutil::Wide(a.file).c_str())) throw Failure(kExitFailed, "cannot read " + a.file + zelutil::FileProblem(a.file));
  return doc;
}

ZELHtmlElement* Find(ZELHtml& doc, const Args& a, bool rootAllowed) {
  if (rootAllowed && (a.path == "/" || a.path.empty())) return &doc.m_root;
  ZELHtmlElement* e = doc.FindElement(zelutil::Wide(a.path).c_str(), a.index);
  if (!e) throw Failure(kExitFailed, "no element " + a.path + " [" + std::to_string(a.index) + "] in " + a.file);
  return e;
}

bool HasAttribute(ZELHtmlElement* e, const std::string& name) {
  for (const __ZEL_HTML_ATTRIBUTE& at : e->m_arrAttribute)
    if (at.strName.CompareNoCase(zelutil::Wide(name).c_str()) == 0) return true;
  return false;
}

void Add(CLI::App& app) {
  auto a = std::make_shared<Args>();
  auto* html = app.add_subcommand("html", "read, search and edit HTML files (written back unchanged but for edits)");
  html->add_option("FILE", a->file, "the HTML file")->required();
  html->require_subcommand(1);

  auto* find = html->add_subcommand("find", "print the text of the element at PATH");
  find->add_option("PATH", a->path, "tag names separated by /")->required();
  find->add_option("INDEX", a->index, "which match of the last name, from 0");
  find->callback([a] {
    auto doc = OpenDoc(*a);
    std::cout << zelutil::Narrow(Find(*doc, *a, false)->GetFullText()) << "\n";
  });

  auto* attr = html->add_subcommand("attr", "print an attribute of the element at PATH");
  attr->add_option("PATH", a->path)->required();
  attr->add_option("NAME", a->name)->required();
  attr->add_option("-i,--index", a->index, "which match of the last name, from 0");
  attr->callback([a] {
    auto doc = OpenDoc(*a);
    ZELHtmlElement* e = Find(*doc, *a, false);
    if (!HasAttribute(e, a->name)) throw Failure(kExitFailed, "no attribute " + a->name + " on " + a->path);
    std::cout << zelutil::Narrow(e->GetAttribute(zelutil::Wide(a->name).c_str())) << "\n";
  });

  auto* set = html->add_subcommand("set-attr", "write a copy with an attribute of the element at PATH set");
  set->add_option("PATH", a->path)->required();
  set->add_option("NAME", a->name)->required();
  set->add_option("VALUE", a->value)->required();
  set->add_option("-o,--output", a->out, "the changed copy")->required();
  set->add_option("-i,--index", a->index, "which match of the last name, from 0");
  set->callback([a] {
    zelutil::FileLock lock(a->out);
    auto doc = OpenDoc(*a);
    ZELHtmlElement* e = Find(*doc, *a, false);
    if (!e->CanHasChild() && e->GetType() != ZELHTML_EMPTY_TAG)
      throw Failure(kExitFailed, a->path + " is not a tag that takes attributes");
    std::string unkept = zelutil::UnkeptTagPart(*e);
    if (!unkept.empty())
      throw Failure(kExitFailed, "not changed: the tag " + a->path + " holds " + unkept + ", which setting an attribute would lose");
    e->SetAttribute(zelutil::Wide(a->name).c_str(), zelutil::Wide(a->value).c_str(), TRUE);
    if (!doc->Save(zelutil::Wide(a->out).c_str())) {
      std::string why = zelutil::FileProblem(a->out);
      throw Failure(kExitFailed, "cannot write " + a->out + (why == ": is a folder" ? why : std::string()));
    }
    std::cout << zelutil::Narrow(e->m_strHtml) << "\n";
  });

  auto* count = html->add_subcommand("count", "count the children of the element at PATH with a tag name");
  count->add_option("PATH", a->path, "tag names separated by /; / for the whole document")->required();
  count->add_option("NAME", a->name)->required();
  count->callback([a] {
    auto doc = OpenDoc(*a);
    std::cout << Find(*doc, *a, true)->SelectChild(zelutil::Wide(a->name).c_str(), NULL) << "\n";
  });
}

zelutil::Registrar reg("html", Add);

}  // namespace
