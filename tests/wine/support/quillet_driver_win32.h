// Driving Quillet.exe from outside: its start, the snippet menu and its message boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "quillet/main/main_form_win32.h"
#include "quillet/pick/picker_window_win32.h"
#include "tests/wine/support/process_driver_win32.h"
#include "tests/wine/support/temp_folder_win32.h"

namespace qm::test {

// Quillet's main window once the program has started and waits for input, its keyboard's
// part (the picker's hidden window, made at the first idle moment) started too; null when it
// did not get that far.
inline HWND WaitForQuilletMain(Process& quillet) {
  HWND main = WaitForProcessWindow(
      quillet.pid(), [](HWND w) { return ClassOf(w) == kMainFormClass; }, kWaitMs, true);
  if (!main) return nullptr;
  // Started: the caption is set.
  if (!WaitUntil([&] { return Text(main) != "Quillet"; })) return nullptr;
  WaitForInputIdle(quillet.info.hProcess, kWaitMs);
  if (!WaitForProcessWindow(
          quillet.pid(), [](HWND w) { return ClassOf(w) == kPickerClass; }, kWaitMs, true)) {
    return nullptr;
  }
  WaitForInputIdle(quillet.info.hProcess, kWaitMs);
  return main;
}

// The notification icon's left press, which opens the snippet menu.
inline HWND OpenSnippetMenu(HWND main) {
  PostMessageW(main, 1024, 0, WM_LBUTTONDOWN);
  HWND menu = WaitForMenu();
  // The menu window shows a moment before its loop reads keys; a key posted before that
  // reaches the window alone and is lost.
  if (menu) Sleep(250);
  return menu;
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

// A copy of Quillet.exe in a folder of its own, with its data file there, no stored settings
// before and after, and the program ended with "&Beenden" at the end of the test.
class QuilletFixture : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"Quillet.exe").c_str(),
                          folder.WFile(L"Quillet.exe").c_str(), FALSE));
    data_file = folder.File("Quillet.ini");
    // The send log goes into the test's folder, not the user's.
    SetEnvironmentVariableW(L"LOCALAPPDATA", folder.wpath().c_str());
  }
  void TearDown() override { Quit(); }
  // The send log's rows as the program wrote them, empty before the first.
  std::string SendLog() const {
    std::string bytes;
    if (HANDLE f = CreateFileW(folder.WFile(L"Quillet\\Versandprotokoll.csv").c_str(),
                               GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        f != INVALID_HANDLE_VALUE) {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
      CloseHandle(f);
    }
    return bytes;
  }
  void Quit() {
    if (main && quillet.Wait(0) == STILL_ACTIVE) {
      PostMessageW(main, WM_COMMAND, CommandId(QuilletCommand::kMenuQuit), 0);
      EXPECT_NE(quillet.Wait(kWaitMs), STILL_ACTIVE);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  }
  void Start(const std::wstring& arguments = L"") {
    ASSERT_TRUE(quillet.Start(folder.WFile(L"Quillet.exe"), arguments));
    main = WaitForQuilletMain(quillet);
    ASSERT_NE(main, nullptr) << "Quillet did not start";
  }
  // The screen-edge strip, once it is shown.
  HWND Strip() {
    return WaitForProcessWindow(
        quillet.pid(), [](HWND w) { return ClassOf(w) == L"QuilletMoveOverFrm"; }, kWaitMs,
        true);
  }

  static constexpr const wchar_t* kSettingsKey = L"Software\\Ferrandel Software\\Quillet";
  TempFolder folder;
  std::string data_file;
  Process quillet;
  HWND main = nullptr;
};

}  // namespace qm::test
