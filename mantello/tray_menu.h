// Mantello's tray menu: its items, what each does, and the reopening after "&Autostart".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mantello/commands.h"

namespace qm {

struct TrayMenuItem {
  MantelloCommand command;  // kNone for a separator
  std::string caption;      // empty for a separator
  bool checked = false;
};

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
  // Opens the menu centred on x at height y and returns the chosen command, or kNone.
  std::function<MantelloCommand(const std::vector<TrayMenuItem>& items, ScreenPoint at)>
      open_menu;
  std::function<ScreenPoint()> cursor;
};

class TrayMenu {
 public:
  explicit TrayMenu(TrayMenuActions actions) : a_(std::move(actions)) {}

  // Opens the menu at the pointer. After "&Autostart" it opens again at the same height, at
  // the pointer's current horizontal position, with the check mark changed.
  void Show();
  void Run(MantelloCommand command);

 private:
  TrayMenuActions a_;
  bool reopen_ = false;
  ScreenPoint remembered_;
};

}  // namespace qm
