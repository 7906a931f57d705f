// Plays a sound file; silence when it is missing.
#pragma once

#include <string>

namespace qm {

class Sound {
 public:
  virtual ~Sound() = default;
  // Waits until the sound has played; false when it could not be played.
  virtual bool PlayFile(const std::string& path) = 0;
};

}  // namespace qm
