#include "platform/mfc/Thread.h"

namespace {

// The framework thread object of the calling thread, for AfxEndThread.
thread_local CWinThread* t_current = nullptr;

}  // namespace

CWinThread::~CWinThread() {
  if (m_hThread) CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int nPriority) {
  if (!::SetThreadPriority(m_hThread, nPriority)) return FALSE;
  m_nPriority = nPriority;
  return TRUE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, void* lpSecurityAttrs) {
  (void)nStackSize;
  (void)lpSecurityAttrs;
  if (!pfnThreadProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return NULL;
  }
  CWinThread* pThread = new CWinThread;
  auto run = [pThread, pfnThreadProc, pParam]() -> DWORD {
    t_current = pThread;
    UINT code = pfnThreadProc(pParam);
    t_current = nullptr;
    if (pThread->m_bAutoDelete) delete pThread;
    return code;
  };
  // Always started suspended, so that the object is complete before the
  // thread can run, end and delete it.
  DWORD id = 0;
  HANDLE h = ZelStartThread(run, CREATE_SUSPENDED, &id);
  if (!h) {
    delete pThread;
    return NULL;
  }
  pThread->m_hThread = h;
  pThread->m_nThreadID = id;
  pThread->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) ::ResumeThread(h);
  return pThread;
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) {
  CWinThread* pThread = t_current;
  t_current = nullptr;
  if (pThread && bDelete && pThread->m_bAutoDelete) delete pThread;
  _endthreadex(nExitCode);
}
