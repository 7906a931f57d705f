// The low-level keyboard hook that reads the user's typing in other programs' windows, and the
// events that make what was typed unknown: a click, a window switch, a focus change.
#include "quillet/abbrev/keyboard_hook_win32.h"

#include <algorithm>
#include <iterator>

#include "platform/keyboard_win32.h"

namespace qm {
namespace {

#ifndef LLKHF_LOWER_IL_INJECTED
#define LLKHF_LOWER_IL_INJECTED 0x02
#endif

// The hook procedures have no context of their own.
std::atomic<KeyboardHook*> g_hook{nullptr};

// The layout of the thread that owns the window in front, looked up only when a key needs it.
class ForegroundLayout : public KeyboardLayout {
 public:
  ForegroundLayout(DWORD thread, bool can_leave) : thread_(thread), can_leave_(can_leave) {}
  std::uint32_t KeyCharacter(std::uint32_t vk) override {
    return MapVirtualKeyExW(vk, MAPVK_VK_TO_CHAR, Layout());
  }
  int ToUnicode(std::uint32_t vk, std::uint32_t scan, const std::array<std::uint8_t, 256>& state,
                char16_t* out, int size, std::uint32_t flags) override {
    return ToUnicodeEx(vk, scan, state.data(), reinterpret_cast<LPWSTR>(out), size, flags,
                       Layout());
  }
  bool CanLeaveDeadKeyState() override { return can_leave_; }
  std::uintptr_t Id() override { return reinterpret_cast<std::uintptr_t>(Layout()); }

 private:
  HKL Layout() {
    if (!layout_) layout_ = GetKeyboardLayout(thread_);
    return layout_;
  }
  DWORD thread_;
  bool can_leave_;
  HKL layout_ = nullptr;
};

// For a window where nothing expands: its text does not matter, and asking costs.
class NoLayout : public KeyboardLayout {
 public:
  std::uint32_t KeyCharacter(std::uint32_t) override { return 0; }
  int ToUnicode(std::uint32_t, std::uint32_t, const std::array<std::uint8_t, 256>&, char16_t*, int,
                std::uint32_t) override {
    return 0;
  }
  bool CanLeaveDeadKeyState() override { return true; }
  std::uintptr_t Id() override { return 0; }
};

bool IsButtonDown(WPARAM message) {
  static constexpr WPARAM kDowns[] = {WM_LBUTTONDOWN,   WM_RBUTTONDOWN,   WM_MBUTTONDOWN,
                                      WM_XBUTTONDOWN,   WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN,
                                      WM_NCMBUTTONDOWN, WM_NCXBUTTONDOWN};
  return std::find(std::begin(kDowns), std::end(kDowns), message) != std::end(kDowns);
}

}  // namespace

KeyboardHook::KeyboardHook(KeyHookHandler& handler, std::function<bool(HWND)> ignored,
                           bool can_leave_dead_key_state)
    : handler_(handler),
      ignored_(std::move(ignored)),
      can_leave_dead_key_state_(can_leave_dead_key_state) {}

KeyboardHook::~KeyboardHook() {
  Uninstall();
  if (foreground_) UnhookWinEvent(foreground_);
  if (focus_) UnhookWinEvent(focus_);
  KeyboardHook* self = this;
  g_hook.compare_exchange_strong(self, nullptr);
}

void KeyboardHook::Front(HWND window) {
  front_ = window;
  front_thread_ = GetWindowThreadProcessId(window, nullptr);
  front_ignored_ = Ignored(window);
}

bool KeyboardHook::WatchWindows() {
  g_hook = this;
  Front(GetForegroundWindow());
  if (!foreground_) {
    foreground_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                  &WindowEventProc, 0, 0, WINEVENT_OUTOFCONTEXT);
  }
  if (!focus_) {
    focus_ = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &WindowEventProc, 0,
                             0, WINEVENT_OUTOFCONTEXT);
  }
  return foreground_ && focus_;
}

