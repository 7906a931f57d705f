// The per-user settings of one program: text values in the program's own section.
#pragma once

#include <string>

#include "platform/settings_store.h"

namespace qm {

class UserSettings {
 public:
  UserSettings(SettingsStore& store, std::string program_title)
      : store_(store), section_(std::move(program_title)) {}

  std::string ReadUserSetting(const std::string& key, const std::string& default_value) {
    auto value = store_.Read(section_, key);
    return value ? *value : default_value;
  }
  Status SaveUserSetting(const std::string& key, const std::string& value) {
    return store_.Write(section_, key, value);
  }

 private:
  SettingsStore& store_;
  std::string section_;
};

}  // namespace qm
