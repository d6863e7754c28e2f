// Kernel objects behind HANDLEs: events, threads, and whatever a stand-in
// derives from ZelKernelObject (a port, a mutex).
//
// A handle is a number that is never reused, looked up in a process-wide
// table, so a stale or made-up handle answers ERROR_INVALID_HANDLE instead
// of touching freed memory. The table holds shared references: an object
// closed by one thread while another waits on it lives until the wait ends.
#pragma once

#include "ZELExport.h"

#include <memory>

#include "platform/base/WinError.h"
#include "platform/base/WinTypes.h"

class ZEL_EXPORT ZelKernelObject {
public:
  virtual ~ZelKernelObject() = default;
  // Waiting. Both are called with the wait lock held (see ZelSignalChanged).
  // An object that cannot be waited on answers FALSE from IsWaitable.
  virtual bool IsWaitable() const { return false; }
  virtual bool IsSignaled() const { return false; }
  // Called once a wait is satisfied by this object: an auto-reset event
  // resets itself here, a mutex takes its new owner.
  virtual void OnAcquired() {}
  // Called when a handle of the object is closed, while other threads may
  // still hold it: a device ends the calls blocked on it here.
  virtual void OnClose() {}
};

// Puts an object into the table and answers its new handle.
ZEL_EXPORT HANDLE ZelRegisterHandle(std::shared_ptr<ZelKernelObject> obj);
// The object of a handle, or nullptr (last error ERROR_INVALID_HANDLE).
ZEL_EXPORT std::shared_ptr<ZelKernelObject> ZelLookupHandle(HANDLE h);
template <class T>
std::shared_ptr<T> ZelLookupHandleAs(HANDLE h) {
  auto p = std::dynamic_pointer_cast<T>(ZelLookupHandle(h));
  if (!p) SetLastError(ERROR_INVALID_HANDLE);
  return p;
}
// Runs fn with the wait lock held, then wakes every waiter to look again.
// A waitable object changes its state only through this.
ZEL_EXPORT void ZelLockWaits();
ZEL_EXPORT void ZelUnlockWaits();
template <class Fn>
void ZelSignalChanged(Fn fn) {
  ZelLockWaits();
  try {
    fn();
  } catch (...) {
    ZelUnlockWaits();
    throw;
  }
  ZelUnlockWaits();
}

ZEL_EXPORT BOOL CloseHandle(HANDLE hObject);

#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64
ZEL_EXPORT DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
ZEL_EXPORT DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// Events. A name is accepted but events are not shared by name.
ZEL_EXPORT HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
ZEL_EXPORT BOOL SetEvent(HANDLE hEvent);
ZEL_EXPORT BOOL ResetEvent(HANDLE hEvent);
