// Keystroke output into whatever window has the focus.
#pragma once

#include <cstdint>
#include <vector>

namespace qm {

struct KeyEvent {
  enum class Kind { kUnicode, kVirtualKey };
  Kind kind = Kind::kUnicode;
  std::uint16_t code = 0;  // UTF-16 unit, or virtual-key code
  bool key_up = false;
  // Of a virtual key typed as the target's keyboard layout has it: the key's scan code, and
  // whether it is one of the keys that exist twice (0 and false: the system's own mapping).
  std::uint16_t scan = 0;
  bool extended = false;
};

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // Sends the events in order; returns how many were accepted.
  virtual std::size_t Send(const std::vector<KeyEvent>& events) = 0;
  // The virtual keys of the modifier keys (Shift, Ctrl, Alt, Windows; left and right apart)
  // that the user holds down now.
  virtual std::vector<std::uint16_t> HeldModifiers() = 0;
};

}  // namespace qm
