// The system's facts on Linux and other POSIX systems: its version, the running program, the
// code page that stands in for Windows' ANSI one.
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "platform/os.h"
#include "platform/portable_code_pages.h"

namespace qm {
namespace {

class PosixSystemInfo : public SystemInfo {
 public:
  OsVersion Version() override {
    OsVersion v;
    utsname u;
    if (uname(&u) == 0) {
      unsigned major = 0, minor = 0, build = 0;
      std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build);
      v.major = major;
      v.minor = minor;
      v.build = build;
    }
    return v;
  }

  std::string ExecutablePath() override {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }
};

}  // namespace

std::unique_ptr<CodePage> MakeOsAnsiCodePage() {
  return std::make_unique<Windows1252CodePage>();
}
std::unique_ptr<SystemInfo> MakeOsSystemInfo() {
  return std::make_unique<PosixSystemInfo>();
}

}  // namespace qm
