// Mantello's hints at start and after encoding, each switched off per program version.
#pragma once

#include <string>

#include "store/user_settings.h"

namespace qm {

inline constexpr const char* kProgramTitleMantello = "Mantello";
inline constexpr const char* kMantelloDescription =
    "Sichert Ihre Webseiten gegen Adress- und Code-Diebe.";

// The texts in escaped form ("\n" a line break); shown through FormatText.
inline constexpr const char* kStartHintText =
    "Mantello wurde gestartet und in der Taskleiste neben der Windowsuhr verankert.\\n\\n"
    "Markieren und kopieren Sie den zu kodierenden Text in die Zwischenablage und klicken Sie "
    "mit der linken Maustaste auf das Mantello-Icon ...";
inline constexpr const char* kEncodedHintText =
    "Der Text in der Zwischenablage wurde kodiert und kann nun wiederum über die "
    "Zwischenablage in Ihren HTML-Editor eingefügt werden.\\n\\nBenützen Sie hierzu die "
    "Tastenkombination Strg-V oder Umsch-Einfg.";
inline constexpr const char* kNeverShowAgainCaption =
    "Diesen &Hinweis in Zukunft nicht mehr anzeigen";

// "_SID" + id: holds the version for which the user switched the hint off.
std::string HintSettingKey(const std::string& id);
// `plain_version` is AppVersionString(VersionText::kFull), e.g. "1.0.1".
bool HintSwitchedOff(UserSettings& settings, const std::string& id,
                     const std::string& plain_version);
Status SwitchOffHint(UserSettings& settings, const std::string& id,
                     const std::string& plain_version);

}  // namespace qm
