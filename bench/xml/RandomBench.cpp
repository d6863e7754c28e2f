// Reads 10,000 names of a 100,000-item catalogue at random occurrences
// (GetNodeText2 of catalog/item/name with a random index), beside plain
// libxml2 answering each read with /catalog/item[k]/name. Loading is not
// timed on either side.
//
//   bench_xml_random [items] [rounds]     default 100000, 5
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "ZELXml.h"
#include "support/CpuClock.h"
#include "support/Rounds.h"
#include "xml/Catalog.h"

namespace {

const int kReads = 10000;

zelbench::Sample Ours(const std::string& file, const std::vector<long>& orders) {
  zelbench::Sample s;
  CoInitialize(NULL);
  ZELXml xml;
  if (!xml.Open(CString(file.c_str()))) std::exit(3);
  CString path(zelbench::kCatalogPath), text;
  double t = zelbench::CpuSeconds();
  for (long order : orders) {
    xml.GetNodeText2(path, text, order);
    s.checksum += static_cast<unsigned long long>(text.GetLength());
  }
  s.seconds = zelbench::CpuSeconds() - t;
  return s;
}

zelbench::Sample Peer(const std::string& file, const std::vector<long>& orders) {
  zelbench::Sample s;
  xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT);
  if (!doc) std::exit(3);
  double t = zelbench::CpuSeconds();
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  for (long order : orders) {
    std::string path = "/catalog/item[" + std::to_string(order + 1) + "]/name";
    xmlXPathObjectPtr res = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path.c_str()), ctx);
    if (res && res->nodesetval && res->nodesetval->nodeNr > 0) {
      xmlChar* text = xmlNodeGetContent(res->nodesetval->nodeTab[0]);
      s.checksum += static_cast<unsigned long long>(xmlUTF8Strlen(text));  // characters, as ours
      xmlFree(text);
    }
    xmlXPathFreeObject(res);
  }
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
  std::mt19937 rng(11);
  std::vector<long> orders;
  for (int i = 0; i < kReads; ++i) orders.push_back(static_cast<long>(rng() % static_cast<unsigned>(items)));
  std::printf("catalogue of %d items; %d reads of %s at random occurrences\n", items, kReads, zelbench::kCatalogPath);
  zelbench::RunRounds("xml_random", "reads/s", kReads, "libxml2", rounds, [&] { return Ours(file, orders); },
                      [&] { return Peer(file, orders); });
  zelbench::RemoveCatalog(file);
  return 0;
}