bool KeyboardHook::Install() {
  if (keys_) return true;
  g_hook = this;
  // The keys as the user holds them now, who may have pressed or let go of some while the hook
  // was away; it follows them from here on.
  translator_.LetGo();
  translator_.SetCapsLock((GetKeyState(VK_CAPITAL) & 1) != 0);
  NoLayout none;
  for (const int vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU}) {
    if (GetAsyncKeyState(vk) & 0x8000) {
      translator_.OnKey({static_cast<std::uint32_t>(vk), 0, false, true}, none);
    }
  }
  keys_ = SetWindowsHookExW(WH_KEYBOARD_LL, &KeyProc, GetModuleHandleW(nullptr), 0);
  if (!keys_) return false;
  SetEscapeRelay(true);
  LookAtFocus(nullptr, OBJID_CLIENT, CHILDID_SELF, false);
  return true;
}

void KeyboardHook::WatchClicks() {
  if (mouse_thread_.joinable()) return;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!ready) return;  // the keys without the clicks: a caret moved by the mouse is missed
  mouse_thread_ = std::thread([this, ready] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue for the quit message
    mouse_thread_id_ = GetCurrentThreadId();
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, &MouseProc, GetModuleHandleW(nullptr), 0);
    SetEvent(ready);
    if (!mouse) return;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    }
    UnhookWindowsHookEx(mouse);
  });
  WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
}

void KeyboardHook::Uninstall() {
  if (keys_) {
    SetEscapeRelay(false);
    UnhookWindowsHookEx(keys_);
  }
  keys_ = nullptr;
  password_.Clear();
  if (mouse_thread_.joinable()) {
    PostThreadMessageW(mouse_thread_id_, WM_QUIT, 0, 0);
    mouse_thread_.join();
  }
  clicks_watched_ = false;
}

CaretPlace KeyboardHook::CaretPlaceOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  if (!thread || !GetGUIThreadInfo(thread, &info) || !info.hwndCaret) return {};
  const auto id = [](HWND h) { return reinterpret_cast<std::uintptr_t>(h); };
  return {id(info.hwndFocus), id(info.hwndCaret), info.rcCaret.left,
          info.rcCaret.top,   info.rcCaret.right, info.rcCaret.bottom};
}

void KeyboardHook::LookAtFocus(HWND focus, LONG object, LONG child, bool event) {
  // Without the hook, or where every key passes anyway, there is nothing to hide.
  if (!keys_ || front_ignored_) {
    password_.Clear();
    return;
  }
  if (!focus) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (front_thread_ && GetGUIThreadInfo(front_thread_, &info)) focus = info.hwndFocus;
  }
  password_.Look(focus, object, child, event);
}

bool KeyboardHook::StillInFront(HWND window) const {
  HWND now = GetForegroundWindow();
  return now == window && !Ignored(now);
}

bool KeyboardHook::Ignored(HWND window) const {
  if (!window) return true;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) return true;
  return ignored_ && ignored_(window);
}

namespace {

// Keys after which another window may be in front without the system telling us: Tab with
// Alt, Esc closing a window, the Windows keys. Not Enter, which ends every paragraph: asking
// costs a round trip under Wine, and a key in ~60 may not cost that.
bool MaySwitchWindows(const RawKey& raw, bool alt_held) {
  switch (raw.vk) {
    case VK_ESCAPE:
    case VK_LWIN:
    case VK_RWIN:
      return true;
    default:
      return alt_held && !raw.up;
  }
}

}  // namespace

