#include "platform/mfc/Sync.h"

CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject) {
  if (bInitialLock) Lock();
}

CSingleLock::~CSingleLock() { Unlock(); }

BOOL CSingleLock::Lock(DWORD dwTimeout) {
  if (!m_pObject) return FALSE;
  // Locking twice through one CSingleLock would need two unlocks that its
  // destructor never gives; the second call is a no-op instead.
  if (m_bAcquired) return TRUE;
  m_bAcquired = m_pObject->Lock(dwTimeout);
  return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
  if (m_pObject && m_bAcquired) {
    m_bAcquired = FALSE;
    return m_pObject->Unlock();
  }
  return TRUE;
}
