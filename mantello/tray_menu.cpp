// Mantello's tray menu: its items, what each does, and the reopening after "&Autostart".
#include "mantello/tray_menu.h"

namespace qm {

std::vector<TrayMenuItem> MantelloTrayMenu(bool autostart_on) {
  return {{kMenuEncode, "&Kodieren"}, {1, ""}, {kMenuHelp, "&Hilfe"},
          {kMenuInfo, "&Info"},       {4, ""}, {kMenuAutostart, "&Autostart", autostart_on},
          {kMenuQuit, "&Beenden"},    {7, ""}, {kMenuCancel, "&Abbrechen"}};
}

void TrayMenu::Show() {
  do {
    if (reopen_) {
      reopen_ = false;
    } else {
      remembered_ = a_.cursor();
    }
    const ScreenPoint at{a_.cursor().x, remembered_.y};
    const int chosen = a_.open_menu(MantelloTrayMenu(a_.autostart_on()), at);
    if (chosen >= 0) Run(chosen);
  } while (reopen_);
}

void TrayMenu::Run(int index) {
  switch (index) {
    case kMenuEncode:
      a_.encode();
      break;
    case kMenuHelp:
      a_.help();
      break;
    case kMenuInfo:
      a_.info();
      break;
    case kMenuAutostart:
      a_.set_autostart(!a_.autostart_on());
      reopen_ = true;
      break;
    case kMenuQuit:
      a_.quit();
      break;
    default:
      break;
  }
}

}  // namespace qm
