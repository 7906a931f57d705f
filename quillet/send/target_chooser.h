// The choice among several windows that match an entry's target title.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "quillet/send/targets.h"

namespace qm {

class TargetChooser {
 public:
  virtual ~TargetChooser() = default;
  // Shows the candidates modally in the order given, which is already that of a sorted list,
  // with the first one selected. The index of the one the user took (OK or a double-click),
  // nullopt when the dialog was cancelled or closed. Typing starts only after the dialog has
  // gone, so that it cannot stand between the target and the keystrokes.
  virtual std::optional<std::size_t> Choose(const std::vector<TargetCandidate>& candidates) = 0;
};

}  // namespace qm
