// Processes behind windows, some of them elevated or beyond our reading.
#pragma once

#include <map>
#include <string>

#include "platform/window_processes.h"

namespace qm {

class FakeWindowProcesses : public WindowProcesses {
 public:
  KeyDelivery DeliveryTo(WindowHandle window) override {
    const auto it = delivery.find(window);
    return it == delivery.end() ? KeyDelivery::kDelivered : it->second;
  }

  std::string ProgramFile(WindowHandle window) override {
    const auto it = programs.find(window);
    return it == programs.end() ? std::string() : it->second;
  }

  std::map<WindowHandle, KeyDelivery> delivery;  // kDelivered for every other window
  std::map<WindowHandle, std::string> programs;
};

}  // namespace qm
