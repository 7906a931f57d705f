// Fuzzes deciphering of arbitrary stored text, and that enciphering is undone exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "store/stored_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string plain = qm::CryptText(input, false);
  if (plain.size() > input.size() / 4) std::abort();
  const std::string cipher = qm::CryptText(input, true);
  if (cipher.size() != 4 * input.size() + 4) std::abort();
  if (qm::CryptText(cipher, false) != input) std::abort();
  return 0;
}
