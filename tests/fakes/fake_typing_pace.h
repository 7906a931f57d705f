// Typing pace without sleeping: waits are only added up, and Esc and a hanging target are
// scripted.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "platform/typing_pace.h"

namespace qm {

class FakeTypingPace : public TypingPace {
 public:
  bool CatchUp(WindowHandle, std::size_t messages) override {
    ++catch_ups;
    caught_up_messages.push_back(messages);
    return catch_ups != hang_at_catch_up;
  }
  void StartEscapeWatch() override { watching = true; }
  void StopEscapeWatch() override { watching = false; }
  // Only the watch sees a brief tap.
  bool EscapePressed() override {
    ++escape_checks;
    return watching && escape_checks == escape_at_check;
  }
  void Wait(int milliseconds) override {
    ++waits;
    waited_ms += milliseconds;
    if (on_wait) on_wait();
  }

  int catch_ups = 0;
  int hang_at_catch_up = 0;  // the catch-up of this number (from 1) fails; 0: none
  std::vector<std::size_t> caught_up_messages;
  bool watching = false;
  int escape_checks = 0;
  int escape_at_check = 0;  // the check of this number (from 1) finds Esc pressed; 0: none
  int waits = 0;
  int waited_ms = 0;
  std::function<void()> on_wait;  // the program's own events running meanwhile
};

}  // namespace qm
