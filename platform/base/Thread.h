// Threads of the runtime, as waitable kernel objects, and the clock.
//
// A thread's handle is signalled when its function has returned; it stays
// valid until CloseHandle, as on Windows, so a creator can wait for it and
// read its exit code. A thread started suspended waits for ResumeThread.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/Handle.h"
#include "platform/base/WinTypes.h"

#define STILL_ACTIVE 259
#define CREATE_SUSPENDED 0x00000004
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15

// Starts fn on a new thread; its result is the thread's exit code. Answers
// the thread's handle (and its id in *pThreadId), or NULL with the last
// error set when the system refuses another thread.
HANDLE ZelStartThread(std::function<DWORD()> fn, DWORD dwCreationFlags, DWORD* pThreadId);

uintptr_t _beginthreadex(void* security, unsigned stack_size, unsigned(__stdcall* start_address)(void*),
                         void* arglist, unsigned initflag, unsigned* thrdaddr);
// Ends the calling thread, which must have been started by this layer.
[[noreturn]] void _endthreadex(unsigned retval);

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD ResumeThread(HANDLE hThread);
BOOL SetThreadPriority(HANDLE hThread, int nPriority);

// Ids are small numbers given out in order of first use; never 0.
DWORD GetCurrentThreadId();
void Sleep(DWORD dwMilliseconds);
// Milliseconds of a monotonic clock; wraps after 49.7 days as on Windows.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
