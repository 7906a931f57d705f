// File and path helpers: whether a file exists, folder names, the program's own place.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/system_info.h"

namespace qm {

// False for an empty name; wildcards match as in a directory listing.
bool FileExists(FileSystem& fs, const std::string& path);
std::string AddBackslash(std::string_view text);
// The program's folder with a trailing separator, and the executable's full path ending in
// ".exe" (the program's base name plus ".exe", whatever the running file is called).
std::string AppDir(SystemInfo& sys);
std::string AppExePath(SystemInfo& sys);

}  // namespace qm
