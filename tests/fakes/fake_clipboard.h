// A clipboard holding one text, which can be made to refuse opening.
#pragma once

#include <optional>
#include <string>

#include "platform/clipboard.h"

namespace qm {

class FakeClipboard : public Clipboard {
 public:
  bool Clear() override {
    if (unavailable) return false;
    text.reset();
    return true;
  }
  std::optional<std::string> ReadText() override {
    if (unavailable) return std::nullopt;
    return text;
  }
  bool WriteText(const std::string& value) override {
    if (unavailable) return false;
    text = value;
    return true;
  }

  std::optional<std::string> text;
  bool unavailable = false;
};

}  // namespace qm
