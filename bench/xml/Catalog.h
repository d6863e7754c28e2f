// The catalogue the occurrence benchmarks read: items under one element,
// each with a name and a few other children, indented as people write it.
#pragma once

#include <string>

namespace zelbench {

const char* const kCatalogPath = "catalog/item/name";

// Writes items items into a new temporary file and answers its path.
std::string WriteCatalog(int items);
// Removes the file and its folder.
void RemoveCatalog(const std::string& file);

}  // namespace zelbench
