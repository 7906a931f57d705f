// espanso's match files (YAML) as entries for the library. Built apart from the core, with the
// YAML library: into quillet-cli and the tests, and for Quillet.exe into quillet-yaml.dll,
// which the program loads only for such an import.
#pragma once

#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Reads the entries under "matches:": the first trigger is the abbreviation, the label (else
// the trigger) the name, "replace" (or a form's text) the text with each line break as an
// Enter. A date variable (the match's own or a global one) whose format Quillet's placeholders
// can give becomes them, moved by whole days "%datum+N%"; a clipboard variable becomes
// "%zwischenablage%", the first cursor mark "%cursor%", a form's fields the fields of
// Quillet's form. Whatever else Quillet cannot carry (other variables and form fields, images,
// regular expressions, case options, imports) is named in the notes, entry by entry. A file
// that is not YAML, or YAML without "matches:", is refused with its line.
bool ReadEspansoMatches(std::string_view bytes, ImportResult* result, TextProblem* problem);

}  // namespace qm
