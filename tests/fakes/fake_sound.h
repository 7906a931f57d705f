// Records the sound files played.
#pragma once

#include <string>
#include <vector>

#include "platform/sound.h"

namespace qm {

class FakeSound : public Sound {
 public:
  bool PlayFile(const std::string& path) override {
    played.push_back(path);
    return succeed;
  }

  std::vector<std::string> played;
  bool succeed = true;
};

}  // namespace qm
