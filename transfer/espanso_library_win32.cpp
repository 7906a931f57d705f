// quillet-yaml.dll: espanso's match files read apart from Quillet.exe, which loads this library
// only for such an import. Plain C in and out, so that neither side's C++ runtime crosses.
#include <cstdlib>
#include <cstring>
#include <new>

#include "transfer/espanso.h"
#include "transfer/import_result_json.h"

extern "C" {

// The result as ImportResultToJson writes it, to be given back to QuilletFree; null when the
// memory does not suffice.
__declspec(dllexport) char* QuilletReadEspanso(const char* bytes, std::size_t size) {
  try {
    qm::ImportResult result;
    qm::TextProblem problem;
    bool read = false;
    try {
      read = qm::ReadEspansoMatches(std::string_view(bytes, size), &result, &problem);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {  // nothing may cross the C boundary
      result = {};
      problem = {0, "Die Datei kann nicht gelesen werden."};
    }
    const std::string json = qm::ImportResultToJson(read, result, problem);
    char* out = static_cast<char*>(std::malloc(json.size() + 1));
    if (out) std::memcpy(out, json.c_str(), json.size() + 1);
    return out;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

__declspec(dllexport) void QuilletFree(char* json) {
  std::free(json);
}

}  // extern "C"
