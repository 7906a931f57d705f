// Mantello's hints at start and after encoding, each switched off per program version.
#include "mantello/hints.h"

namespace qm {

std::string HintSettingKey(const std::string& id) {
  return "_SID" + id;
}

bool HintSwitchedOff(UserSettings& settings, const std::string& id,
                     const std::string& plain_version) {
  return settings.ReadUserSetting(HintSettingKey(id), "") == plain_version;
}

Status SwitchOffHint(UserSettings& settings, const std::string& id,
                     const std::string& plain_version) {
  return settings.SaveUserSetting(HintSettingKey(id), plain_version);
}

}  // namespace qm
