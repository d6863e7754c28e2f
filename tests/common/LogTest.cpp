#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "ZELLog.h"
#include "ZELResult.h"

TEST(Log, RecordsKeepEveryArgumentAndReachTheParentChain) {
  ZELLog app;
  ZELLog mid(&app);
  ZELLog leaf(&mid);
  leaf.SetLog(3, 6, E_FAIL, L"text", L"detail", L".\\ZELAdo", L"ZELAdo::Connect", 119, 1);
  leaf.SetLog_Warning(6, L"Source ADO must be connected", L"Clone", 0);

  for (const ZELLog* log : {&leaf, &mid, &app}) {
    ASSERT_EQ(log->GetLogCount(), 2);
    const ZEL_LOG_RECORD& e = log->GetLog(0);
    EXPECT_FALSE(e.bWarning);
    EXPECT_EQ(e.nType, 3);
    EXPECT_EQ(e.nCategory, 6);
    EXPECT_EQ(e.nCode, E_FAIL);  // an HRESULT keeps its sign
    EXPECT_EQ(e.strText, L"text");
    EXPECT_EQ(e.strDetail, L"detail");
    EXPECT_EQ(e.strSource, L".\\ZELAdo");
    EXPECT_EQ(e.strFunction, L"ZELAdo::Connect");
    EXPECT_EQ(e.nLine, 119);
    EXPECT_EQ(e.nFlag, 1);
    const ZEL_LOG_RECORD& w = log->GetLog(1);
    EXPECT_TRUE(w.bWarning);
    EXPECT_EQ(w.nType, 0);
    EXPECT_EQ(w.nCode, 0);
    EXPECT_EQ(w.strDetail, L"Clone");
    EXPECT_TRUE(w.strSource.IsEmpty());
    EXPECT_EQ(w.nLine, 0);
  }
  leaf.ClearLog();
  EXPECT_EQ(leaf.GetLogCount(), 0);
  EXPECT_EQ(app.GetLogCount(), 2);
  EXPECT_THROW(leaf.GetLog(0), std::out_of_range);
}

TEST(Log, BoundDropsTheOldestFirst) {
  ZELLog log;
  const int n = ZELLog::kMaxRecords + 10;
  for (int i = 0; i < n; ++i) log.SetLog(3, 0, i, L"", L"", L"", L"", i, 1);
  ASSERT_EQ(log.GetLogCount(), ZELLog::kMaxRecords);
  EXPECT_GE(ZELLog::kMaxRecords, 1000);
  EXPECT_EQ(log.GetLog(0).nCode, 10);
  EXPECT_EQ(log.GetLog(log.GetLogCount() - 1).nCode, n - 1);
}

TEST(Log, LevelZeroKeepsNothingButStillForwards) {
  ZELLog app;
  ZELLog quiet(&app, 0);
  quiet.SetLog_Warning(0, L"w", L"d", 0);
  EXPECT_EQ(quiet.GetLogCount(), 0);
  EXPECT_EQ(app.GetLogCount(), 1);
}

TEST(Log, SafeLogCopyHandsOverOnlyNewRecords) {
  ZELLog owner;
  ZELLog embedded;
  embedded.SetLog_Warning(1, L"first", L"", 0);
  embedded.SafeLogCopy(&owner);
  embedded.SetLog_Warning(1, L"second", L"", 0);
  embedded.SafeLogCopy(&owner);
  embedded.SafeLogCopy(&owner);
  ASSERT_EQ(owner.GetLogCount(), 2);
  EXPECT_EQ(owner.GetLog(0).strText, L"first");
  EXPECT_EQ(owner.GetLog(1).strText, L"second");
}

// What is still to hand over must survive clearing, the store dropping its
// oldest records, and copying the embedded log.
TEST(Log, SafeLogCopyKeepsCountAcrossClearOverflowAndCopy) {
  ZELLog owner(NULL, 1);
  ZELLog embedded;
  embedded.SetLog_Warning(1, L"a", L"", 0);
  embedded.ClearLog();
  embedded.SafeLogCopy(&owner);
  EXPECT_EQ(owner.GetLogCount(), 0);
  embedded.SetLog_Warning(1, L"b", L"", 0);
  embedded.SafeLogCopy(&owner);
  EXPECT_EQ(owner.GetLogCount(), 1);

  for (int i = 0; i < ZELLog::kMaxRecords + 10; ++i) embedded.SetLog_Warning(1, L"c", L"", 0);
  embedded.SafeLogCopy(&owner);
  EXPECT_EQ(owner.GetLogCount(), ZELLog::kMaxRecords);
  embedded.SetLog_Warning(1, L"d", L"", 0);
  ZELLog copy(embedded);
  ZELLog assigned;
  assigned = embedded;
  ZELLog fromCopy, fromAssigned;
  copy.SafeLogCopy(&fromCopy);
  assigned.SafeLogCopy(&fromAssigned);
  ASSERT_EQ(fromCopy.GetLogCount(), 1);
  EXPECT_EQ(fromCopy.GetLog(0).strText, L"d");
  EXPECT_EQ(fromAssigned.GetLogCount(), 1);
}

TEST(Log, AssignmentCopiesRecordsAndParent) {
  ZELLog app;
  ZELLog a(&app);
  a.SetLog_Warning(2, L"kept", L"", 0);
  ZELLog b;
  b = a;
  ASSERT_EQ(b.GetLogCount(), 1);
  EXPECT_EQ(b.GetParentLog(), &app);
  b.SetLog_Warning(2, L"more", L"", 0);
  EXPECT_EQ(app.GetLogCount(), 2);
  EXPECT_EQ(a.GetLogCount(), 1);
}

TEST(Log, ConcurrentWritersLoseNothing) {
  ZELLog app;
  ZELLog log(&app);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) log.SetLog(3, 2, i, L"", L"", L"", L"", -1, 1);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(log.GetLogCount(), 800);
  EXPECT_EQ(app.GetLogCount(), 800);
}

TEST(Result, EveryCodeTheClassesUseHasItsOwnText) {
  const int codes[] = {-101, -102, -103, -201, -202, -206, -210, -300, -301,
                       -304, -306, -500, -502, -503, -511, -516, -606};
  std::vector<CString> seen;
  for (int c : codes) {
    CString t = ZELResult::GetResultString(c);
    EXPECT_FALSE(t.IsEmpty()) << c;
    EXPECT_EQ(t.Find(L"Unknown"), -1) << c;
    for (const auto& s : seen) EXPECT_NE(s, t) << c;
    seen.push_back(t);
    EXPECT_TRUE(ZELResult::IsFailure(c));
  }
  EXPECT_FALSE(ZELResult::IsFailure(0));
  EXPECT_FALSE(ZELResult::IsFailure(2));
  EXPECT_NE(ZELResult::GetResultString(-999).Find(L"-999"), -1);
}
