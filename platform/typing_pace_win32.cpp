// A target catching up with its input while we type, and the Esc key that stops the typing.
#include <atomic>
#include <thread>
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/pause_win32.h"

namespace qm {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

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
  explicit Win32TypingPace(MessageDispatch dispatch) : dispatch_(dispatch) {}
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
      if (!RunPendingMessages(dispatch_)) return;
      if (milliseconds > 0) Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
  }

 private:
  MessageDispatch dispatch_;
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

std::unique_ptr<TypingPace> MakeWin32TypingPace(MessageDispatch dispatch) {
  return std::make_unique<Win32TypingPace>(dispatch);
}

}  // namespace qm
