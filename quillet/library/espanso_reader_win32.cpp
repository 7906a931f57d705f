// Reading espanso's match files through quillet-yaml.dll.
#include "quillet/library/espanso_reader_win32.h"

#include <windows.h>

#include <string>

#include "transfer/import_result_json.h"

namespace qm {
namespace {

using ReadFunction = char* (*)(const char* bytes, std::size_t size);
using FreeFunction = void (*)(char* json);

constexpr wchar_t kLibrary[] = L"quillet-yaml.dll";

// Only the library beside the program: a file of that name in the current folder or on the
// path is never loaded.
HMODULE LoadBesideProgram() {
  static HMODULE module = [] {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return HMODULE{};
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of(L"\\/") + 1);
    return LoadLibraryExW((path + kLibrary).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }();
  return module;
}

}  // namespace

bool ReadEspansoThroughLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  const HMODULE module = LoadBesideProgram();
  const auto read = module ? reinterpret_cast<ReadFunction>(reinterpret_cast<void*>(
                                 GetProcAddress(module, "QuilletReadEspanso")))
                           : nullptr;
  const auto release = module ? reinterpret_cast<FreeFunction>(
                                    reinterpret_cast<void*>(GetProcAddress(module, "QuilletFree")))
                              : nullptr;
  if (!read || !release) {
    *problem = {0,
                "Zum Lesen von espanso-Dateien fehlt „quillet-yaml.dll“ neben Quillet.exe; "
                "installieren Sie Quillet bitte neu."};
    return false;
  }
  char* json = read(bytes.data(), bytes.size());
  if (!json) {
    *problem = {0, "Für diese Datei reicht der Speicher nicht."};
    return false;
  }
  const bool ok = ImportResultFromJson(json, result, problem);
  release(json);
  return ok;
}

}  // namespace qm
