// The catalogue the occurrence benchmarks read: items under one element,
// each with a name and a few other children, indented as people write it.
#pragma once

#include <libxml/xpath.h>

#include <functional>
#include <string>

#include "support/Rounds.h"

class ZELXml;

namespace zelbench {

const char* const kCatalogPath = "catalog/item/name";

// A side reads the catalogue in file of items items.
typedef std::function<Sample(const std::string& file, int items)> CatalogSide;

// The whole benchmark: "[items] [rounds]" from the command line (default
// 100,000 and 5), a catalogue written, the rounds of the two sides, the
// catalogue removed. reads: per side, 0 for one per item.
int RunCatalog(int argc, char** argv, const char* name, const char* what, int reads, const CatalogSide& ours,
               const CatalogSide& peer);

// Each side loads the file (not timed; a failure ends the side) and times
// its reads, which answer the characters they read.
Sample TimeOurs(const std::string& file, const std::function<unsigned long long(ZELXml&)>& reads);
Sample TimePeer(const std::string& file, const std::function<unsigned long long(xmlXPathContextPtr)>& reads);
// The length in characters of a node's text, as ours counts it.
unsigned long long PeerTextLength(xmlNodePtr node);

}  // namespace zelbench
