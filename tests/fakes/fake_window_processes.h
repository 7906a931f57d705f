// Processes behind windows, some of them elevated.
#pragma once

#include <set>

#include "platform/window_processes.h"

namespace qm {

class FakeWindowProcesses : public WindowProcesses {
 public:
  bool IsElevated(WindowHandle window) override { return elevated.count(window) != 0; }

  std::set<WindowHandle> elevated;
};

}  // namespace qm
