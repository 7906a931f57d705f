// The system clipboard's plain text.
#pragma once

#include <optional>
#include <string>

namespace qm {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  virtual bool Clear() = 0;
  // nullopt when there is no text or the clipboard cannot be opened.
  virtual std::optional<std::string> ReadText() = 0;
  virtual bool WriteText(const std::string& text) = 0;
};

}  // namespace qm
