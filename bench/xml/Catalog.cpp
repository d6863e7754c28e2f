#include "xml/Catalog.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace zelbench {

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

}  // namespace zelbench
