#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/mfc/Thread.h"
#include "platform/mfc/Window.h"

namespace {

class Recorder : public CWnd {
public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back({message, wParam, lParam});
    return static_cast<LRESULT>(wParam) * 2;
  }
  struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Seen> seen;
};

const UINT WM_DATA = WM_USER + 1;

}  // namespace

TEST(Window, MessagesPostedFromAnotherThreadAreReadAndDispatched) {
  Recorder wnd;
  ASSERT_TRUE(wnd.CreateEx(0, NULL, L"recv", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL));
  ASSERT_NE(wnd.m_hWnd, nullptr);
  EXPECT_FALSE(wnd.CreateEx(0, NULL, L"again", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL));
  EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);
  EXPECT_EQ(wnd.GetWindowText(), L"recv");
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(PostMessageW(wnd.m_hWnd, WM_DATA, static_cast<WPARAM>(i), -i));
  });
  poster.join();
  MSG msg;
  // Peeking without removing leaves the message in place.
  ASSERT_TRUE(PeekMessageW(&msg, wnd.m_hWnd, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 0u);
  int n = 0;
  while (PeekMessageW(&msg, wnd.m_hWnd, 0, 0, PM_REMOVE)) {
    EXPECT_EQ(msg.hwnd, wnd.m_hWnd);
    EXPECT_EQ(DispatchMessageW(&msg), static_cast<LRESULT>(n) * 2);
    ++n;
  }
  ASSERT_EQ(wnd.seen.size(), 100u);
  EXPECT_EQ(wnd.seen[99].wParam, 99u);
  EXPECT_EQ(wnd.seen[99].lParam, -99);
  EXPECT_EQ(wnd.SendMessage(WM_DATA, 21), 42);
}

TEST(Window, FiltersByWindowAndRange) {
  Recorder a, b;
  a.CreateEx(0, NULL, NULL, 0, 0, 0, 0, 0, NULL, NULL);
  b.CreateEx(0, NULL, NULL, 0, 0, 0, 0, 0, NULL, NULL);
  PostMessageW(a.m_hWnd, WM_USER, 1, 0);
  PostMessageW(b.m_hWnd, WM_APP, 2, 0);
  PostMessageW(NULL, WM_USER + 5, 3, 0);  // a thread message
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b.m_hWnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessageW(&msg, b.m_hWnd, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, NULL, WM_USER + 1, WM_USER + 9, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageW(&msg), 0);
  ASSERT_TRUE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, a.m_hWnd);
  EXPECT_FALSE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE));
}

TEST(Window, DestroyedWindowRefusesPostsAndDropsItsQueue) {
  Recorder wnd;
  wnd.CreateEx(0, NULL, NULL, 0, 0, 0, 0, 0, NULL, NULL);
  HWND h = wnd.m_hWnd;
  PostMessageW(h, WM_DATA, 1, 0);
  EXPECT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(PostMessageW(h, WM_DATA, 2, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(wnd.PostMessage(WM_DATA));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageW(&msg, h, 0, 0), -1);
  EXPECT_EQ(DispatchMessageW(nullptr), 0);
}

TEST(Window, GetMessageBlocksUntilPostedAndEndsOnQuit) {
  std::thread worker;
  DWORD tid = 0;
  std::vector<UINT> got;
  HWND hwnd = NULL;
  {
    std::atomic<bool> ready{false};
    worker = std::thread([&] {
      Recorder wnd;
      wnd.CreateEx(0, NULL, NULL, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL);
      hwnd = wnd.m_hWnd;
      tid = GetWindowThreadProcessId(hwnd, NULL);
      ready = true;
      MSG msg;
      while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message == WM_CLOSE) PostQuitMessage(3);
      }
      EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
      EXPECT_EQ(msg.wParam, 3u);
      for (auto& s : wnd.seen) got.push_back(s.message);
    });
    while (!ready) std::this_thread::yield();
  }
  EXPECT_NE(tid, GetCurrentThreadId());
  Sleep(20);  // the worker is now waiting in GetMessageW
  EXPECT_TRUE(PostMessageW(hwnd, WM_DATA, 0, 0));
  EXPECT_TRUE(PostThreadMessageW(tid, WM_USER + 7, 0, 0));
  EXPECT_TRUE(PostMessageW(hwnd, WM_CLOSE, 0, 0));
  worker.join();
  EXPECT_EQ(got, (std::vector<UINT>{WM_DATA, WM_CLOSE}));
  EXPECT_FALSE(PostThreadMessageW(tid, WM_USER, 0, 0));  // the thread and its queue are gone
  EXPECT_FALSE(IsWindow(hwnd));
}
