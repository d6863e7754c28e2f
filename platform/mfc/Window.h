// Windows and their message queues (placeholder until the window layer lands).
#pragma once
#include "platform/base/WinTypes.h"
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
};
