#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/mfc/Module.h"
#include "platform/mfc/Sync.h"
#include "platform/mfc/Thread.h"

TEST(CCriticalSection, IsReentrantAndExcludesOtherThreads) {
  CCriticalSection cs;
  ASSERT_TRUE(cs.Lock());
  ASSERT_TRUE(cs.Lock());  // the same thread again
  std::atomic<bool> otherGot{true};
  std::thread([&] { otherGot = cs.TryLock() != FALSE; }).join();
  EXPECT_FALSE(otherGot);
  cs.Unlock();
  std::thread([&] { otherGot = cs.TryLock() != FALSE; if (otherGot) cs.Unlock(); }).join();
  EXPECT_FALSE(otherGot);  // one lock still held
  cs.Unlock();
  std::thread([&] { otherGot = cs.TryLock() != FALSE; if (otherGot) cs.Unlock(); }).join();
  EXPECT_TRUE(otherGot);
}

TEST(CSingleLock, UnlocksOnScopeExitOnce) {
  CCriticalSection cs;
  {
    CSingleLock lock(&cs, TRUE);
    EXPECT_TRUE(lock.IsLocked());
    lock.Lock();  // no second hold through the same lock
  }
  std::atomic<bool> got{false};
  std::thread([&] { got = cs.TryLock() != FALSE; if (got) cs.Unlock(); }).join();
  EXPECT_TRUE(got);
  CSingleLock none(nullptr);
  EXPECT_FALSE(none.Lock());
}

namespace {

UINT AddOne(LPVOID p) {
  ++*static_cast<std::atomic<int>*>(p);
  return 5;
}

UINT EndsItself(LPVOID) { AfxEndThread(9); }

}  // namespace

TEST(AfxBeginThread, OwnedThreadIsWaitableWithItsExitCode) {
  std::atomic<int> count{0};
  CWinThread* t = AfxBeginThread(AddOne, &count, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  t->m_bAutoDelete = FALSE;
  EXPECT_NE(t->m_nThreadID, 0u);
  EXPECT_EQ(WaitForSingleObject(t->m_hThread, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(count, 0);
  t->ResumeThread();
  ASSERT_EQ(WaitForSingleObject(t->m_hThread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(count, 1);
  delete t;

  t = AfxBeginThread(EndsItself, NULL, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  t->m_bAutoDelete = FALSE;
  t->ResumeThread();
  WaitForSingleObject(t->m_hThread, INFINITE);
  GetExitCodeThread(t->m_hThread, &code);
  EXPECT_EQ(code, 9u);
  delete t;
  EXPECT_EQ(AfxBeginThread(nullptr, NULL), nullptr);
}

TEST(AfxBeginThread, AutoDeletedThreadsCleanUpAfterThemselves) {
  std::atomic<int> count{0};
  for (int i = 0; i < 20; ++i) ASSERT_NE(AfxBeginThread(AddOne, &count), nullptr);
  for (int i = 0; i < 500 && count < 20; ++i) Sleep(5);
  EXPECT_EQ(count, 20);  // leaks of the objects show under the sanitizer run
}

TEST(ExtensionModule, JoinsAndLeavesTheChain) {
  AFX_EXTENSION_MODULE mod = {FALSE, NULL, NULL};
  HMODULE h = reinterpret_cast<HMODULE>(0x1000);
  EXPECT_FALSE(AfxInitExtensionModule(mod, NULL));
  ASSERT_TRUE(AfxInitExtensionModule(mod, h));
  EXPECT_TRUE(AfxInitExtensionModule(mod, h));
  EXPECT_FALSE(AfxInitExtensionModule(mod, reinterpret_cast<HMODULE>(0x2000)));
  int before = ZelExtensionChainSize();
  new CDynLinkLibrary(mod);
  CDynLinkLibrary* other = new CDynLinkLibrary(reinterpret_cast<HINSTANCE>(0x3000), NULL);
  EXPECT_EQ(ZelExtensionChainSize(), before + 2);
  AfxTermExtensionModule(mod);  // deletes the module's own object only
  EXPECT_EQ(ZelExtensionChainSize(), before + 1);
  EXPECT_TRUE(other->IsInChain());
  EXPECT_FALSE(mod.bInitialized);
  delete other;
  EXPECT_EQ(ZelExtensionChainSize(), before);
}