bool KeyboardHook::Handle(const RawKey& raw) {
  // Clicks are watched from the first key typed on: until then there is nothing for one to
  // reset, and the thread (and what a thread costs) is not needed.
  if (!clicks_watched_ && !raw.up && !raw.injected) {
    // A click before may have brought another window to the front untold: asked at once,
    // as after a click. The thread is started from the message loop, not from in here.
    ask_front_ = true;
    clicks_watched_ = true;
    SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR id, DWORD) {
      KillTimer(nullptr, id);
      if (KeyboardHook* hook = g_hook.load(); hook && hook->keys_) hook->WatchClicks();
    });
  }
  if (clicked_.exchange(false)) {
    handler_.OnReset(false);
    ask_front_ = true;
  }
  if (raw.vk == VK_MENU || raw.vk == VK_LMENU || raw.vk == VK_RMENU) alt_held_ = !raw.up;
  if (!raw.up && !raw.injected && (ask_front_ || front_ignored_)) {
    // Wine tells of no switch to a program that starts in front, nor always of its focus:
    // after a key or click that may have switched, and while one of our own or an ignored
    // window is thought in front, the system is asked once more at the next key.
    ask_front_ = false;
    HWND now = GetForegroundWindow();
    if (now != front_) {
      Front(now);
      focused_ = nullptr;
      handler_.OnReset(true);
      LookAtFocus(nullptr, OBJID_CLIENT, CHILDID_SELF, false);
    }
  }
  if (!raw.injected && MaySwitchWindows(raw, alt_held_)) ask_front_ = true;
  // As the window switches told it: asking the system about another program's window costs
  // a round trip to the window server under Wine, on every key. The handler asks once more
  // before it acts.
  HWND front = front_;
  // A password field's keys are read no more than an ignored window's: a flag, set at the
  // focus change.
  const bool ignored =
      !raw.up && !raw.injected && (front_ignored_ || password_.in_password_field());
  ForegroundLayout layout(front_thread_, can_leave_dead_key_state_);
  NoLayout none;
  std::optional<KeyInput> input =
      translator_.OnKey(raw, ignored ? static_cast<KeyboardLayout&>(none) : layout);
  if (input && !input->injected) input->ignored_window = ignored;
  if (input && input->kind == KeyInput::Kind::kBackspace && !ignored) {
    input->place = CaretPlaceOf(front);
  }
  return handler_.OnKey(raw, input, front);
}

LRESULT CALLBACK KeyboardHook::KeyProc(int code, WPARAM wparam, LPARAM lparam) {
  KeyboardHook* hook = g_hook.load();
  if (code == HC_ACTION && hook && hook->keys_) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
    const RawKey raw{k->vkCode, k->scanCode, (k->flags & LLKHF_UP) != 0,
                     (k->flags & (LLKHF_INJECTED | LLKHF_LOWER_IL_INJECTED)) != 0,
                     (k->flags & LLKHF_EXTENDED) != 0};
    // The typing's watch first: an Esc it keeps is no one's typing.
    if (RelayEscape(raw.vk, raw.up)) return 1;
    try {
      if (hook->Handle(raw)) return 1;
    } catch (...) {
      // No exception reaches the system; the key goes on as if we were not there.
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK KeyboardHook::MouseProc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && IsButtonDown(wparam)) {
    if (KeyboardHook* hook = g_hook.load()) hook->clicked_ = true;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK KeyboardHook::WindowEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                            LONG child, DWORD, DWORD) {
  KeyboardHook* hook = g_hook.load();
  if (!hook) return;
  try {
    // Wine tells of no foreground switch, only of the focus that comes with it: either event
    // has the window in front asked once.
    HWND now = GetForegroundWindow();
    if (now != hook->front_) {
      hook->Front(now);
      hook->focused_ = window;
      hook->handler_.OnReset(true);
    } else if (event == EVENT_OBJECT_FOCUS && window != hook->focused_) {
      // The same window telling of its focus again (a browser's parts) moves no caret.
      hook->focused_ = window;
      hook->handler_.OnReset(false);
    }
    // Every focus event, the same window's too: a browser's fields are parts of one window.
    // The reset above may have let the hook go (a full-screen program in front).
    const bool focus_event = event == EVENT_OBJECT_FOCUS;
    hook->LookAtFocus(focus_event ? window : nullptr, focus_event ? object : OBJID_CLIENT,
                      focus_event ? child : CHILDID_SELF, focus_event);
  } catch (...) {
  }
}

}  // namespace qm
