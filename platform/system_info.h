// The operating system's version and the running program's own path.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

struct OsVersion {
  std::uint32_t platform_id = 2;  // 1: Windows 95 family, 2: NT family
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  // The true version, even where the system reports an older one to unmanifested programs.
  virtual OsVersion Version() = 0;
  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
};

}  // namespace qm
