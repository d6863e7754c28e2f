// The small-block pool: blocks of every class keep their contents apart,
// are freed from any thread, and spans whose blocks are all free go back
// to the system.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/SmallPool.h"

namespace {

long AnonRssKB() {
  std::ifstream in("/proc/self/status");
  std::string key;
  long value = 0;
  while (in >> key) {
    if (key == "RssAnon:") {
      in >> value;
      return value;
    }
    in.ignore(4096, '\n');
  }
  return -1;
}

}  // namespace

TEST(SmallPool, EveryClassKeepsItsBlocksApart) {
  struct Made {
    unsigned char* p;
    size_t n;
    unsigned char mark;
  };
  std::vector<Made> blocks;
  for (size_t n = 1; n <= kZelPoolLargest; ++n) {
    for (int k = 0; k < 3; ++k) {
      Made m{static_cast<unsigned char*>(ZelPoolAlloc(n)), n, static_cast<unsigned char>(n * 3 + k)};
      ASSERT_EQ(reinterpret_cast<uintptr_t>(m.p) % 8, 0u);
      std::memset(m.p, m.mark, n);
      blocks.push_back(m);
    }
  }
  for (const Made& m : blocks)
    for (size_t i = 0; i < m.n; ++i) ASSERT_EQ(m.p[i], m.mark) << m.n << "-byte block, byte " << i;
  for (const Made& m : blocks) ZelPoolFree(m.p);
  ZelPoolFree(nullptr);
  EXPECT_THROW(ZelPoolAlloc(0), std::bad_alloc);
  EXPECT_THROW(ZelPoolAlloc(kZelPoolLargest + 1), std::bad_alloc);
}

TEST(SmallPool, BlocksFreedOnAnotherThreadAndSpansReturned) {
  const size_t kCount = 400000;  // 25 MB of 64-byte blocks, a dozen spans
  long before = AnonRssKB();
  std::vector<void*> blocks(kCount);
  std::thread maker([&] {
    for (auto& p : blocks) {
      p = ZelPoolAlloc(64);
      std::memset(p, 0x5A, 64);
    }
  });
  maker.join();
  long full = AnonRssKB();
  EXPECT_GT(full - before, 20000);
  // Freed out of order on this thread; the freed blocks are reused first.
  for (size_t i = 0; i < kCount; i += 2) ZelPoolFree(blocks[i]);
  void* again = ZelPoolAlloc(64);
  EXPECT_EQ(again, blocks[kCount - 2]);
  ZelPoolFree(again);
  for (size_t i = 1; i < kCount; i += 2) ZelPoolFree(blocks[i]);
  // All of them, the last span included. (Loose: sanitizer builds keep
  // shadow memory for the spans.)
  EXPECT_LT(AnonRssKB() - before, (full - before) / 2) << "empty spans go back";

  // One block made and freed in a loop keeps its span rather than mapping
  // a new one each time.
  void* first = ZelPoolAlloc(64);
  ZelPoolFree(first);
  for (int i = 0; i < 1000; ++i) {
    void* p = ZelPoolAlloc(64);
    ASSERT_EQ(p, first);
    ZelPoolFree(p);
  }
}
