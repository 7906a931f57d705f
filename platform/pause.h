// Waiting a moment while the program's own windows stay alive, timed on a steady clock.
#pragma once

#include <cstdint>

namespace qm {

class Pause {
 public:
  virtual ~Pause() = default;
  // Milliseconds on a clock that never goes back (unlike the time of day, which a sign-in
  // may set), from an arbitrary start.
  virtual std::int64_t SteadyMs() = 0;
  // Waits about `milliseconds` while the program's pending window events run; those may call
  // into the program again. False when the program is asked to end meanwhile.
  virtual bool Wait(int milliseconds) = 0;
};

}  // namespace qm
