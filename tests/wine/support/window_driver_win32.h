// Finding and driving the program's windows in tests, as a user or another program would.
#pragma once

#include <windows.h>

#include <string>

#include "platform/utf16_win32.h"

namespace qm::test {

// Waits for a top-level window of `window_class` (and `title`, when given) to appear.
inline HWND WaitForWindow(const wchar_t* window_class, const wchar_t* title,
                          DWORD timeout_ms = 10000) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND found = FindWindowW(window_class, title);
    if (found && IsWindowVisible(found)) return found;
    if (GetTickCount() - start > timeout_ms) return nullptr;
    Sleep(20);
  }
}

// Runs the calling thread's messages for a while, as its message loop would.
inline void PumpMessages(DWORD ms = 50) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

// WM_GETTEXT works across threads and processes, where GetWindowText may not.
inline std::string ControlText(HWND control) {
  wchar_t buffer[2048] = {};
  SendMessageW(control, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer));
  return WideToUtf8(buffer);
}

// A control's rectangle in its parent's client coordinates.
inline RECT ControlRect(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace qm::test
