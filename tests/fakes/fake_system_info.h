// A system whose version and executable path the test sets.
#pragma once

#include <string>

#include "platform/system_info.h"

namespace qm {

class FakeSystemInfo : public SystemInfo {
 public:
  OsVersion Version() override { return version; }
  std::string ExecutablePath() override { return exe_path; }

  OsVersion version{2, 10, 0, 19045};
  std::string exe_path = "C:\\Programme\\Quillet\\Quillet.exe";
};

}  // namespace qm
