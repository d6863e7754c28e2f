#include "xml/Catalog.h"

#include <unistd.h>

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>

#include "ZELXml.h"
#include "support/CpuClock.h"

namespace zelbench {

namespace {

std::string WriteCatalog(int items) {
  char dir[] = "/tmp/bench_catalog_XXXXXX";
  if (!mkdtemp(dir)) std::exit(2);
  std::string file = std::string(dir) + "/catalog.xml";
  FILE* f = std::fopen(file.c_str(), "w");
  if (!f) std::exit(2);
  std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalog>\n");
  for (int i = 0; i < items; ++i)
    std::fprintf(f,
                 "  <item id=\"i%d\" kind=\"k%d\">\n    <name>Item %d, caf\xC3\xA9 n\xC2\xB0%d</name>\n"
                 "    <price currency=\"EUR\">%d.%02d</price>\n    <stock>%d</stock>\n"
                 "    <note>Shelf %d, row %d; ships within %d days</note>\n  </item>\n",
                 i, i % 7, i, i * 7 % 1000, i % 500, i % 100, i * 13 % 97, i % 40, i % 12, i % 9 + 1);
  std::fprintf(f, "</catalog>\n");
  std::fclose(f);
  return file;
}

void RemoveCatalog(const std::string& file) {
  std::remove(file.c_str());
  rmdir(file.substr(0, file.rfind('/')).c_str());
}

}  // namespace

int RunCatalog(int argc, char** argv, const char* name, const char* what, int reads, const CatalogSide& ours,
               const CatalogSide& peer) {
  int items = argc > 1 ? std::atoi(argv[1]) : 100000;
  int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  if (items <= 0 || rounds <= 0) return 2;
  std::string file = WriteCatalog(items);
  std::printf("catalogue of %d items; %s\n", items, what);
  RunRounds(name, "reads/s", reads ? reads : items, "libxml2", rounds, [&] { return ours(file, items); },
            [&] { return peer(file, items); });
  RemoveCatalog(file);
  return 0;
}

Sample TimeOurs(const std::string& file, const std::function<unsigned long long(ZELXml&)>& reads) {
  Sample s;
  CoInitialize(NULL);
  ZELXml xml;
  if (!xml.Open(CString(file.c_str()))) std::exit(3);
  double t = CpuSeconds();
  s.checksum = reads(xml);
  s.seconds = CpuSeconds() - t;
  return s;
}

Sample TimePeer(const std::string& file, const std::function<unsigned long long(xmlXPathContextPtr)>& reads) {
  Sample s;
  xmlDocPtr doc = xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT);
  if (!doc) std::exit(3);
  double t = CpuSeconds();
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  s.checksum = reads(ctx);
  xmlXPathFreeContext(ctx);
  s.seconds = CpuSeconds() - t;
  xmlFreeDoc(doc);
  return s;
}

unsigned long long PeerTextLength(xmlNodePtr node) {
  xmlChar* text = xmlNodeGetContent(node);
  int n = xmlUTF8Strlen(text);
  xmlFree(text);
  return static_cast<unsigned long long>(n);
}

}  // namespace zelbench
