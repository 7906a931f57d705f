// String values under the current user's registry, for the autostart entry.
#pragma once

#include <optional>
#include <string>

namespace qm {

class Registry {
 public:
  virtual ~Registry() = default;
  // `key` is a path below HKEY_CURRENT_USER, such as "Software\\...\\Run".
  virtual std::optional<std::string> ReadString(const std::string& key,
                                                const std::string& name) = 0;
  virtual bool WriteString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
};

}  // namespace qm
