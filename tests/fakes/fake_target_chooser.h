// The choice dialog as a scripted answer that records what it was shown.
#pragma once

#include <optional>
#include <vector>

#include "quillet/send/target_chooser.h"

namespace qm {

class FakeTargetChooser : public TargetChooser {
 public:
  std::optional<std::size_t> Choose(const std::vector<TargetCandidate>& candidates) override {
    shown.push_back(candidates);
    return answer;
  }

  std::optional<std::size_t> answer = 0;  // OK on the preselected first item
  std::vector<std::vector<TargetCandidate>> shown;
};

}  // namespace qm
