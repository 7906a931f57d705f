// Top-level windows of all applications: foreground, Z-order, titles, visibility.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

using WindowHandle = std::uint64_t;  // 0: none

// Why a window can never receive a snippet, whatever its title says.
enum class NeverTarget {
  kNo,
  kOwnProcess,  // a window of this program: its main window, an input box, a message box
  kShell,       // the shell's desktop or taskbar: keys there open icons and menus
  kCloaked,     // hidden by the system (another virtual desktop, a suspended app)
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual WindowHandle Foreground() = 0;
  // The next window below `window` in the Z-order; 0 at the bottom.
  virtual WindowHandle Below(WindowHandle window) = 0;
  // The next window above `window` in the Z-order; 0 at the top.
  virtual WindowHandle Above(WindowHandle window) = 0;
  virtual std::string Title(WindowHandle window) = 0;
  // The name of the window's class; empty when it is gone.
  virtual std::string ClassName(WindowHandle window) = 0;
  virtual bool IsVisible(WindowHandle window) = 0;
  virtual bool Exists(WindowHandle window) = 0;
  virtual NeverTarget WhyNeverTarget(WindowHandle window) = 0;
  // All top-level windows, topmost first.
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;
  // Tries to make `window` the foreground window; true when it then is in front, restored.
  // A minimised window in front takes no typing, so a minimised one is only asked to restore
  // itself, without waiting for its program (which may hang), and the call returns false
  // until it has.
  virtual bool BringToFront(WindowHandle window) = 0;
  virtual void SetTopmost(WindowHandle window, bool on) = 0;
};

}  // namespace qm
