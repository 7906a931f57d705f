// What typing into another window needs of the system besides the keystrokes themselves:
// letting the target catch up, the user's Esc, and waiting without freezing our own windows.
#pragma once

#include "platform/desktop.h"

namespace qm {

class TypingPace {
 public:
  virtual ~TypingPace() = default;
  // Returns once `window` has processed the input sent to it so far. No call reports that,
  // so on Windows this is a series of SendMessageTimeout(WM_NULL) round trips to the window
  // under an overall deadline of some seconds. False when the deadline passed (the window
  // hangs) or the window is gone.
  virtual bool CatchUp(WindowHandle window) = 0;
  // True when the user has pressed Esc since the previous call.
  virtual bool EscapePressed() = 0;
  // Waits about `milliseconds` while the program's own pending window events run; 0 only
  // lets them run once. Those events may call into the program again.
  virtual void Wait(int milliseconds) = 0;
};

}  // namespace qm
