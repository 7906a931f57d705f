// Beeftext's export files (JSON) as entries for the library.
#pragma once

#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Reads the file's "combos": the name, the keyword as the abbreviation (expanding at once,
// as Beeftext does), the snippet as the text with each line break as an Enter. Its date and
// time variables become Quillet's placeholders where a format has them, and so do the
// clipboard, the cursor, an input (a text field of its description) and a combo used inside
// another ("%baustein=" with the name that combo comes in with); other variables stay as text,
// and they, loose matching, case sensitivity, descriptions and groups are named in the notes. A combo that is switched off comes without its abbreviation, so that it does
// not start to expand. A file that is not JSON, or JSON without "combos", is refused with
// its line.
bool ReadBeeftextCombos(std::string_view bytes, ImportResult* result, TextProblem* problem);

}  // namespace qm
