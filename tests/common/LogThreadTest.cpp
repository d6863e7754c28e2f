// Records arriving from many threads while another reads them: run under
// the thread sanitizer as well (label tsan).
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ZELLog.h"

TEST(LogThreads, ReadersGetWholeRecordsWhileWritersFillAndDropTheStore) {
  constexpr int kThreads = 8;
  constexpr int kEach = 50000;
  ZELLog parent;
  ZELLog child(&parent);
  std::atomic<bool> done{false};
  long long seen = 0;
  std::thread reader([&] {
    while (!done.load()) {
      if (parent.GetLogCount() == 0) continue;
      // The record may be dropped by a writer the moment after; the copy
      // must still be whole.
      ZEL_LOG_RECORD rec = parent.GetLog(0);
      if (rec.strText == L"record" && rec.strFunction == L"Writer") ++seen;
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        child.SetLog(ZEL_LOG_ERROR, ZEL_CATEGORY_SYSTEM, t * kEach + i, L"record", L"detail", L"src", L"Writer", i,
                     ZEL_LOG_FLAG_REPORT);
    });
  for (auto& w : writers) w.join();
  done = true;
  reader.join();
  EXPECT_GT(seen, 0);
  EXPECT_EQ(parent.GetLogCount(), ZELLog::kMaxRecords);
  EXPECT_EQ(child.GetLogCount(), ZELLog::kMaxRecords);
}
