// A library as our own JSON file, for people and scripts: an object that names its format and
// version and lists the entries, each with all its fields.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// Reads the entries of a JSON library:
//   {"format": "quillet-library", "version": 1,
//    "entries": [{"name", "text", "abbreviation", "immediate", "title", "dosbox", "crypt",
//                 "delivery"}, ...]}
// Only "name" is needed; a missing or null field has its empty value. Each line break of a
// text becomes an Enter. A file that is no JSON, or not of this shape (no list of entries, an
// entry that is no object or has no name, a field of the wrong type, another format), is
// refused with its line. Keys it does not know, a missing format marker and a newer version
// are named in the notes; each entry's `line` is the line its object starts on.
bool ReadJsonLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem);

// The entries as a JSON library: UTF-8 without byte-order mark, indented by two blanks, the
// keys in the order above, every field of every entry, each Enter as "\n";
// ReadJsonLibrary gives them back.
std::string WriteJsonLibrary(const std::vector<ImportedEntry>& entries);

}  // namespace qm
