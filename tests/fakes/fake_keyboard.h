// Records the keystrokes sent, optionally accepting only some of them.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/keyboard.h"
#include "text/utf.h"

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
  std::vector<std::uint16_t> HeldModifiers() override {
    ++held_queries;
    return held;
  }

  // What arrived, read back as UTF-8: the Unicode characters, Enter as CR and Tab as TAB.
  std::string TypedText() const {
    std::u16string text;
    for (const auto& e : sent) {
      if (e.key_up) continue;
      if (e.kind == KeyEvent::Kind::kUnicode) text += static_cast<char16_t>(e.code);
      if (e.kind == KeyEvent::Kind::kVirtualKey && e.code == 0x0D) text += u'\r';
      if (e.kind == KeyEvent::Kind::kVirtualKey && e.code == 0x09) text += u'\t';
    }
    return Utf16ToUtf8(text);
  }
  // Whether every key that went down came up again.
  bool AllReleased() const {
    std::map<std::pair<KeyEvent::Kind, std::uint16_t>, int> down;
    for (const auto& e : sent) down[{e.kind, e.code}] += e.key_up ? -1 : 1;
    for (const auto& key : down) {
      if (key.second != 0) return false;
    }
    return true;
  }

  std::vector<KeyEvent> sent;
  std::size_t accept_limit = static_cast<std::size_t>(-1);
  std::vector<std::uint16_t> held;  // modifier keys the user holds
  int held_queries = 0;
  int send_calls = 0;
  std::function<void(int send_calls)> after_send;
};

}  // namespace qm
