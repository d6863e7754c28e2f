#include "platform/mfc/Window.h"

#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/base/Thread.h"

namespace {

struct Queue {
  explicit Queue(DWORD tid) : threadId(tid) {}
  const DWORD threadId;
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<MSG> messages;
  bool quit = false;
  int quitCode = 0;
};

struct WindowEntry {
  CWnd* wnd;
  std::shared_ptr<Queue> queue;
};

// Which thread owns which queue, and which queue each window uses. Made on
// first use and never destroyed, as threads may post while the process
// ends.
struct Registry {
  std::mutex mutex;
  std::unordered_map<DWORD, std::shared_ptr<Queue>> queues;
  std::unordered_map<uintptr_t, WindowEntry> windows;
  uintptr_t nextHwnd = 0x10000;
};
Registry& Reg() {
  static Registry* r = new Registry;
  return *r;
}

// The calling thread's queue lives as long as the thread.
struct QueueHolder {
  std::shared_ptr<Queue> queue;
  ~QueueHolder() {
    if (!queue) return;
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.queues.erase(queue->threadId);
  }
};
thread_local QueueHolder t_queue;

std::shared_ptr<Queue> CurrentQueue() {
  if (!t_queue.queue) {
    auto q = std::make_shared<Queue>(GetCurrentThreadId());
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.queues[q->threadId] = q;
    t_queue.queue = q;
  }
  return t_queue.queue;
}

bool FindWindow(HWND hWnd, WindowEntry& out) {
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.windows.find(reinterpret_cast<uintptr_t>(hWnd));
  if (it == r.windows.end()) return false;
  out = it->second;
  return true;
}

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

bool Matches(const MSG& m, HWND hWnd, UINT wMin, UINT wMax) {
  if (hWnd == kThreadOnly ? m.hwnd != NULL : (hWnd != NULL && m.hwnd != hWnd)) return false;
  return (wMin == 0 && wMax == 0) || (m.message >= wMin && m.message <= wMax);
}

void Post(Queue& q, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  MSG m{hWnd, Msg, wParam, lParam, GetTickCount(), {0, 0}};
  std::lock_guard<std::mutex> lock(q.mutex);
  q.messages.push_back(m);
  q.posted.notify_all();
}

// Takes (or copies) the first matching message, with the queue locked.
// WM_QUIT comes once the matching messages before it are read.
bool Take(Queue& q, LPMSG lpMsg, HWND hWnd, UINT wMin, UINT wMax, bool remove) {
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!Matches(*it, hWnd, wMin, wMax)) continue;
    *lpMsg = *it;
    if (remove) q.messages.erase(it);
    return true;
  }
  if (!q.quit) return false;
  *lpMsg = MSG{NULL, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), {0, 0}};
  if (remove) q.quit = false;
  return true;
}

bool BadFilterWindow(HWND hWnd) {
  WindowEntry e;
  if (hWnd == NULL || hWnd == kThreadOnly || FindWindow(hWnd, e)) return false;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return true;
}

}  // namespace

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == NULL) {
    Post(*CurrentQueue(), NULL, Msg, wParam, lParam);
    return TRUE;
  }
  WindowEntry e;
  if (!FindWindow(hWnd, e)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Post(*e.queue, hWnd, Msg, wParam, lParam);
  return TRUE;
}

BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Queue> q;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.queues.find(idThread);
    if (it != r.queues.end()) q = it->second;
  }
  if (!q) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  Post(*q, NULL, Msg, wParam, lParam);
  return TRUE;
}

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WindowEntry e;
  if (!FindWindow(hWnd, e)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return e.wnd->WindowProc(Msg, wParam, lParam);
}

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg || BadFilterWindow(hWnd)) return FALSE;
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lock(q->mutex);
  return Take(*q, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (BadFilterWindow(hWnd)) return -1;
  auto q = CurrentQueue();
  std::unique_lock<std::mutex> lock(q->mutex);
  q->posted.wait(lock, [&] { return Take(*q, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true); });
  return lpMsg->message == WM_QUIT ? 0 : 1;
}

LRESULT DispatchMessageW(const MSG* lpMsg) {
  if (!lpMsg || lpMsg->hwnd == NULL) return 0;
  WindowEntry e;
  if (!FindWindow(lpMsg->hwnd, e)) return 0;
  return e.wnd->WindowProc(lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL TranslateMessage(const MSG*) { return FALSE; }  // there are no key messages

void PostQuitMessage(int nExitCode) {
  auto q = CurrentQueue();
  std::lock_guard<std::mutex> lock(q->mutex);
  q->quit = true;
  q->quitCode = nExitCode;
  q->posted.notify_all();
}

BOOL IsWindow(HWND hWnd) {
  WindowEntry e;
  return FindWindow(hWnd, e) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
  WindowEntry e;
  if (!FindWindow(hWnd, e)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (lpdwProcessId) *lpdwProcessId = static_cast<DWORD>(getpid());
  return e.queue->threadId;
}

CWnd::~CWnd() { CWnd::DestroyWindow(); }

BOOL CWnd::CreateEx(DWORD, LPCWSTR, LPCWSTR lpszWindowName, DWORD, int, int, int, int, HWND, HMENU, LPVOID) {
  if (m_hWnd) return FALSE;
  auto q = CurrentQueue();
  Registry& r = Reg();
  std::lock_guard<std::mutex> lock(r.mutex);
  uintptr_t h = r.nextHwnd;
  r.nextHwnd += 0x10;  // never reused: a stale handle finds no window
  r.windows[h] = WindowEntry{this, q};
  m_hWnd = reinterpret_cast<HWND>(h);
  m_strTitle = lpszWindowName;
  return TRUE;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, LPVOID) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : NULL,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  std::shared_ptr<Queue> q;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.windows.find(reinterpret_cast<uintptr_t>(m_hWnd));
    if (it != r.windows.end()) {
      q = it->second.queue;
      r.windows.erase(it);
    }
  }
  if (q) {
    std::lock_guard<std::mutex> lock(q->mutex);
    for (auto it = q->messages.begin(); it != q->messages.end();)
      it = it->hwnd == m_hWnd ? q->messages.erase(it) : it + 1;
  }
  m_hWnd = NULL;
  return TRUE;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) {  // not a thread message by accident
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(m_hWnd, message, wParam, lParam);
}

CString CWnd::GetWindowText() const { return m_strTitle; }

CWnd* CWnd::FromHandle(HWND hWnd) {
  WindowEntry e;
  return FindWindow(hWnd, e) ? e.wnd : NULL;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) { return 0; }
