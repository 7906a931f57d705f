// Mantello's tray menu: its items, what each does, and the reopening after "&Autostart".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qm {

struct TrayMenuItem {
  int index;            // position in the menu; separators have one too
  std::string caption;  // empty for a separator
  bool checked = false;
};

inline constexpr int kMenuEncode = 0, kMenuHelp = 2, kMenuInfo = 3, kMenuAutostart = 5,
                     kMenuQuit = 6, kMenuCancel = 8;
inline constexpr const char* kMantelloTip = " Mantello: Links: Code codieren -:- Rechts: Menü.";

std::vector<TrayMenuItem> MantelloTrayMenu(bool autostart_on);

struct ScreenPoint {
  int x = 0, y = 0;
};

struct TrayMenuActions {
  std::function<void()> encode;
  std::function<void()> help;
  std::function<void()> info;
  std::function<void(bool on)> set_autostart;
  std::function<bool()> autostart_on;
  std::function<void()> quit;
  // Opens the menu centred on x at height y and returns the chosen index, or -1.
  std::function<int(const std::vector<TrayMenuItem>& items, ScreenPoint at)> open_menu;
  std::function<ScreenPoint()> cursor;
};

class TrayMenu {
 public:
  explicit TrayMenu(TrayMenuActions actions) : a_(std::move(actions)) {}

  // Opens the menu at the pointer. After "&Autostart" it opens again at the same height, at
  // the pointer's current horizontal position, with the check mark changed.
  void Show();
  void Run(int index);

 private:
  TrayMenuActions a_;
  bool reopen_ = false;
  ScreenPoint remembered_;
};

}  // namespace qm
