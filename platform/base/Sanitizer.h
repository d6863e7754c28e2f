// Whether this build runs under the address sanitizer. Code that keeps
// freed memory for reuse (pools, caches) must tell the sanitizer, or keep
// nothing, so that a use after free is still caught.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define ZEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_ASAN 1
#endif
#endif
#ifndef ZEL_ASAN
#define ZEL_ASAN 0
#endif

#if ZEL_ASAN
#include <sanitizer/asan_interface.h>
#define ZEL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define ZEL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define ZEL_POISON(p, n) ((void)(p), (void)(n))
#define ZEL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif
