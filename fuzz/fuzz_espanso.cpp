// Fuzzes reading espanso match files.
#include "fuzz/import_fuzz.h"
#include "transfer/espanso.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return qm::FuzzImport(qm::ReadEspansoMatches, data, size);
}
