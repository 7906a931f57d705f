// The Win32 clipboard, sounds, shell and desktop windows behind the platform seam.
#include "platform/ui_services_win32.h"

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "platform/system_library_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}
WindowHandle ToHandle(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

// The clipboard held open for one operation. Another program (a clipboard manager, the
// program that just copied) may hold it for a moment, so opening is tried a few times.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      if (attempt > 0) Sleep(20);
      open_ = OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_ = false;
};

// A global memory block's lock, undone on every path.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

class Win32Clipboard : public Clipboard {
 public:
  explicit Win32Clipboard(HWND owner) : owner_(owner) {}

  bool Clear() override {
    OpenClipboardScope clipboard(owner_);
    return clipboard.is_open() && EmptyClipboard();
  }

  std::optional<std::string> ReadText() override {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
    OpenClipboardScope clipboard(owner_);
    if (!clipboard.is_open()) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::nullopt;
    GlobalLockScope lock(data);
    if (!lock.data()) return std::nullopt;
    // Another program may have put a block without its terminating NUL there.
    const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(lock.data());
    return WideToUtf8(std::wstring_view(text, wcsnlen(text, units)));
  }

  bool WriteText(const std::string& text) override {
    const std::wstring wide = Utf8ToWide(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    {
      GlobalLockScope lock(memory);
      if (!lock.data()) {
        GlobalFree(memory);
        return false;
      }
      std::memcpy(lock.data(), wide.c_str(), bytes);
    }
    OpenClipboardScope clipboard(owner_);
    if (!clipboard.is_open() || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
      // The clipboard took no ownership of the block.
      GlobalFree(memory);
      return false;
    }
    return true;
  }

 private:
  HWND owner_;
};

class Win32Sound : public Sound {
 public:
  bool PlayFile(const std::string& path) override {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // Without this check the system would play its default sound instead of nothing.
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return false;
    }
    if (!SystemLibraryLoads(L"winmm.dll")) return false;
    return PlaySoundW(wide.c_str(), nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT) != FALSE;
  }
};

class Win32Shell : public Shell {
 public:
  bool Open(const std::string& target, ShowMode mode) override {
    // Some shell extensions behind "open" need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(GetDesktopWindow(), L"open", Utf8ToWide(target).c_str(), nullptr, nullptr,
                      mode == ShowMode::kMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL));
    if (SUCCEEDED(com)) CoUninitialize();
    return result > 32;
  }

  bool Run(const std::string& command_line) override {
    std::wstring line = Utf8ToWide(command_line);  // CreateProcessW may write into it
    if (line.empty()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(ToHandle(window));
  return TRUE;
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
  bool IsVisible(WindowHandle window) override { return window && IsWindowVisible(ToHwnd(window)); }
  bool Exists(WindowHandle window) override { return window && IsWindow(ToHwnd(window)); }
  std::vector<WindowHandle> TopLevelWindows() override {
    std::vector<WindowHandle> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }
  bool BringToFront(WindowHandle window) override {
    HWND hwnd = ToHwnd(window);
    if (!window || !IsWindow(hwnd)) return false;
    // A minimised window may become the foreground window, but then none of its fields has
    // the keyboard focus and the keys typed into it are lost; restored, it takes them.
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
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

std::unique_ptr<Clipboard> MakeWin32Clipboard(HWND owner) {
  return std::make_unique<Win32Clipboard>(owner);
}
std::unique_ptr<Sound> MakeWin32Sound() {
  return std::make_unique<Win32Sound>();
}
std::unique_ptr<Shell> MakeWin32Shell() {
  return std::make_unique<Win32Shell>();
}
std::unique_ptr<Desktop> MakeWin32Desktop() {
  return std::make_unique<Win32Desktop>();
}

}  // namespace qm
