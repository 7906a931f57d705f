// What the system tells about the process behind another application's window.
#pragma once

#include "platform/desktop.h"

namespace qm {

// Whether the system delivers our keystrokes to a window's process.
enum class KeyDelivery {
  kDelivered,  // it runs at our integrity level or below, or the window is gone
  // It runs at a higher integrity level (an elevated program while this one is not), or
  // opening it is denied for lack of rights, which is a sign of the same: the system drops
  // the input sent to it without an error.
  kDropped,
  kUnknown,  // its integrity level cannot be read
};

class WindowProcesses {
 public:
  virtual ~WindowProcesses() = default;
  virtual KeyDelivery DeliveryTo(WindowHandle window) = 0;
  // The file name of the program behind the window, without its folder ("notepad.exe");
  // empty when it cannot be read.
  virtual std::string ProgramFile(WindowHandle window) = 0;
};

}  // namespace qm
