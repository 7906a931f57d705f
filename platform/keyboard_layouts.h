// The keyboard layouts of other programs' windows, as typing with a layout's own keys asks
// them. The numbers are the system's own (virtual keys, scan codes, shift states).
#pragma once

#include <cstdint>

#include "platform/desktop.h"

namespace qm {

class KeyboardLayouts {
 public:
  virtual ~KeyboardLayouts() = default;
  // The layout the thread behind `window` types with; 0 when the window is gone.
  virtual std::uintptr_t LayoutOf(WindowHandle window) = 0;
  // As VkKeyScanExW: the low byte the virtual key that types `c`, the high byte the shift
  // state it needs (1 Shift, 2 Ctrl, 4 Alt; Ctrl+Alt is AltGr); -1 when no key types it.
  virtual std::int16_t KeyFor(std::uintptr_t layout, char16_t c) = 0;
  // As MapVirtualKeyExW with MAPVK_VK_TO_VSC_EX: the key's scan code, 0xE0 in the high byte
  // for a key that exists twice; 0 when the layout has none.
  virtual std::uint16_t ScanCode(std::uintptr_t layout, std::uint16_t vk) = 0;
  // Whether the key, with the shift state `shift` (as in KeyFor), is a dead key: one that
  // types nothing itself but changes the character typed after it.
  virtual bool IsDeadKey(std::uintptr_t layout, std::uint16_t vk, std::uint8_t shift) = 0;
  // Whether Caps Lock is on, which turns the letter keys' Shift around.
  virtual bool CapsLockOn() = 0;
};

}  // namespace qm
