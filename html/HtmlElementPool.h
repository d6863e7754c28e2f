// Room for elements. A parsed page is millions of small elements made at
// once and freed at once, so they are carved from 2 MB blocks that the
// kernel may back with huge pages: one fault maps a whole block instead of
// one per 4 KB, and making an element costs a pointer bump instead of a
// trip through the general allocator. A freed slot goes on its block's free
// list for reuse, and a block whose slots are all free goes back to the
// system, so closing a document returns its memory.
#pragma once

#include <cstddef>

class ZELHtmlElementPool {
public:
  // Room for one ZELHtmlElement (sizeof, not of a derived class).
  static void* Allocate();
  static void Free(void* p);
};
