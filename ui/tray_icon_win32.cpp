// The notification-area icon of one window of the program: hook, add, remove, unhook.
#include "ui/tray_icon_win32.h"

#include <shellapi.h>

#include <cwchar>
#include <map>
#include <utility>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

struct IconEntry {
  HICON icon;
  std::wstring tip;
};

// One hooked window per process, as the program has one icon window.
struct TrayState {
  HWND window = nullptr;
  WNDPROC previous = nullptr;
  TrayCallbacks callbacks;
  UINT taskbar_created = 0;
  // Kept so that the icons come back when the shell restarts.
  std::map<unsigned, IconEntry> icons;
};

TrayState& State() {
  static TrayState state;
  return state;
}

NOTIFYICONDATAW IconData(HWND window, unsigned id) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  return data;
}

bool NotifyAdd(HWND window, unsigned id, const IconEntry& entry) {
  NOTIFYICONDATAW data = IconData(window, id);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = entry.icon;
  wcsncpy(data.szTip, entry.tip.c_str(), std::size(data.szTip) - 1);
  if (Shell_NotifyIconW(NIM_ADD, &data)) return true;
  // Already there (added before the shell noticed a restart): update it instead.
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// The tip as the icon holds it: a surrogate pair is never split at the end.
std::wstring WideTip(const std::string& tip) {
  std::wstring wide = Utf8ToWide(TrayTip(tip));
  constexpr std::size_t kCapacity = std::size(NOTIFYICONDATAW{}.szTip) - 1;
  if (wide.size() > kCapacity) {
    wide.resize(kCapacity);
    if (wide.back() >= 0xD800 && wide.back() <= 0xDBFF) wide.pop_back();
  }
  return wide;
}

void Restore(TrayState& s) {
  if (s.window && s.previous && IsWindow(s.window)) {
    SetWindowLongPtrW(s.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.previous));
  }
  s.window = nullptr;
  s.previous = nullptr;
  s.callbacks = {};
  s.icons.clear();
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  TrayState& s = State();
  const WNDPROC previous = s.previous;
  if (message == kTrayMessage) {
    // A copy: a callback may unhook the window and so clear the state it runs from.
    const TrayCallbacks callbacks = s.callbacks;
    try {
      DispatchTrayMessage(message, static_cast<std::uintptr_t>(wparam),
                          static_cast<std::intptr_t>(lparam), callbacks);
    } catch (...) {
      // Nothing may unwind through the system's code; the click is simply lost.
    }
    return 0;
  }
  if (message == s.taskbar_created && s.taskbar_created != 0) {
    for (const auto& [id, entry] : s.icons) NotifyAdd(window, id, entry);
  }
  if (message == WM_NCDESTROY) {
    // Destroyed while still hooked: the icons must not outlive their window.
    for (const auto& icon : s.icons) {
      NOTIFYICONDATAW data = IconData(window, icon.first);
      Shell_NotifyIconW(NIM_DELETE, &data);
    }
    Restore(s);
  }
  if (!previous) return DefWindowProcW(window, message, wparam, lparam);
  return CallWindowProcW(previous, window, message, wparam, lparam);
}

}  // namespace

void HookTrayWindow(HWND window, TrayCallbacks callbacks) {
  TrayState& s = State();
  if (s.window) UnhookTrayWindow();
  if (!window || !IsWindow(window)) return;
  s.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  s.callbacks = std::move(callbacks);
  s.window = window;
  s.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TrayWindowProc)));
  if (!s.previous) {
    s.window = nullptr;
    s.callbacks = {};
  }
}

void UnhookTrayWindow() {
  Restore(State());
}

bool AddTrayIcon(unsigned id, HICON icon, const std::string& tip) {
  TrayState& s = State();
  if (!s.window) return false;
  IconEntry entry{icon, WideTip(tip)};
  // Remembered even when the shell is not there yet: it gets the icon when it starts.
  s.icons[id] = entry;
  return NotifyAdd(s.window, id, entry);
}

bool SetTrayTip(unsigned id, const std::string& tip) {
  TrayState& s = State();
  const auto it = s.icons.find(id);
  if (!s.window || it == s.icons.end()) return false;
  it->second.tip = WideTip(tip);
  NOTIFYICONDATAW data = IconData(s.window, id);
  data.uFlags = NIF_TIP;
  wcsncpy(data.szTip, it->second.tip.c_str(), std::size(data.szTip) - 1);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void RemoveTrayIcon(unsigned id) {
  TrayState& s = State();
  if (!s.window) return;
  s.icons.erase(id);
  NOTIFYICONDATAW data = IconData(s.window, id);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

}  // namespace qm
