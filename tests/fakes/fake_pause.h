// A pause without sleeping: each wait moves the steady clock on at once.
#pragma once

#include <functional>

#include "platform/pause.h"

namespace qm {

class FakePause : public Pause {
 public:
  std::int64_t SteadyMs() override { return now_ms; }
  bool Wait(int milliseconds) override {
    now_ms += milliseconds;
    if (on_wait) on_wait();
    return !ended;
  }

  std::int64_t now_ms = 0;
  std::function<void()> on_wait;  // what happens outside meanwhile
  bool ended = false;             // the program was asked to end
};

}  // namespace qm
