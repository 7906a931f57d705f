// The per-user settings store: text values under the maker's name and a program section.
#pragma once

#include <optional>
#include <string>

#include "platform/status.h"

namespace qm {

inline constexpr const char* kMakerName = "Ferrandel Software";

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> Read(const std::string& section, const std::string& key) = 0;
  virtual Status Write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

}  // namespace qm
