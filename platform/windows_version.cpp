// The Windows version as the programs show and test it, from the system's version record.
#include "platform/windows_version.h"

namespace qm {

bool IsWindowsNT(SystemInfo& sys) {
  return sys.Version().platform_id == 2;
}

std::uint32_t WindowsVersionNumber(SystemInfo& sys) {
  const OsVersion v = sys.Version();
  // The 95 family already packs major and minor into the high word of its build number.
  if (v.platform_id == 1) return v.build;
  return (v.major << 24) | ((v.minor & 0xFF) << 16) | (v.build & 0xFFFF);
}

std::string WindowsVersionString(SystemInfo& sys) {
  const std::uint32_t n = WindowsVersionNumber(sys);
  return std::to_string(n >> 24) + "." + std::to_string((n >> 16) & 0xFF) + "." +
         std::to_string(n & 0xFFFF);
}

}  // namespace qm
