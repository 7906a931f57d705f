// Fuzzes reading our JSON library: a refusal says what is wrong, each entry has a name and a
// line within the file, and writing the entries and reading them again gives them back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transfer/library_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  qm::ImportResult result;
  qm::TextProblem problem;
  if (!qm::ReadJsonLibrary(input, &result, &problem)) {
    if (problem.what.empty()) std::abort();
    return 0;
  }
  const std::size_t lines = 1 + std::count(input.begin(), input.end(), '\n') +
                            std::count(input.begin(), input.end(), '\r');
  for (const qm::ImportedEntry& e : result.entries) {
    if (e.name.empty() || e.line < 1 || e.line > lines) std::abort();
  }
  qm::ImportResult again;
  if (!qm::ReadJsonLibrary(qm::WriteJsonLibrary(result.entries), &again, &problem)) std::abort();
  if (!again.notes.empty() || again.entries.size() != result.entries.size()) std::abort();
  for (std::size_t i = 0; i < again.entries.size(); ++i) {
    const qm::ImportedEntry &a = result.entries[i], &b = again.entries[i];
    if (a.name != b.name || a.text != b.text || a.abbreviation != b.abbreviation ||
        a.at_once != b.at_once || a.title != b.title || a.dosbox != b.dosbox ||
        a.crypt != b.crypt || a.delivery != b.delivery) {
      std::abort();
    }
  }
  return 0;
}
