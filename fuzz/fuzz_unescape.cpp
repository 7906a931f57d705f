// Fuzzes unescaping of stored texts, and that escaping is undone exactly by unescaping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/stored_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string plain = qm::UnescapeStoredText(input);
  if (plain.size() > input.size()) std::abort();
  if (qm::UnescapeStoredText(qm::EscapeStoredText(plain)) != plain) std::abort();
  if (qm::UnescapeStoredText(qm::EscapeStoredText(input)) != input) std::abort();
  return 0;
}
