// Worker threads of the framework.
//
// A CWinThread deletes itself when its function returns, unless
// m_bAutoDelete was cleared (start it suspended, clear the flag, then
// ResumeThread); then its owner waits on m_hThread and deletes it.
#pragma once

#include "ZELExport.h"

#include "platform/base/Thread.h"
#include "platform/base/WinTypes.h"

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class ZEL_EXPORT CWinThread {
public:
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;
  virtual ~CWinThread();

  DWORD ResumeThread();
  DWORD SuspendThread() { return 0; }
  BOOL SetThreadPriority(int nPriority);
  int GetThreadPriority() const { return m_nPriority; }
  operator HANDLE() const { return m_hThread; }

  HANDLE m_hThread = NULL;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;

private:
  friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
  CWinThread() = default;
  int m_nPriority = THREAD_PRIORITY_NORMAL;
};

// Answers NULL (last error set) when the thread cannot be started.
ZEL_EXPORT CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, void* lpSecurityAttrs = NULL);
// Ends the calling thread of AfxBeginThread with an exit code.
[[noreturn]] ZEL_EXPORT void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);
