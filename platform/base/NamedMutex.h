// Named mutexes shared by every process on the machine.
//
// A name is a lock file in /dev/shm (or /tmp where there is none) held with
// flock(). The kernel drops the lock when the last descriptor of its holder
// closes, so a holder that dies never keeps the name for good, and nothing
// has to be cleaned up. The files themselves stay: removing one while
// another process is about to lock it would split the name in two.
//
// A name is taken while the handle that first created it is open.
// CreateMutexW of a taken name answers a handle that is not the owner and
// ERROR_ALREADY_EXISTS, in this process or any other; that handle does not
// keep the name taken. Nor can it wait for the holder: a wait on a named
// mutex answers WAIT_FAILED, which callers that only try the name (as a
// format lock) never do.
#pragma once

#include "ZELExport.h"
#include "platform/base/Handle.h"

// NULL with ERROR_INVALID_NAME for a name that is too long, or with the
// error of the lock file when it cannot be made. An unnamed mutex is
// private to the process.
ZEL_EXPORT HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
// FALSE with ERROR_NOT_OWNER unless the handle made the mutex owned.
ZEL_EXPORT BOOL ReleaseMutex(HANDLE hMutex);

// For tests: the folder of the lock files, so that a test can run beside a
// real holder without meeting it. Empty restores the default.
ZEL_EXPORT void ZelSetNamedMutexFolder(const char* folder);
