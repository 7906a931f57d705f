// espanso's match files (YAML) as entries for the library. Built apart from the core, with the
// YAML library: into quillet-cli and the tests, and for Quillet.exe into quillet-yaml.dll,
// which the program loads only for such an import.
#pragma once

#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Reads the entries under "matches:": the first trigger is the abbreviation, the label (else
// the trigger) the name, "replace" the text with each line break as an Enter. A date variable
// (the match's own or a global one) whose format Quillet's placeholders can give becomes them;
// whatever else Quillet cannot carry (other variables, forms, images, regular expressions,
// case options, the cursor mark, imports) is named in the notes, entry by entry. A file that
// is not YAML, or YAML without "matches:", is refused with its line.
bool ReadEspansoMatches(std::string_view bytes, ImportResult* result, TextProblem* problem);

}  // namespace qm
