#include <gtest/gtest.h>

#include <atomic>

#include "platform/base/Handle.h"
#include "platform/base/Thread.h"

TEST(Event, AutoResetWakesOneWaitManualResetStaysSet) {
  HANDLE autoEv = CreateEventW(NULL, FALSE, TRUE, NULL);
  HANDLE manual = CreateEventW(NULL, TRUE, FALSE, NULL);
  ASSERT_NE(autoEv, nullptr);
  EXPECT_EQ(WaitForSingleObject(autoEv, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoEv, 10), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(CloseHandle(autoEv));
  EXPECT_TRUE(CloseHandle(manual));
}

TEST(Event, WaitsForAnyOrAll) {
  HANDLE ev[2] = {CreateEventW(NULL, TRUE, FALSE, NULL), CreateEventW(NULL, TRUE, FALSE, NULL)};
  SetEvent(ev[1]);
  EXPECT_EQ(WaitForMultipleObjects(2, ev, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, ev, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(ev[0]);
  EXPECT_EQ(WaitForMultipleObjects(2, ev, TRUE, 0), WAIT_OBJECT_0);
  CloseHandle(ev[0]);
  CloseHandle(ev[1]);
}

TEST(Handle, StaleAndMadeUpHandlesFailCleanly) {
  HANDLE ev = CreateEventW(NULL, FALSE, FALSE, NULL);
  ASSERT_TRUE(CloseHandle(ev));
  EXPECT_FALSE(CloseHandle(ev));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(ev));
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x7), 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, 0), WAIT_FAILED);
}

namespace {

unsigned __stdcall WaitThenReturn(void* arg) {
  WaitForSingleObject(static_cast<HANDLE>(arg), INFINITE);
  return 42;
}

struct Flag {
  std::atomic<bool>* set;
  ~Flag() { *set = true; }
};
std::atomic<bool> g_unwound{false};

unsigned __stdcall EndEarly(void*) {
  Flag f{&g_unwound};
  _endthreadex(7);
}

}  // namespace

TEST(Thread, HandleIsSignalledWithTheExitCode) {
  HANDLE go = CreateEventW(NULL, TRUE, FALSE, NULL);
  unsigned id = 0;
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, WaitThenReturn, go, 0, &id));
  ASSERT_NE(h, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(h, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 42u);
  CloseHandle(h);
  CloseHandle(go);
}

TEST(Thread, SuspendedThreadWaitsForResume) {
  HANDLE go = CreateEventW(NULL, TRUE, TRUE, NULL);
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, WaitThenReturn, go, CREATE_SUSPENDED, NULL));
  EXPECT_EQ(WaitForSingleObject(h, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ResumeThread(h), 1u);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(ResumeThread(h), 0u);
  CloseHandle(h);
  CloseHandle(go);
}

TEST(Thread, EndthreadexUnwindsAndSetsTheCode) {
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(NULL, 0, EndEarly, NULL, 0, NULL));
  ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(g_unwound);
  CloseHandle(h);
}

TEST(Clock, TickCountAdvancesWithSleep) {
  ULONGLONG t0 = GetTickCount64();
  Sleep(20);
  EXPECT_GE(GetTickCount64() - t0, 20u);
}
