#include "quillet/receipt/receipt_settings.h"

namespace qm {

bool SendLogOn(UserSettings& settings) {
  return settings.ReadUserSetting(kSendLogKey, "1") != "0";
}

Status SaveSendLogOn(UserSettings& settings, bool on) {
  return settings.SaveUserSetting(kSendLogKey, on ? "1" : "0");
}

bool SendLogTitles(UserSettings& settings) {
  return settings.ReadUserSetting(kSendLogTitlesKey, "0") == "1";
}

Status SaveSendLogTitles(UserSettings& settings, bool on) {
  return settings.SaveUserSetting(kSendLogTitlesKey, on ? "1" : "0");
}

}  // namespace qm
