// The user's own choices about the send log, kept outside the data file.
#pragma once

#include "platform/status.h"
#include "store/user_settings.h"

namespace qm {

inline constexpr const char* kSendLogKey = "SendLog";
inline constexpr const char* kSendLogTitlesKey = "SendLogTitles";

// Whether each send is written to the send log: on unless switched off.
bool SendLogOn(UserSettings& settings);
Status SaveSendLogOn(UserSettings& settings, bool on);
// Whether the log names the target window's title too: off unless switched on.
bool SendLogTitles(UserSettings& settings);
Status SaveSendLogTitles(UserSettings& settings, bool on);

}  // namespace qm
