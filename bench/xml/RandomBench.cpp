// Reads 10,000 names of a 100,000-item catalogue at random occurrences
// (GetNodeText2 of catalog/item/name with a random index), beside plain
// libxml2 answering each read with /catalog/item[k]/name. Loading is not
// timed on either side.
//
//   bench_xml_random [items] [rounds]     default 100000, 5
#include <random>
#include <vector>

#include "ZELXml.h"
#include "xml/Catalog.h"

namespace {

const int kReads = 10000;

// The same indexes for both sides.
std::vector<long> Orders(int items) {
  std::mt19937 rng(11);
  std::vector<long> orders;
  for (int i = 0; i < kReads; ++i) orders.push_back(static_cast<long>(rng() % static_cast<unsigned>(items)));
  return orders;
}

zelbench::Sample Ours(const std::string& file, int items) {
  std::vector<long> orders = Orders(items);
  return zelbench::TimeOurs(file, [&](ZELXml& xml) {
    unsigned long long sum = 0;
    CString path(zelbench::kCatalogPath), text;
    for (long order : orders) {
      xml.GetNodeText2(path, text, order);
      sum += static_cast<unsigned long long>(text.GetLength());
    }
    return sum;
  });
}

zelbench::Sample Peer(const std::string& file, int items) {
  std::vector<long> orders = Orders(items);
  return zelbench::TimePeer(file, [&](xmlXPathContextPtr ctx) {
    unsigned long long sum = 0;
    for (long order : orders) {
      std::string path = "/catalog/item[" + std::to_string(order + 1) + "]/name";
      xmlXPathObjectPtr res = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(path.c_str()), ctx);
      if (res && res->nodesetval && res->nodesetval->nodeNr > 0)
        sum += zelbench::PeerTextLength(res->nodesetval->nodeTab[0]);
      xmlXPathFreeObject(res);
    }
    return sum;
  });
}

}  // namespace

int main(int argc, char** argv) {
  return zelbench::RunCatalog(argc, argv, "xml_random", "10,000 reads of catalog/item/name at random occurrences",
                              kReads, Ours, Peer);
}
