// Starting a program and driving its windows from outside, as a user or another program would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/utf16_win32.h"

namespace qm::test {

inline constexpr DWORD kWaitMs = 20000;

// The folder of the running test binary, where the programs are built.
inline std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

struct Process {
  PROCESS_INFORMATION info{};
  bool Start(const std::wstring& exe, const std::wstring& arguments = L"") {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &info) != 0;
  }
  // Exit code, or STILL_ACTIVE after the timeout.
  DWORD Wait(DWORD ms) {
    WaitForSingleObject(info.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  DWORD pid() const { return info.dwProcessId; }
  ~Process() {
    if (info.hProcess) {
      if (Wait(0) == STILL_ACTIVE) TerminateProcess(info.hProcess, 99);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

inline std::wstring ClassOf(HWND w) {
  wchar_t name[256] = {};
  GetClassNameW(w, name, 256);
  return name;
}

// The first top-level window of `pid` that `match` accepts (visible ones only unless
// `any_visibility`), waiting for it.
inline HWND WaitForProcessWindow(DWORD pid, const std::function<bool(HWND)>& match,
                                 DWORD timeout = kWaitMs, bool any_visibility = false) {
  struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* match;
    bool any;
    HWND found;
  };
  const DWORD start = GetTickCount();
  do {
    Search s{pid, &match, any_visibility, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* search = reinterpret_cast<Search*>(lp);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == search->pid && (search->any || IsWindowVisible(w)) &&
              (*search->match)(w)) {
            search->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    Sleep(50);
  } while (GetTickCount() - start < timeout);
  return nullptr;
}

// Wine's own notepad as a target: started, its window and its edit found.
struct Notepad {
  Process process;
  HWND window = nullptr, edit = nullptr;
  bool Start() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    if (!process.Start(std::wstring(system) + L"\\notepad.exe")) return false;
    window = WaitForProcessWindow(process.pid(), [](HWND w) { return ClassOf(w) == L"Notepad"; });
    edit = window ? FindWindowExW(window, nullptr, L"Edit", nullptr) : nullptr;
    return edit != nullptr;
  }
};

inline std::string Text(HWND w) {
  wchar_t buffer[1024] = {};
  SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  return WideToUtf8(buffer);
}

// Presses the dialog's button with `id` as a click would.
inline bool Click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) return false;
  PostMessageW(button, BM_CLICK, 0, 0);
  return true;
}

inline bool WaitGone(HWND w) {
  const DWORD start = GetTickCount();
  while (IsWindow(w) && IsWindowVisible(w)) {
    if (GetTickCount() - start > kWaitMs) return false;
    Sleep(50);
  }
  return true;
}

// Waits until `done` holds; false after the timeout.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeout = kWaitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout) return false;
    Sleep(50);
  }
  return true;
}

inline HWND WaitForMenu(DWORD timeout = kWaitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) return menu;
    Sleep(50);
  }
  return nullptr;
}

inline void Key(HWND w, UINT vk) {
  PostMessageW(w, WM_KEYDOWN, vk, 0);
  PostMessageW(w, WM_KEYUP, vk, 0xC0000000);
  Sleep(100);
}

}  // namespace qm::test
