// What a reader found, as JSON text: how a reader that lives in a library of its own (the YAML
// one, which Quillet.exe loads only for an espanso import) hands its result over.
#pragma once

#include <string>
#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

std::string ImportResultToJson(bool read, const ImportResult& result, const TextProblem& problem);

// False with `problem` set when the reader refused the file, and when `json` is not what
// ImportResultToJson writes.
bool ImportResultFromJson(std::string_view json, ImportResult* result, TextProblem* problem);

}  // namespace qm
