// A global hotkey that records what is registered; `held` ones are refused, as when another
// program has them.
#pragma once

#include <set>
#include <utility>

#include "platform/global_hotkey.h"

namespace qm {

class FakeGlobalHotkey : public GlobalHotkey {
 public:
  bool Register(unsigned modifiers, int key) override {
    ++registrations;
    registered = held.count({modifiers, key}) ? std::pair{0u, 0} : std::pair{modifiers, key};
    return registered.second != 0;
  }
  void Unregister() override { registered = {0, 0}; }

  std::set<std::pair<unsigned, int>> held;
  std::pair<unsigned, int> registered{0, 0};
  int registrations = 0;
};

}  // namespace qm
