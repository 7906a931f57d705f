// Keyboard layouts of other programs' windows, for typing with a layout's keys.
#pragma once

#include <cstdint>

#include "platform/keyboard_layouts.h"

namespace qm {

// A layout without keys: every character falls back to a Unicode key event.
class FakeKeyboardLayouts : public KeyboardLayouts {
 public:
  std::uintptr_t LayoutOf(WindowHandle window) override { return window ? 1 : 0; }
  std::int16_t KeyFor(std::uintptr_t, char16_t) override { return -1; }
  std::uint16_t ScanCode(std::uintptr_t, std::uint16_t) override { return 0; }
  bool IsDeadKey(std::uintptr_t, std::uint16_t, std::uint8_t) override { return false; }
};

}  // namespace qm
