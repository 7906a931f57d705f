// The Win32 desktop behind the platform seam: the windows, their order, and which are never
// a target.
#include "platform/ui_services_win32.h"

#include <dwmapi.h>

#include <vector>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}
WindowHandle ToHandle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(ToHandle(window));
  return TRUE;
}

// Windows 8 and later hide the windows of other virtual desktops and of suspended apps
// ("cloaked") while they stay visible to every other call. Bound at run time, so that a
// system without the desktop window manager still starts.
bool IsCloaked(HWND window) {
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const GetAttribute get = [] {
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<GetAttribute>(reinterpret_cast<void (*)()>(
                     GetProcAddress(dwm, "DwmGetWindowAttribute")))
               : nullptr;
  }();
  DWORD cloaked = 0;
  return get && SUCCEEDED(get(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

class Win32Desktop : public Desktop {
 public:
  WindowHandle Foreground() override { return ToHandle(GetForegroundWindow()); }
  WindowHandle Below(WindowHandle window) override {
    return window ? ToHandle(GetWindow(ToHwnd(window), GW_HWNDNEXT)) : 0;
  }
  WindowHandle Above(WindowHandle window) override {
    return window ? ToHandle(GetWindow(ToHwnd(window), GW_HWNDPREV)) : 0;
  }
  std::string Title(WindowHandle window) override {
    HWND hwnd = ToHwnd(window);
    const int length = window ? GetWindowTextLengthW(hwnd) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return WideToUtf8(text);
  }
  std::string ClassName(WindowHandle window) override {
    wchar_t name[256] = {};
    const int length = window ? GetClassNameW(ToHwnd(window), name, 256) : 0;
    return WideToUtf8(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
  }
  bool IsVisible(WindowHandle window) override { return window && IsWindowVisible(ToHwnd(window)); }
  bool Exists(WindowHandle window) override { return window && IsWindow(ToHwnd(window)); }
  NeverTarget WhyNeverTarget(WindowHandle window) override {
    HWND hwnd = ToHwnd(window);
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(hwnd, &pid)) return NeverTarget::kNo;
    // Every window of ours, whatever its caption: input boxes, message boxes, dialogs.
    if (pid == GetCurrentProcessId()) return NeverTarget::kOwnProcess;
    if (hwnd == GetShellWindow()) return NeverTarget::kShell;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd",
                                 L"Shell_SecondaryTrayWnd"}) {
      if (std::wcscmp(name, shell) == 0) return NeverTarget::kShell;
    }
    return IsCloaked(hwnd) ? NeverTarget::kCloaked : NeverTarget::kNo;
  }
  std::vector<WindowHandle> TopLevelWindows() override {
    std::vector<WindowHandle> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }
  bool BringToFront(WindowHandle window) override {
    HWND hwnd = ToHwnd(window);
    if (!window || !IsWindow(hwnd)) return false;
    // A minimised window may become the foreground window, but then none of its fields has
    // the keyboard focus and the keys typed into it are lost; restored, it takes them. Its
    // program restores it, and may hang: ShowWindow would then hang with it.
    if (IsIconic(hwnd)) {
      ShowWindowAsync(hwnd, SW_RESTORE);
      return false;
    }
    // The call reports success even where the system refused; only the result counts.
    SetForegroundWindow(hwnd);
    return GetForegroundWindow() == hwnd && !IsIconic(hwnd);
  }
  void SetTopmost(WindowHandle window, bool on) override {
    if (!window) return;
    SetWindowPos(ToHwnd(window), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
};

}  // namespace

std::unique_ptr<Desktop> MakeWin32Desktop() {
  return std::make_unique<Win32Desktop>();
}

}  // namespace qm
