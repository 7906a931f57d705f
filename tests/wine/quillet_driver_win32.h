// Driving Quillet.exe from outside: its start, the snippet menu and its message boxes.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_form_win32.h"
#include "tests/wine/process_driver_win32.h"

namespace qm::test {

// Quillet's main window once the program has started and waits for input; null when it
// did not get that far.
inline HWND WaitForQuilletMain(Process& quillet) {
  HWND main = WaitForProcessWindow(
      quillet.pid(), [](HWND w) { return ClassOf(w) == kMainFormClass; }, kWaitMs, true);
  if (!main) return nullptr;
  // Started: the caption is set.
  if (!WaitUntil([&] { return Text(main) != "Quillet"; })) return nullptr;
  WaitForInputIdle(quillet.info.hProcess, kWaitMs);
  return main;
}

// The notification icon's left press, which opens the snippet menu.
inline HWND OpenSnippetMenu(HWND main) {
  PostMessageW(main, 1024, 0, WM_LBUTTONDOWN);
  return WaitForMenu();
}

// How many menu windows are open: 2 while a submenu of the snippet menu is shown.
inline int OpenMenus() {
  int open = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    if (IsWindowVisible(w)) ++open;
  }
  return open;
}

// A message box of the process `pid`, waiting for it up to `timeout`.
inline HWND WaitForMessageBox(DWORD pid, DWORD timeout = kWaitMs) {
  return WaitForProcessWindow(
      pid, [](HWND w) { return ClassOf(w) == L"#32770"; }, timeout);
}

// The message of a message box: its first static control with text (the icon has none).
inline std::string MessageBoxText(HWND box) {
  for (HWND c = nullptr; (c = FindWindowExW(box, c, L"Static", nullptr)) != nullptr;) {
    const std::string text = Text(c);
    if (!text.empty()) return text;
  }
  return {};
}

}  // namespace qm::test
