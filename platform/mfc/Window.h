// Windows and their message queues.
//
// There is no screen: a window is a handle bound to the message queue of the
// thread that created it, and an object whose WindowProc receives what is
// dispatched to it. Each thread gets its queue on first use. Posting is
// safe from any thread; reading a queue is for its own thread.
#pragma once

#include "ZELExport.h"

#include "platform/base/WinError.h"
#include "platform/base/WinTypes.h"
#include "platform/mfc/String.h"

struct POINT {
  LONG x;
  LONG y;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef const RECT* LPCRECT;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

// The parent of a window that only receives messages.
#define HWND_MESSAGE ((HWND)(LONG_PTR)-3)

// Posts to the queue of the window's thread; FALSE with
// ERROR_INVALID_WINDOW_HANDLE for a window that is gone. A NULL hwnd posts a
// thread message to the calling thread.
ZEL_EXPORT BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// FALSE with ERROR_INVALID_THREAD_ID when the thread has no queue yet.
ZEL_EXPORT BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure directly, on the calling thread.
ZEL_EXPORT LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// hWnd NULL reads any message of the thread, (HWND)-1 only thread messages;
// wMsgFilterMin = wMsgFilterMax = 0 takes every message number. WM_QUIT
// passes every filter.
ZEL_EXPORT BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Waits for a message: >0 for one, 0 for WM_QUIT, -1 for a bad window.
ZEL_EXPORT BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// Calls the procedure of the message's window; 0 when it has none.
ZEL_EXPORT LRESULT DispatchMessageW(const MSG* lpMsg);
ZEL_EXPORT BOOL TranslateMessage(const MSG* lpMsg);
ZEL_EXPORT void PostQuitMessage(int nExitCode);
ZEL_EXPORT BOOL IsWindow(HWND hWnd);
// The thread whose queue a window uses, or 0 for a window that is gone.
ZEL_EXPORT DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

class ZEL_EXPORT CWnd {
public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  // Destroys the window if the owner has not.
  virtual ~CWnd();

  // Makes the window on the calling thread's queue; FALSE if this object
  // already has one. Styles, places and menus are kept for the shape only.
  virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x,
                        int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = NULL);
  virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, LPVOID pContext = NULL);
  // Messages already posted to the window are dropped with it.
  virtual BOOL DestroyWindow();

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  CString GetWindowText() const;

  // The object behind a handle, or NULL.
  static CWnd* FromHandle(HWND hWnd);

  // Receives every message dispatched to the window.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hWnd = NULL;

private:
  CString m_strTitle;
};
