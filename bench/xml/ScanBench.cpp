// Counts the names of a 100,000-item catalogue and reads every one by its
// occurrence index (GetNodeCount2, then GetNodeText2 for each index),
// beside plain libxml2 evaluating /catalog/item/name once and reading each
// node of the node-set. Loading is not timed on either side.
//
//   bench_xml_scan [items] [rounds]     default 100000, 5
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cstdlib>

#include "ZELXml.h"
#include "support/CpuClock.h"
#include "support/Rounds.h"
#include "xml/Catalog.h"

namespace {

zelbench::Sample Ours(const std::string& file) {
  zelbench::Sample s;
  CoInitialize(NULL);
  ZELXml xml;
  if (!xml.Open(CString(file.c_str()))) std::exit(3);
  CString path(zelbench::kCatalogPath), text;
  double t = zelbench::CpuSeconds();
  int n = xml.GetNodeCount2(path);
  for (int i = 0; i < n; ++i) {
    xml.GetNodeText2(path, text, i);
    s.checksum += static_cast<unsigned long long>(text.GetLength());
  }
  s.seconds = zelbench::CpuSeconds() - t;
  return s;
}

zelbench::Sample Peer(const std::string& file) {
  zelbench::Sample s;
  xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT);
  if (!doc) std::exit(3);
  double t = zelbench::CpuSeconds();
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  xmlXPathObjectPtr res = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>("/catalog/item/name"), ctx);
  int n = res && res->nodesetval ? res->nodesetval->nodeNr : 0;
  for (int i = 0; i < n; ++i) {
    xmlChar* text = xmlNodeGetContent(res->nodesetval->nodeTab[i]);
    s.checksum += static_cast<unsigned long long>(xmlUTF8Strlen(text));  // characters, as ours
    xmlFree(text);
  }
  xmlXPathFreeObject(res);
  xmlXPathFreeContext(ctx);
  s.seconds = zelbench::CpuSeconds() - t;
  xmlFreeDoc(doc);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int items = argc > 1 ? std::atoi(argv[1]) : 100000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::string file = zelbench::WriteCatalog(items);
  std::printf("catalogue of %d items; count, then read every %s by occurrence\n", items, zelbench::kCatalogPath);
  zelbench::RunRounds("xml_scan", "reads/s", items, "libxml2", rounds, [&] { return Ours(file); },
                      [&] { return Peer(file); });
  zelbench::RemoveCatalog(file);
  return 0;
}
