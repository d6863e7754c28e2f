#include "platform/base/SmallPool.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/base/Sanitizer.h"

namespace {

const size_t kSpanBytes = size_t(2) << 20;
const size_t kClasses = kZelPoolLargest / 8;

struct FreeBlock {
  FreeBlock* next;
};

// The head of a span; its blocks follow.
struct Span {
  Span* prev;  // in its class's list of spans with free blocks
  Span* next;
  FreeBlock* free;
  char* bump;  // blocks from here on were never handed out
  char* end;
  size_t live;
  size_t size;  // of each block
  bool listed;
  bool huge;    // offered for huge pages
};

struct SizeClass {
  Span* current = nullptr;  // where new blocks come from
  Span* partial = nullptr;  // other spans with free blocks
  size_t spans = 0;
};

// Held for a few dozen instructions, by a parser making millions of
// blocks: a flag that a waiter spins on, yielding its processor, costs a
// fraction of a mutex's calls when nobody waits, which is nearly always.
class SpinLock {
public:
  void lock() {
    while (m_held.exchange(true, std::memory_order_acquire))
      while (m_held.load(std::memory_order_relaxed)) sched_yield();
  }
  void unlock() { m_held.store(false, std::memory_order_release); }

private:
  std::atomic<bool> m_held{false};
};

struct Pool {
  SpinLock lock;
  SizeClass classes[kClasses];
};

// Constant-initialised and trivially destroyed: no guard on each call, and
// blocks may outlive other statics.
Pool thePool;

Pool& ThePool() { return thePool; }

Span* SpanOf(void* p) { return reinterpret_cast<Span*>(reinterpret_cast<uintptr_t>(p) & ~(kSpanBytes - 1)); }

// Whether asking for huge pages cannot stall a first touch. Under the
// "madvise", "defer+madvise" and "always" defrag settings an advised
// region compacts memory synchronously when it faults, which on a busy
// machine costs more than the huge page saves; under "defer" and "never"
// the kernel hands one over only if it has one ready.
bool HugePagesCheap() {
  static const bool cheap = [] {
    int fd = open("/sys/kernel/mm/transparent_hugepage/defrag", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[128] = {};
    ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return false;
    return std::strstr(text, "[defer]") != nullptr || std::strstr(text, "[never]") != nullptr;
  }();
  return cheap;
}

// Twice the size is mapped and trimmed to an aligned span.
Span* NewSpan(size_t size, bool huge) {
  void* raw = mmap(nullptr, 2 * kSpanBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + kSpanBytes - 1) & ~(kSpanBytes - 1);
  if (aligned > start) munmap(raw, aligned - start);
  if (uintptr_t tail = start + 2 * kSpanBytes - (aligned + kSpanBytes))
    munmap(reinterpret_cast<void*>(aligned + kSpanBytes), tail);
  // A class past its first span is in heavy use: its spans get huge pages
  // where that is cheap, else are mapped in one call rather than by 512
  // faults. Both are hints; an older kernel refuses the second.
  if (huge && HugePagesCheap())
    madvise(reinterpret_cast<void*>(aligned), kSpanBytes, MADV_HUGEPAGE);
  else if (huge)
    madvise(reinterpret_cast<void*>(aligned), kSpanBytes, MADV_POPULATE_WRITE);
  Span* s = reinterpret_cast<Span*>(aligned);
  *s = Span{nullptr, nullptr, nullptr, nullptr, nullptr, 0, size, false, huge};
  const size_t head = (sizeof(Span) + 63) & ~size_t(63);
  s->bump = reinterpret_cast<char*>(aligned) + head;
  s->end = s->bump + (kSpanBytes - head) / size * size;
  ZEL_POISON(s->bump, static_cast<size_t>(s->end - s->bump));
  return s;
}

void Unlist(SizeClass& c, Span* s) {
  if (!s->listed) return;
  (s->prev ? s->prev->next : c.partial) = s->next;
  if (s->next) s->next->prev = s->prev;
  s->listed = false;
}

void List(SizeClass& c, Span* s) {
  if (s->listed) return;
  s->prev = nullptr;
  s->next = c.partial;
  if (c.partial) c.partial->prev = s;
  c.partial = s;
  s->listed = true;
}

bool HasRoom(const Span* s) { return s->free || s->bump < s->end; }

}  // namespace

void* ZelPoolAlloc(size_t n) {
  if (n == 0 || n > kZelPoolLargest) throw std::bad_alloc();
  const size_t size = (n + 7) & ~size_t(7);
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> hold(pool.lock);
  SizeClass& c = pool.classes[size / 8 - 1];
  Span* s = c.current;
  if (!s || !HasRoom(s)) {
    if (c.partial) {
      s = c.partial;
      Unlist(c, s);
    } else {
      s = NewSpan(size, c.spans > 0);
      ++c.spans;
    }
    c.current = s;
  }
  void* p;
  if (s->free) {
    ZEL_UNPOISON(s->free, sizeof(FreeBlock));
    p = s->free;
    s->free = s->free->next;
  } else {
    p = s->bump;
    s->bump += size;
  }
  ++s->live;
  ZEL_UNPOISON(p, size);
  return p;
}

// An empty span goes back at once unless new blocks come from it. That one
// stays, so that making and freeing one block in a loop does not map and
// unmap; but once it is the last of a huge class (a big document closed),
// it goes too, and the class starts again on ordinary pages.
void ZelPoolFree(void* p) {
  if (!p) return;
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> hold(pool.lock);
  Span* s = SpanOf(p);
  SizeClass& c = pool.classes[s->size / 8 - 1];
  FreeBlock* f = static_cast<FreeBlock*>(p);
  f->next = s->free;
  s->free = f;
  ZEL_POISON(p, s->size);
  if (--s->live > 0) {
    if (s != c.current) List(c, s);
    return;
  }
  if (s != c.current) {
    Unlist(c, s);
    --c.spans;
    munmap(s, kSpanBytes);
  }
  Span* cur = c.current;
  if (cur && cur->live == 0 && cur->huge && c.spans == 1) {
    c.current = nullptr;
    c.spans = 0;
    munmap(cur, kSpanBytes);
  }
}
