#include "platform/base/Thread.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

class ThreadObject : public ZelKernelObject {
public:
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return m_finished; }

  // Under the wait lock.
  bool m_finished = false;
  DWORD m_exitCode = STILL_ACTIVE;

  // The start gate: the new thread gives its id, then waits while suspended.
  std::mutex m_gate;
  std::condition_variable m_gateChanged;
  DWORD m_id = 0;
  DWORD m_suspendCount = 0;
};

struct StartRecord {
  std::shared_ptr<ThreadObject> obj;
  std::function<DWORD()> fn;
};

thread_local DWORD t_exitCode = 0;

// Marks the thread finished however its function ends: by returning, or by
// _endthreadex, whose unwinding passes here.
struct FinishGuard {
  ThreadObject& obj;
  ~FinishGuard() {
    ZelSignalChanged([&] {
      obj.m_exitCode = t_exitCode;
      obj.m_finished = true;
    });
  }
};

void* ThreadMain(void* arg) {
  std::unique_ptr<StartRecord> rec(static_cast<StartRecord*>(arg));
  ThreadObject& obj = *rec->obj;
  {
    std::unique_lock<std::mutex> lock(obj.m_gate);
    obj.m_id = GetCurrentThreadId();
    obj.m_gateChanged.notify_all();
    obj.m_gateChanged.wait(lock, [&] { return obj.m_suspendCount == 0; });
  }
  FinishGuard guard{obj};
  t_exitCode = rec->fn();
  return nullptr;
}

std::atomic<DWORD> g_nextThreadId{1};

}  // namespace

HANDLE ZelStartThread(std::function<DWORD()> fn, DWORD dwCreationFlags, DWORD* pThreadId) {
  auto obj = std::make_shared<ThreadObject>();
  obj->m_suspendCount = (dwCreationFlags & CREATE_SUSPENDED) ? 1 : 0;
  HANDLE h = ZelRegisterHandle(obj);
  if (!h) return NULL;
  auto* rec = new StartRecord{obj, std::move(fn)};
  pthread_t tid;
  int rc = pthread_create(&tid, nullptr, ThreadMain, rec);
  if (rc != 0) {
    delete rec;
    CloseHandle(h);
    ZelSetLastErrorFromErrno(rc);
    return NULL;
  }
  pthread_detach(tid);
  std::unique_lock<std::mutex> lock(obj->m_gate);
  obj->m_gateChanged.wait(lock, [&] { return obj->m_id != 0; });
  if (pThreadId) *pThreadId = obj->m_id;
  return h;
}

uintptr_t _beginthreadex(void*, unsigned stack_size, unsigned(__stdcall* start_address)(void*), void* arglist,
                         unsigned initflag, unsigned* thrdaddr) {
  (void)stack_size;  // the system's default is larger than any caller asks
  if (!start_address) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD id = 0;
  HANDLE h = ZelStartThread([start_address, arglist]() -> DWORD { return start_address(arglist); }, initflag, &id);
  if (thrdaddr) *thrdaddr = id;
  return reinterpret_cast<uintptr_t>(h);
}

void _endthreadex(unsigned retval) {
  t_exitCode = retval;
  // Unwinds the thread's stack, so FinishGuard records the end.
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto t = ZelLookupHandleAs<ThreadObject>(hThread);
  if (!t) return FALSE;
  if (!lpExitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ZelSignalChanged([&] { *lpExitCode = t->m_exitCode; });
  return TRUE;
}

DWORD ResumeThread(HANDLE hThread) {
  auto t = ZelLookupHandleAs<ThreadObject>(hThread);
  if (!t) return static_cast<DWORD>(-1);
  std::lock_guard<std::mutex> lock(t->m_gate);
  DWORD previous = t->m_suspendCount;
  if (previous > 0) --t->m_suspendCount;
  t->m_gateChanged.notify_all();
  return previous;
}

BOOL SetThreadPriority(HANDLE hThread, int) {
  // Priorities need privileges here; the threads of the library run at the
  // normal one.
  return ZelLookupHandleAs<ThreadObject>(hThread) ? TRUE : FALSE;
}

DWORD GetCurrentThreadId() {
  thread_local DWORD id = g_nextThreadId++;
  return id;
}

void Sleep(DWORD dwMilliseconds) {
  struct timespec ts;
  ts.tv_sec = dwMilliseconds / 1000;
  ts.tv_nsec = static_cast<long>(dwMilliseconds % 1000) * 1000000L;
  while (nanosleep(&ts, &ts) != 0) {
  }
}

ULONGLONG GetTickCount64() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }
