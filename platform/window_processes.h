// What the system tells about the process behind another application's window.
#pragma once

#include "platform/desktop.h"

namespace qm {

class WindowProcesses {
 public:
  virtual ~WindowProcesses() = default;
  // True when the window's process runs at a higher integrity level than this one (an
  // elevated program while this one is not), so that the system drops the input sent to it
  // without an error. Also true when the process cannot even be asked (opening it is denied
  // for lack of rights), which is a sign of the same. False for a window that is gone.
  virtual bool IsElevated(WindowHandle window) = 0;
};

}  // namespace qm
