// Reading espanso's match files through quillet-yaml.dll beside the program, loaded at the
// first such import: the YAML library it holds would make Quillet.exe half as large again.
#pragma once

#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

// As ReadEspansoMatches; a missing or broken library is a problem of the file as a whole that
// says so.
bool ReadEspansoThroughLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem);

}  // namespace qm
