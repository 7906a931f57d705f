// The fields' form as a scripted answer that records what it was asked.
#pragma once

#include <optional>
#include <vector>

#include "quillet/send/field_asker.h"

namespace qm {

class FakeFieldAsker : public FieldAsker {
 public:
  std::optional<FieldValues> Ask(const FieldRequest& request) override {
    asked.push_back(request);
    if (cancel) return std::nullopt;
    return answer ? *answer : request.start;
  }

  std::optional<FieldValues> answer;  // none: OK on the start values
  bool cancel = false;
  std::vector<FieldRequest> asked;
};

}  // namespace qm
