#include "html/HtmlElementPool.h"

#include <sys/mman.h>

#include <cstdint>
#include <mutex>
#include <new>

#include "ZELHtmlElement.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZEL_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_POOL_ASAN 1
#endif
#endif
#ifdef ZEL_POOL_ASAN
#include <sanitizer/asan_interface.h>
#define ZEL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define ZEL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define ZEL_POISON(p, n) ((void)(p), (void)(n))
#define ZEL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

const size_t kBlockBytes = size_t(2) << 20;
const size_t kSlot = (sizeof(ZELHtmlElement) + alignof(ZELHtmlElement) - 1) & ~(alignof(ZELHtmlElement) - 1);

struct FreeSlot {
  FreeSlot* next;
};

// The head of a block; its slots follow. Blocks are aligned to their size,
// so a slot finds its block by masking its address.
struct Block {
  Block* prev;  // in the list of blocks with free slots
  Block* next;
  FreeSlot* free;
  char* bump;   // slots from here on were never handed out
  char* end;
  size_t live;
  bool listed;
};

struct Pool {
  std::mutex lock;
  Block* current = nullptr;  // where new slots come from
  Block* partial = nullptr;  // other blocks with free slots
};

Pool& ThePool() {
  static Pool* pool = new Pool;  // never destroyed: elements may outlive statics
  return *pool;
}

Block* BlockOf(void* p) { return reinterpret_cast<Block*>(reinterpret_cast<uintptr_t>(p) & ~(kBlockBytes - 1)); }

// Twice the size is mapped and trimmed to an aligned block.
Block* NewBlock() {
  void* raw = mmap(nullptr, 2 * kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  uintptr_t aligned = (start + kBlockBytes - 1) & ~(kBlockBytes - 1);
  if (aligned > start) munmap(raw, aligned - start);
  if (uintptr_t tail = start + 2 * kBlockBytes - (aligned + kBlockBytes))
    munmap(reinterpret_cast<void*>(aligned + kBlockBytes), tail);
  madvise(reinterpret_cast<void*>(aligned), kBlockBytes, MADV_HUGEPAGE);  // a hint; fine if refused
  Block* b = reinterpret_cast<Block*>(aligned);
  *b = Block{nullptr, nullptr, nullptr, nullptr, nullptr, 0, false};
  const size_t head = (sizeof(Block) + 63) & ~size_t(63);
  b->bump = reinterpret_cast<char*>(aligned) + head;
  b->end = b->bump + (kBlockBytes - head) / kSlot * kSlot;
  ZEL_POISON(b->bump, static_cast<size_t>(b->end - b->bump));
  return b;
}

void Unlist(Pool& pool, Block* b) {
  if (!b->listed) return;
  (b->prev ? b->prev->next : pool.partial) = b->next;
  if (b->next) b->next->prev = b->prev;
  b->listed = false;
}

void List(Pool& pool, Block* b) {
  if (b->listed) return;
  b->prev = nullptr;
  b->next = pool.partial;
  if (pool.partial) pool.partial->prev = b;
  pool.partial = b;
  b->listed = true;
}

bool HasRoom(const Block* b) { return b->free || b->bump < b->end; }

}  // namespace

void* ZELHtmlElementPool::Allocate() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> hold(pool.lock);
  Block* b = pool.current;
  if (!b || !HasRoom(b)) {
    if (pool.partial) {
      b = pool.partial;
      Unlist(pool, b);
    } else if (!(b = NewBlock())) {
      throw std::bad_alloc();
    }
    pool.current = b;
  }
  void* p;
  if (b->free) {
    ZEL_UNPOISON(b->free, sizeof(FreeSlot));
    p = b->free;
    b->free = b->free->next;
  } else {
    p = b->bump;
    b->bump += kSlot;
  }
  ++b->live;
  ZEL_UNPOISON(p, kSlot);
  return p;
}

void ZELHtmlElementPool::Free(void* p) {
  if (!p) return;
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> hold(pool.lock);
  Block* b = BlockOf(p);
  FreeSlot* s = static_cast<FreeSlot*>(p);
  s->next = b->free;
  b->free = s;
  ZEL_POISON(p, kSlot);
  if (--b->live == 0 && b != pool.current) {
    Unlist(pool, b);
    munmap(b, kBlockBytes);
  } else if (b != pool.current) {
    List(pool, b);
  }
}
