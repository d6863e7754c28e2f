// Small blocks for data made by the million and freed together, such as
// the nodes, short strings and short arrays of a parsed page.
//
// Blocks come in size classes of 8 bytes up to kZelPoolLargest, carved
// from 2 MB spans aligned to their size. Making one is a pointer bump or a
// free-list pop, and there is no per-block header. Once a class fills its
// first span, the following ones are offered to the kernel for huge pages
// where the kernel's settings make that free of stalls (it then hands one
// over only if it has one ready): one fault then maps a whole span, while
// small users stay on ordinary pages. A freed
// block goes on its span's free list; a span whose blocks are all free
// goes back to the system, but for the one new blocks come from while its
// class has other spans or uses ordinary pages. Any thread may make or
// free blocks.
#pragma once

#include "ZELExport.h"

#include <cstddef>

const size_t kZelPoolLargest = 512;

// n in [1, kZelPoolLargest]; aligned to 8. Throws std::bad_alloc.
ZEL_EXPORT void* ZelPoolAlloc(size_t n);
// p from ZelPoolAlloc (or null).
ZEL_EXPORT void ZelPoolFree(void* p);
