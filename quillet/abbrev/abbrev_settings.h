// The user's own choices about abbreviations, kept outside the data file.
#pragma once

#include "platform/status.h"
#include "store/user_settings.h"

namespace qm {

inline constexpr const char* kCapitalsKey = "AbbreviationCapitals";

// Whether an abbreviation typed with a capital first letter, or all in capitals, brings its
// snippet likewise (see CarryCapitals). On unless switched off.
bool CapitalsCarryOver(UserSettings& settings);
Status SaveCapitalsCarryOver(UserSettings& settings, bool on);

}  // namespace qm
