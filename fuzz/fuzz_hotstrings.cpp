// Fuzzes reading AutoHotkey scripts: a refusal says why, and every entry read has a name, a line
// within the file, and Enters instead of line breaks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transfer/hotstrings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  qm::ImportResult result;
  qm::TextProblem problem;
  if (!qm::ReadHotstrings(input, &result, &problem)) {
    if (problem.what.empty()) std::abort();
    return 0;
  }
  const std::size_t lines = 1 +
                            static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n')) +
                            static_cast<std::size_t>(std::count(input.begin(), input.end(), '\r'));
  for (const qm::ImportedEntry& e : result.entries) {
    if (e.name.empty() || e.line > lines || e.text.find('\n') != std::string::npos) std::abort();
  }
  for (const qm::ImportNote& n : result.notes) {
    if (n.what.empty() || n.line > lines) std::abort();
  }
  return 0;
}
