// Whether an element's tag survives being rebuilt from its attributes.
// Setting an attribute rebuilds the tag as <name a="v" b="w"> from the
// attributes the class read, which keeps only double-quoted name="value"
// pairs; anything else in the tag would be dropped or garbled, so the tool
// refuses the edit and names the part.
#pragma once

#include <string>

class ZELHtmlElement;

namespace zelutil {

// Empty when the rebuilt tag keeps every attribute as written; otherwise
// what would be lost, in words.
std::string UnkeptTagPart(ZELHtmlElement& element);

}  // namespace zelutil
