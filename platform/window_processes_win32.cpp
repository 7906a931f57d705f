// The integrity level of another window's process, a target catching up with its input, and
// the Esc key while typing.
#include <atomic>
#include <thread>
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/pause_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

// The RID of a token's integrity level; -1 when it cannot be read.
long IntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return -1;
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  long level = -1;
  if (size && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data());
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count > 0) level = static_cast<long>(*GetSidSubAuthority(label->Label.Sid, count - 1));
  }
  CloseHandle(token);
  return level;
}

class Win32WindowProcesses : public WindowProcesses {
 public:
  KeyDelivery DeliveryTo(WindowHandle window) override {
    if (!window || !IsWindow(ToHwnd(window))) return KeyDelivery::kDelivered;
    return DeliveryToProcessOf(ToHwnd(window));
  }

  std::string ProgramFile(WindowHandle window) override {
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(ToHwnd(window), &pid) || !pid) return {};
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    const bool read = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    if (!read) return {};
    const std::wstring_view full(path, size);
    const std::size_t sep = full.find_last_of(L"\\/");
    return WideToUtf8(sep == std::wstring_view::npos ? full : full.substr(sep + 1));
  }
};

// A low-level hook procedure has no context of its own; one watch runs at a time.
std::atomic<bool> g_escape_pressed{false};
std::atomic<bool> g_escape_kept{false};  // its key went down unseen by the target

// Our own low-level keyboard hook that is installed anyway and reads Esc for the watch.
std::atomic<bool> g_escape_relay{false};
std::atomic<bool> g_escape_watched{false};  // a watch through the relay is on

// Our own keys never include Esc, so every Esc is the user's (an on-screen keyboard's too).
// While watched it is kept from the target, where it would close a dialog; its release only
// when the press was kept, or the key would stay down for the system.
bool KeepEscape(DWORD vk, bool up) {
  if (vk != VK_ESCAPE) return false;
  if (!up) {
    g_escape_pressed = true;
    g_escape_kept = true;
    return true;
  }
  return g_escape_kept.exchange(false);
}

LRESULT CALLBACK EscapeHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    if (KeepEscape(key->vkCode, (key->flags & LLKHF_UP) != 0)) return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

class Win32TypingPace : public TypingPace {
 public:
  ~Win32TypingPace() override { StopEscapeWatch(); }

  bool CatchUp(WindowHandle window, std::size_t messages) override {
    HWND target = ToHwnd(window);
    if (!IsWindow(target)) return false;
    // No call tells when the target has taken its input. A message sent to its thread is
    // handled at its next look into its queue, before the input waiting there, and each look
    // takes at most one message off the queue: a key, or the character that translating a
    // key posted. So one round trip per message holds the next batch until the target has
    // taken all of this one; a target that is waiting answers each at once. A target that
    // hangs for seconds stops the typing.
    for (std::size_t i = 0; i <= messages; ++i) {
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
        return false;
      }
    }
    return true;
  }

  void StartEscapeWatch() override {
    StopEscapeWatch();
    g_escape_pressed = false;
    g_escape_kept = false;
    GetAsyncKeyState(VK_ESCAPE);  // what the key did before does not count
    // A hook of ours that came and went in front of the relay would cost it the keys typed at
    // that moment: they would reach the target unseen by it.
    if (g_escape_relay) {
      relayed_ = true;
      g_escape_watched = true;
      return;
    }
    // On a thread of its own the hook answers at once, whatever our window thread is doing:
    // Windows passes over a hook that keeps the user's keys waiting.
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return;
    hook_thread_ = std::thread([this, ready] {
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue for the quit message
      hook_thread_id_ = GetCurrentThreadId();
      HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &EscapeHook, GetModuleHandleW(nullptr), 0);
      hooked_ = hook != nullptr;
      SetEvent(ready);
      if (!hook) return;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      }
      UnhookWindowsHookEx(hook);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }

  void StopEscapeWatch() override {
    g_escape_watched = false;
    relayed_ = false;
    if (!hook_thread_.joinable()) return;
    if (hooked_) PostThreadMessageW(hook_thread_id_, WM_QUIT, 0, 0);
    hook_thread_.join();
    hooked_ = false;
  }

  bool EscapePressed() override {
    if (hooked_ || relayed_) return g_escape_pressed.exchange(false);
    // Without the hook: the key's state now, or the low bit, which a brief tap may not set.
    const SHORT state = GetAsyncKeyState(VK_ESCAPE);
    return (state & 0x8000) != 0 || (state & 1) != 0;
  }

  void Wait(int milliseconds) override {
    const DWORD start = GetTickCount();
    do {
      if (!RunPendingMessages()) return;
      if (milliseconds > 0) Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
  }

 private:
  std::thread hook_thread_;
  DWORD hook_thread_id_ = 0;
  bool hooked_ = false;
  bool relayed_ = false;
};

}  // namespace

void SetEscapeRelay(bool on) {
  g_escape_relay = on;
}

bool RelayEscape(DWORD vk, bool up) {
  if (vk != VK_ESCAPE) return false;
  // The release of an Esc kept during a watch is kept after it too.
  if (!g_escape_watched) return up && g_escape_kept.exchange(false);
  return KeepEscape(vk, up);
}

KeyDelivery DeliveryToProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid || pid == GetCurrentProcessId()) return KeyDelivery::kDelivered;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) {
    return GetLastError() == ERROR_ACCESS_DENIED ? KeyDelivery::kDropped : KeyDelivery::kUnknown;
  }
  const long theirs = IntegrityLevel(process);
  CloseHandle(process);
  const long ours = IntegrityLevel(GetCurrentProcess());
  if (theirs < 0 || ours < 0) return KeyDelivery::kUnknown;
  return theirs > ours ? KeyDelivery::kDropped : KeyDelivery::kDelivered;
}

std::unique_ptr<WindowProcesses> MakeWin32WindowProcesses() {
  return std::make_unique<Win32WindowProcesses>();
}

std::unique_ptr<TypingPace> MakeWin32TypingPace() {
  return std::make_unique<Win32TypingPace>();
}

}  // namespace qm
