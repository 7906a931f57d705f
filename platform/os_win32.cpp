// The real platform services on Windows.
#include "platform/os_win32.h"

#include <windows.h>

#include "platform/file_system_win32.h"
#include "platform/portable_code_pages.h"

namespace qm {

std::unique_ptr<FileSystem> MakeOsFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

std::unique_ptr<CodePage> MakeOsAnsiCodePage() {
  const unsigned acp = GetACP();
  // The table gives the same bytes as the system, without a round trip through UTF-16.
  if (acp == 1252) return std::make_unique<Windows1252CodePage>();
  if (acp == CP_UTF8) return std::make_unique<Utf8CodePage>();
  return MakeWin32CodePage(acp);
}

std::unique_ptr<SettingsStore> MakeOsSettingsStore() {
  return MakeRegistrySettingsStore();
}
std::unique_ptr<SystemInfo> MakeOsSystemInfo() {
  return MakeWin32SystemInfo();
}

}  // namespace qm
