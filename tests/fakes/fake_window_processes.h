// Processes behind windows, some of them elevated or beyond our reading.
#pragma once

#include <map>

#include "platform/window_processes.h"

namespace qm {

class FakeWindowProcesses : public WindowProcesses {
 public:
  KeyDelivery DeliveryTo(WindowHandle window) override {
    const auto it = delivery.find(window);
    return it == delivery.end() ? KeyDelivery::kDelivered : it->second;
  }

  std::map<WindowHandle, KeyDelivery> delivery;  // kDelivered for every other window
};

}  // namespace qm
