// Where abbreviations stay off, as the user lists it in the data file: section "KuerzelAus",
// keys 1.., each value a program file (without its folder) or a window class. The picker and
// the menu still work there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/ini_document.h"

namespace qm {

inline constexpr const char* kKeepOutSection = "KuerzelAus";

// The list from one look at the file; empty for a null document.
std::vector<std::string> ReadKeepOut(const IniDocument* doc);

// What makes the section hold exactly `list` as keys 1..N, numbered anew: the keys that
// differ, and the old keys after N emptied, which ends the list there.
std::vector<IniWrite> WriteKeepOut(const IniDocument* current, const std::vector<std::string>& list);

// Adds `name` (blanks at either end dropped) to `list`; false, and `list` as it was, for an
// empty name or one the list has already in any letter case.
bool AddKeepOut(std::vector<std::string>& list, std::string_view name);

// Whether an entry of `list` names the program or the window class, whole, letter case ignored.
bool KeptOut(const std::vector<std::string>& list, std::string_view program_file,
             std::string_view window_class);

}  // namespace qm
