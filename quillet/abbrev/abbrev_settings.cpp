#include "quillet/abbrev/abbrev_settings.h"

namespace qm {

bool CapitalsCarryOver(UserSettings& settings) {
  return settings.ReadUserSetting(kCapitalsKey, "1") != "0";
}

Status SaveCapitalsCarryOver(UserSettings& settings, bool on) {
  return settings.SaveUserSetting(kCapitalsKey, on ? "1" : "0");
}

}  // namespace qm
