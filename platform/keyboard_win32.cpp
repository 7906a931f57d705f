// Keystrokes into the foreground window through SendInput.
#include "platform/keyboard_win32.h"

#include <vector>

namespace qm {
namespace {

class Win32Keyboard : public Keyboard {
 public:
  std::size_t Send(const std::vector<KeyEvent>& events) override {
    if (events.empty()) return 0;
    std::vector<INPUT> inputs(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      INPUT& in = inputs[i];
      in.type = INPUT_KEYBOARD;
      const KeyEvent& e = events[i];
      if (e.kind == KeyEvent::Kind::kUnicode) {
        // The character itself, whatever the keyboard layout would need to produce it.
        in.ki.wScan = e.code;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
      } else {
        in.ki.wVk = e.code;
        in.ki.wScan = e.scan ? e.scan : static_cast<WORD>(MapVirtualKeyW(e.code, MAPVK_VK_TO_VSC));
        if (e.extended) in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
      }
      if (e.key_up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }

  std::vector<std::uint16_t> HeldModifiers() override {
    std::vector<std::uint16_t> held;
    for (const WORD vk : {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU,
                          VK_LWIN, VK_RWIN}) {
      if (GetAsyncKeyState(vk) & 0x8000) held.push_back(vk);
    }
    return held;
  }
};

class Win32KeyboardLayouts : public KeyboardLayouts {
 public:
  explicit Win32KeyboardLayouts(bool can_leave_dead_key_state)
      : can_leave_(can_leave_dead_key_state) {}
  std::uintptr_t LayoutOf(WindowHandle window) override {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    const DWORD thread = window ? GetWindowThreadProcessId(hwnd, nullptr) : 0;
    return thread ? reinterpret_cast<std::uintptr_t>(GetKeyboardLayout(thread)) : 0;
  }
  std::int16_t KeyFor(std::uintptr_t layout, char16_t c) override {
    const HKL hkl = reinterpret_cast<HKL>(layout);
    const SHORT key = VkKeyScanExW(static_cast<wchar_t>(c), hkl);
    if (key == -1 || !can_leave_) return key;
    // The key must type the character when pressed as we press it: Wine, for one, names
    // AltGr keys whose Ctrl+Alt types nothing, and such a character would be lost.
    wchar_t text[8] = {};
    const int n =
        Read(hkl, static_cast<UINT>(key & 0xFF), static_cast<std::uint8_t>(key >> 8), text);
    return (n == 1 || n == -1) && text[0] == static_cast<wchar_t>(c) ? key : -1;
  }
  std::uint16_t ScanCode(std::uintptr_t layout, std::uint16_t vk) override {
    return static_cast<std::uint16_t>(
        MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC_EX, reinterpret_cast<HKL>(layout)));
  }
  bool IsDeadKey(std::uintptr_t layout, std::uint16_t vk, std::uint8_t shift) override {
    const HKL hkl = reinterpret_cast<HKL>(layout);
    wchar_t text[8];
    if (can_leave_) return Read(hkl, vk, shift, text) < 0;
    // Without that flag every read would change the state; the layout then tells only of
    // the key alone, and with Shift or AltGr it is taken as the same.
    return (MapVirtualKeyExW(vk, MAPVK_VK_TO_CHAR, hkl) & 0x80000000u) != 0;
  }
  bool CapsLockOn() override { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

 private:
  // What the key types with the shift state held (1 Shift, 2 Ctrl, 4 Alt), as ToUnicodeEx
  // counts it, negative for a dead key. Flag 4 leaves the dead-key state alone, so that the
  // user's next character keeps its accent.
  static int Read(HKL hkl, UINT vk, std::uint8_t shift, wchar_t (&text)[8]) {
    BYTE state[256] = {};
    if (shift & 1) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (shift & 2) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    if (shift & 4) state[VK_MENU] = state[VK_LMENU] = 0x80;
    return ToUnicodeEx(vk, MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, hkl), state, text, 8, 4, hkl);
  }

  bool can_leave_;
};

}  // namespace

std::unique_ptr<Keyboard> MakeWin32Keyboard() {
  return std::make_unique<Win32Keyboard>();
}

std::unique_ptr<KeyboardLayouts> MakeWin32KeyboardLayouts(bool can_leave_dead_key_state) {
  return std::make_unique<Win32KeyboardLayouts>(can_leave_dead_key_state);
}

bool WaitForEnterRelease(Pause& pause) {
  const std::int64_t until = pause.SteadyMs() + 1000;
  while ((GetAsyncKeyState(VK_RETURN) & 0x8000) && pause.SteadyMs() < until) {
    if (!pause.Wait(10)) return false;
  }
  return true;
}

}  // namespace qm
