// The Windows version as the programs show and test it, from the system's version record.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_info.h"

namespace qm {

bool IsWindowsNT(SystemInfo& sys);
// Major, minor and build packed into one number (major << 24 | minor << 16 | build).
std::uint32_t WindowsVersionNumber(SystemInfo& sys);
// "10.0.19045"
std::string WindowsVersionString(SystemInfo& sys);

}  // namespace qm
