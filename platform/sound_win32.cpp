// The Win32 sounds behind the platform seam.
#include "platform/ui_services_win32.h"

#include <mmsystem.h>

#include "platform/system_library_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

class Win32Sound : public Sound {
 public:
  bool PlayFile(const std::string& path) override {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    // Without this check the system would play its default sound instead of nothing.
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return false;
    }
    if (!SystemLibraryLoads(L"winmm.dll")) return false;
    return PlaySoundW(wide.c_str(), nullptr, SND_FILENAME | SND_SYNC | SND_NODEFAULT) != FALSE;
  }
};

}  // namespace

std::unique_ptr<Sound> MakeWin32Sound() {
  return std::make_unique<Win32Sound>();
}

}  // namespace qm
