// What the two About dialogs show and open: texts, captions, addresses and placement.
#pragma once

#include <string>
#include <vector>

#include "platform/settings_store.h"  // kMakerName

namespace qm {

struct ProgramInfo {
  std::string title;        // "Quillet", "Mantello"
  std::string description;  // the one-line description
};

inline constexpr const char* kLogoTooltip =
    "Klicken Sie hier, um noch mehr interessante Ferrandel-Programme kennenzulernen ...";

struct AboutButton {
  int index;            // position in the dialog's button array
  std::string caption;  // with "&" for the access key
  std::string tooltip;
};

struct AboutContent {
  std::string caption;
  std::string text;  // lines separated by "\r\n"
  std::vector<AboutButton> buttons;
};

// Button indexes of the dialogs.
inline constexpr int kAboutMailButton = 0, kAboutUpdateButton = 1, kAboutWebButton = 1,
                     kAboutCloseButton = 3;

// `version_text` is e.g. " (V1.2)" (VersionText::kShortInBrackets); `year_span` e.g.
// "2024-2026".
AboutContent FreewareAbout(const ProgramInfo& p, const std::string& version_text,
                           const std::string& year_span);
AboutContent CommercialAbout(const ProgramInfo& p, const std::string& version_text,
                             const std::string& year_span);

// "mailto:" + support address + "?subject=" + a subject naming program, version and Windows.
std::string AboutMailAddress(const ProgramInfo& p, const std::string& version_text,
                             const std::string& windows_version);
// The update page for program, plain version (major.minor.revision) and Windows, in lower case.
std::string AboutUpdateAddress(const ProgramInfo& p, const std::string& plain_version,
                               const std::string& windows_version);

struct Point {
  int x = 0, y = 0;
};
// Where a window of the given size goes on the primary screen: centred, with the fraction
// dropped. All values in the same unit.
Point CenterPosition(int screen_width, int screen_height, int window_width, int window_height);
// The About dialogs go to the top left corner of small screens (pixels) and are centred
// elsewhere.
Point AboutPosition(int screen_width_px, int screen_height_px, int window_width_px,
                    int window_height_px);

}  // namespace qm
