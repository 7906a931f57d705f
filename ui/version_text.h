// The version of the program this is built into, as text (see the file VERSION).
#pragma once

#include <string>

namespace qm {

enum class VersionText {
  kFull,             // "1.2.3"
  kShort,            // "1.2"; a revision past 99 adds the letter of its hundreds: "1.2c"
  kShortInBrackets,  // " (V1.2)", to follow a program's name
};

std::string AppVersionString(VersionText form);
// The same for a given version.
std::string FormatVersion(VersionText form, int major, int minor, int revision);

}  // namespace qm
