// A key combination that reaches the program from whatever window is in front.
#pragma once

namespace qm {

class GlobalHotkey {
 public:
  virtual ~GlobalHotkey() = default;
  // Registers `key` (a virtual-key number) with `modifiers` (Alt 1, Ctrl 2, Shift 4, Win 8) in
  // place of the one registered before. False where another program holds it; then none is
  // registered.
  virtual bool Register(unsigned modifiers, int key) = 0;
  virtual void Unregister() = 0;
};

}  // namespace qm
