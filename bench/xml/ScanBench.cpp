// Counts the names of a 100,000-item catalogue and reads every one by its
// occurrence index (GetNodeCount2, then GetNodeText2 for each index),
// beside plain libxml2 evaluating /catalog/item/name once and reading each
// node of the node-set. Loading is not timed on either side.
//
//   bench_xml_scan [items] [rounds]     default 100000, 5
#include "ZELXml.h"
#include "xml/Catalog.h"

namespace {

zelbench::Sample Ours(const std::string& file, int) {
  return zelbench::TimeOurs(file, [](ZELXml& xml) {
    unsigned long long sum = 0;
    CString path(zelbench::kCatalogPath), text;
    int n = xml.GetNodeCount2(path);
    for (int i = 0; i < n; ++i) {
      xml.GetNodeText2(path, text, i);
      sum += static_cast<unsigned long long>(text.GetLength());
    }
    return sum;
  });
}

zelbench::Sample Peer(const std::string& file, int) {
  return zelbench::TimePeer(file, [](xmlXPathContextPtr ctx) {
    unsigned long long sum = 0;
    xmlXPathObjectPtr res = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>("/catalog/item/name"), ctx);
    int n = res && res->nodesetval ? res->nodesetval->nodeNr : 0;
    for (int i = 0; i < n; ++i) sum += zelbench::PeerTextLength(res->nodesetval->nodeTab[i]);
    xmlXPathFreeObject(res);
    return sum;
  });
}

}  // namespace

int main(int argc, char** argv) {
  return zelbench::RunCatalog(argc, argv, "xml_scan", "count, then read every catalog/item/name by occurrence", 0,
                              Ours, Peer);
}
