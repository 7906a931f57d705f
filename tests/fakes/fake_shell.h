// Records what would be opened or started.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace qm {

class FakeShell : public Shell {
 public:
  bool Open(const std::string& target, ShowMode mode) override {
    opened.push_back(target);
    modes.push_back(mode);
    return succeed;
  }
  bool Run(const std::string& command_line) override {
    ran.push_back(command_line);
    return succeed;
  }

  std::vector<std::string> opened, ran;
  std::vector<ShowMode> modes;
  bool succeed = true;
};

}  // namespace qm
