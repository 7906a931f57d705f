// Per-user settings held in a map, with a switch that makes writes fail.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/settings_store.h"

namespace qm {

class FakeSettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    const auto it = values.find({section, key});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  Status Write(const std::string& section, const std::string& key,
               const std::string& value) override {
    if (fail_writes) return Status::Fail("Die Einstellung konnte nicht gespeichert werden.");
    values[{section, key}] = value;
    return Status::Ok();
  }

  std::map<std::pair<std::string, std::string>, std::string> values;
  bool fail_writes = false;
};

}  // namespace qm
