// Fuzzes reading AutoHotkey scripts.
#include "fuzz/import_fuzz.h"
#include "transfer/hotstrings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return qm::FuzzImport(qm::ReadHotstrings, data, size);
}
