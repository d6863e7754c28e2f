// Threads of the runtime, as waitable kernel objects, and the clock.
//
// A thread's handle is signalled when its function has returned; it stays
// valid until CloseHandle, as on Windows, so a creator can wait for it and
// read its exit code. A thread started suspended waits for ResumeThread.
#pragma once

#include "ZELExport.h"

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
ZEL_EXPORT HANDLE ZelStartThread(std::function<DWORD()> fn, DWORD dwCreationFlags, DWORD* pThreadId);

ZEL_EXPORT uintptr_t _beginthreadex(void* security, unsigned stack_size, unsigned(__stdcall* start_address)(void*),
                         void* arglist, unsigned initflag, unsigned* thrdaddr);
// Ends the calling thread, which must have been started by this layer.
[[noreturn]] ZEL_EXPORT void _endthreadex(unsigned retval);

ZEL_EXPORT BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
ZEL_EXPORT DWORD ResumeThread(HANDLE hThread);
ZEL_EXPORT BOOL SetThreadPriority(HANDLE hThread, int nPriority);

// Ids are small numbers given out in order of first use; never 0.
ZEL_EXPORT DWORD GetCurrentThreadId();
ZEL_EXPORT void Sleep(DWORD dwMilliseconds);
// Milliseconds of a monotonic clock; wraps after 49.7 days as on Windows.
ZEL_EXPORT DWORD GetTickCount();
ZEL_EXPORT ULONGLONG GetTickCount64();
