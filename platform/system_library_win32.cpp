// Loading a delay-imported system library before its first call.
#include "platform/system_library_win32.h"

#include <windows.h>

namespace qm {

bool SystemLibraryLoads(const wchar_t* name) {
  // Loaded the way the delay-load helper loads it, so that its later call finds the same one.
  return GetModuleHandleW(name) != nullptr || LoadLibraryW(name) != nullptr;
}

}  // namespace qm
