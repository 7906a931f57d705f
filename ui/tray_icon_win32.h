// The notification-area icons of one window: added, changed, removed, and added again when
// the shell restarts.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "ui/tray_dispatch.h"

namespace qm {

// The icons send kTrayMessage to `window`, whose frame hands it to OnTrayIcon; its
// OnTaskbarCreated calls AddAgain. The icons go with this object, or with RemoveAll before
// the window is destroyed.
class TrayIcons {
 public:
  TrayIcons() = default;
  ~TrayIcons();
  TrayIcons(const TrayIcons&) = delete;
  TrayIcons& operator=(const TrayIcons&) = delete;

  void SetWindow(HWND window) { window_ = window; }
  bool Add(unsigned id, HICON icon, const std::string& tip);
  // Changes the tooltip of an icon that is there.
  bool SetTip(unsigned id, const std::string& tip);
  // A notification from an icon that is there, which takes nothing from the window in front:
  // a warning (or information) with its title and text (shortened to what the shell holds).
  bool Notify(unsigned id, const std::string& title, const std::string& text,
              bool warning = true);
  void Remove(unsigned id);
  void RemoveAll();
  // The shell restarted (the taskbar was created anew) and knows none of our icons.
  void AddAgain();

 private:
  struct Entry {
    HICON icon;
    std::wstring tip;
  };
  HWND window_ = nullptr;
  // Kept so that the icons come back when the shell restarts.
  std::map<unsigned, Entry> icons_;
};

}  // namespace qm
