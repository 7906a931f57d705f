// What typing into another window needs of the system besides the keystrokes themselves:
// letting the target catch up with its input, the user's Esc, and waiting without freezing
// our own windows.
#pragma once

#include <cstddef>

#include "platform/desktop.h"

namespace qm {

class TypingPace {
 public:
  virtual ~TypingPace() = default;
  // Returns once `window` has processed the `messages` input messages sent to it last (a
  // key produces up to three: down, its character, up). No call reports that, so on Windows
  // this is a series of SendMessageTimeout(WM_NULL) round trips to the window under an
  // overall deadline of some seconds. False when the deadline passed (the window hangs) or
  // the window is gone.
  virtual bool CatchUp(WindowHandle window, std::size_t messages) = 0;
  // From StartEscapeWatch to StopEscapeWatch the Esc key is watched, a brief tap included,
  // and kept from the target. EscapePressed is true when the user has pressed Esc since the
  // watch began or since the previous call.
  virtual void StartEscapeWatch() = 0;
  virtual void StopEscapeWatch() = 0;
  virtual bool EscapePressed() = 0;
  // Waits about `milliseconds` while the program's own pending window events run; 0 only
  // lets them run once. Those events may call into the program again.
  virtual void Wait(int milliseconds) = 0;
};

}  // namespace qm
