// The Win32 services behind platform/os.h, for the factories and for tests that need one
// with other parameters.
#pragma once

#include <memory>
#include <string>

#include "platform/os.h"

namespace qm {

// The code page `id` as the system converts it (MultiByteToWideChar / WideCharToMultiByte).
std::unique_ptr<CodePage> MakeWin32CodePage(unsigned id);
// "Software\<maker>", below HKEY_CURRENT_USER.
std::wstring SettingsRootKey();
std::unique_ptr<SettingsStore> MakeRegistrySettingsStore(std::wstring root = SettingsRootKey());
std::unique_ptr<SystemInfo> MakeWin32SystemInfo();

}  // namespace qm
