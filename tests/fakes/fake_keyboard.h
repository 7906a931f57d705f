// Records the keystrokes sent, optionally accepting only some of them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/keyboard.h"

namespace qm {

class FakeKeyboard : public Keyboard {
 public:
  std::size_t Send(const std::vector<KeyEvent>& events) override {
    ++send_calls;
    std::size_t accepted = 0;
    for (const auto& event : events) {
      if (accept_limit == 0) break;
      --accept_limit;
      sent.push_back(event);
      ++accepted;
    }
    // What the user does while the keys go out: switch windows, close the target.
    if (after_send) after_send(send_calls);
    return accepted;
  }
  void ReleaseModifiers() override { ++modifier_releases; }

  // The UTF-16 text of the Unicode key-down events, for comparing with what was meant.
  std::u16string TypedText() const {
    std::u16string text;
    for (const auto& e : sent) {
      if (e.kind == KeyEvent::Kind::kUnicode && !e.key_up) text += static_cast<char16_t>(e.code);
    }
    return text;
  }

  std::vector<KeyEvent> sent;
  std::size_t accept_limit = static_cast<std::size_t>(-1);
  int modifier_releases = 0;
  int send_calls = 0;
  std::function<void(int send_calls)> after_send;
};

}  // namespace qm
