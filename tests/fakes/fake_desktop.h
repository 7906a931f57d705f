// Top-level windows held in Z-order, topmost first, with titles and visibility.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qm {

class FakeDesktop : public Desktop {
 public:
  struct Window {
    WindowHandle handle = 0;
    std::string title;
    bool visible = true;
    NeverTarget never = NeverTarget::kNo;
    bool minimised = false;  // asked to restore itself, its program never does
  };

  // Adds a window at the bottom of the Z-order.
  WindowHandle Add(std::string title, bool visible = true) {
    const WindowHandle handle = next_handle_++;
    windows.push_back({handle, std::move(title), visible});
    return handle;
  }

  WindowHandle Foreground() override { return foreground; }
  WindowHandle Below(WindowHandle window) override {
    const auto it = Find(window);
    if (it == windows.end() || it + 1 == windows.end()) return 0;
    return (it + 1)->handle;
  }
  WindowHandle Above(WindowHandle window) override {
    const auto it = Find(window);
    if (it == windows.end() || it == windows.begin()) return 0;
    return (it - 1)->handle;
  }
  std::string Title(WindowHandle window) override {
    const auto it = Find(window);
    return it == windows.end() ? std::string() : it->title;
  }
  std::string ClassName(WindowHandle window) override {
    const auto it = classes.find(window);
    return it == classes.end() || !Exists(window) ? std::string() : it->second;
  }
  bool IsVisible(WindowHandle window) override {
    const auto it = Find(window);
    return it != windows.end() && it->visible;
  }
  bool Exists(WindowHandle window) override { return Find(window) != windows.end(); }
  NeverTarget WhyNeverTarget(WindowHandle window) override {
    const auto it = Find(window);
    return it == windows.end() ? NeverTarget::kNo : it->never;
  }
  std::vector<WindowHandle> TopLevelWindows() override {
    std::vector<WindowHandle> handles;
    for (const auto& w : windows) handles.push_back(w.handle);
    return handles;
  }
  // Windows may refuse to hand over the foreground; `refuse_foreground` plays that part, for
  // good or for the next `refuse_foreground_times` requests.
  bool BringToFront(WindowHandle window) override {
    ++bring_to_front_calls;
    const auto it = Find(window);
    if (it == windows.end() || it->minimised) return false;
    // Refused, a window already in front is still there.
    if (refuse_foreground) return foreground == window;
    if (refuse_foreground_times > 0) {
      --refuse_foreground_times;
      return foreground == window;
    }
    std::rotate(windows.begin(), it, it + 1);
    foreground = window;
    return true;
  }
  void SetTopmost(WindowHandle window, bool on) override { topmost[window] = on; }

  std::vector<Window> windows;  // topmost first
  std::map<WindowHandle, std::string> classes;  // empty for every other window
  WindowHandle foreground = 0;
  bool refuse_foreground = false;
  int refuse_foreground_times = 0;
  int bring_to_front_calls = 0;
  std::map<WindowHandle, bool> topmost;

 private:
  std::vector<Window>::iterator Find(WindowHandle window) {
    return std::find_if(windows.begin(), windows.end(),
                        [&](const Window& w) { return w.handle == window; });
  }
  WindowHandle next_handle_ = 0x100;
};

}  // namespace qm
