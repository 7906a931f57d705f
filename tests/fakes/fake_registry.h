// Registry string values in a map; keys and names match without regard to case, as there.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "text/utf.h"

namespace qm {

class FakeRegistry : public Registry {
 public:
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) override {
    const auto it = values.find(Id(key, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override {
    if (read_only) return false;
    values[Id(key, name)] = value;
    return true;
  }
  bool DeleteValue(const std::string& key, const std::string& name) override {
    if (read_only) return false;
    return values.erase(Id(key, name)) != 0;
  }

  // "key\name", case-folded.
  static std::string Id(const std::string& key, const std::string& name) {
    return FoldCase(key + "\\" + name);
  }

  std::map<std::string, std::string> values;
  bool read_only = false;
};

}  // namespace qm
