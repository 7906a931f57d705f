// Fuzzes reading Beeftext export files.
#include "fuzz/import_fuzz.h"
#include "transfer/beeftext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return qm::FuzzImport(qm::ReadBeeftextCombos, data, size);
}
