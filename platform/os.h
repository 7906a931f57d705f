// The real platform services of the system the program runs on (Win32 or POSIX).
#pragma once

#include <memory>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"

namespace qm {

std::unique_ptr<FileSystem> MakeOsFileSystem();
// The system's ANSI code page: GetACP() on Windows, Windows-1252 elsewhere.
std::unique_ptr<CodePage> MakeOsAnsiCodePage();
// On Windows HKEY_CURRENT_USER\Software\<maker>\<section>; elsewhere a data file in the
// user's configuration folder, made by store/settings_store_posix.cpp.
std::unique_ptr<SettingsStore> MakeOsSettingsStore();
std::unique_ptr<SystemInfo> MakeOsSystemInfo();

}  // namespace qm
