// Locks of the framework: a re-entrant critical section and its scoped user.
#pragma once

#include "ZELExport.h"

#include <mutex>

#include "platform/base/WinTypes.h"

class ZEL_EXPORT CSyncObject {
public:
  virtual ~CSyncObject() = default;
  virtual BOOL Lock(DWORD dwTimeout = INFINITE) = 0;
  virtual BOOL Unlock() = 0;
};

// The same thread may lock it again; each Lock needs its Unlock.
class ZEL_EXPORT CCriticalSection : public CSyncObject {
public:
  CCriticalSection() = default;
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  BOOL Lock() { m_mutex.lock(); return TRUE; }
  // The timeout is not honoured, as in the framework: a critical section
  // waits for as long as it takes.
  BOOL Lock(DWORD dwTimeout) override { (void)dwTimeout; return Lock(); }
  BOOL Unlock() override { m_mutex.unlock(); return TRUE; }
  BOOL TryLock() { return m_mutex.try_lock() ? TRUE : FALSE; }

private:
  std::recursive_mutex m_mutex;
};

// Locks its object on Lock (or at construction with bInitialLock) and
// unlocks it on destruction if it still holds it.
class ZEL_EXPORT CSingleLock {
public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;
  ~CSingleLock();

  BOOL Lock(DWORD dwTimeout = INFINITE);
  BOOL Unlock();
  BOOL IsLocked() const { return m_bAcquired; }

private:
  CSyncObject* m_pObject;
  BOOL m_bAcquired = FALSE;
};
