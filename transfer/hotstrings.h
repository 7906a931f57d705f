// AutoHotkey's hotstrings (a script's "::abbr::text" lines) as entries for the library.
#pragma once

#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Reads the script's auto-replace hotstrings, single lines and continuation sections: the
// abbreviation is the name too, "*" expands at once, the text is what the hotstring would
// type (escapes resolved, {Enter}, {Tab}, {Space} and the braced symbols as their
// characters, the keys that paste as "%zwischenablage%", each line break an Enter); a
// hotstring whose code only pastes the clipboard is "%zwischenablage%" too. What Quillet
// cannot carry (other keys, options such as "?" or "C", hotstrings that run other code) is
// named in the notes, entry by entry; lines that are no hotstrings (hotkeys, directives,
// code) are passed over with one note per kind.
bool ReadHotstrings(std::string_view bytes, ImportResult* result, TextProblem* problem);

}  // namespace qm
