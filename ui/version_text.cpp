// The version of the program this is built into, as text (see the file VERSION).
#include "ui/version_text.h"

#include "text/numbers.h"
#include "ui/app_version.h"

namespace qm {

std::string AppVersionString(VersionText form) {
  return FormatVersion(form, QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_REVISION);
}

std::string FormatVersion(VersionText form, int major, int minor, int revision) {
  std::string suffix = "." + std::to_string(revision);
  if (form != VersionText::kFull) {
    suffix.clear();
    if (revision > 99) {
      const int letter = 96 + static_cast<int>(RoundHalfEven(revision / 100.0));
      // Past "z" there is no letter left; the number says it instead.
      suffix = letter <= 'z' ? std::string(1, static_cast<char>(letter))
                             : "." + std::to_string(revision);
    }
  }
  const std::string core = std::to_string(major) + "." + std::to_string(minor) + suffix;
  return form == VersionText::kShortInBrackets ? " (V" + core + ")" : core;
}

}  // namespace qm
