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
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(e.code, MAPVK_VK_TO_VSC));
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

}  // namespace

std::unique_ptr<Keyboard> MakeWin32Keyboard() {
  return std::make_unique<Win32Keyboard>();
}

}  // namespace qm
