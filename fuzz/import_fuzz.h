// What every importer's fuzz target checks: a refusal says why, and every entry read has a
// name, a line within the file, and Enters instead of line breaks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transfer/csv.h"
#include "transfer/imported.h"

namespace qm {

inline int FuzzImport(bool (*read)(std::string_view, ImportResult*, TextProblem*),
                      const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ImportResult result;
  TextProblem problem;
  if (!read(input, &result, &problem)) {
    if (problem.what.empty()) std::abort();
    return 0;
  }
  // Each of CR and LF may end a line (as UTF-16 too): more than the file can have.
  const std::size_t lines =
      1 + static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n') +
                                   std::count(input.begin(), input.end(), '\r'));
  for (const ImportedEntry& e : result.entries) {
    if (e.name.empty() || e.line > lines || e.text.find('\n') != std::string::npos) std::abort();
  }
  for (const ImportNote& n : result.notes) {
    if (n.what.empty() || n.line > lines) std::abort();
  }
  return 0;
}

}  // namespace qm
