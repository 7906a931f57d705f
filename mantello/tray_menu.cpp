// Mantello's tray menu: its items, what each does, and the reopening after "&Autostart".
#include "mantello/tray_menu.h"

namespace qm {

std::vector<TrayMenuItem> MantelloTrayMenu(bool autostart_on) {
  using C = MantelloCommand;
  return {{C::kEncode, "&Kodieren"},
          {C::kNone, ""},
          {C::kHelp, "&Hilfe"},
          {C::kInfo, "&Info"},
          {C::kNone, ""},
          {C::kAutostart, "&Autostart", autostart_on},
          {C::kQuit, "&Beenden"},
          {C::kNone, ""},
          {C::kCancel, "&Abbrechen"}};
}

void TrayMenu::Show() {
  do {
    if (reopen_) {
      reopen_ = false;
    } else {
      remembered_ = a_.cursor();
    }
    const ScreenPoint at{a_.cursor().x, remembered_.y};
    Run(a_.open_menu(MantelloTrayMenu(a_.autostart_on()), at));
  } while (reopen_);
}

void TrayMenu::Run(MantelloCommand command) {
  switch (command) {
    case MantelloCommand::kEncode:
      a_.encode();
      break;
    case MantelloCommand::kHelp:
      a_.help();
      break;
    case MantelloCommand::kInfo:
      a_.info();
      break;
    case MantelloCommand::kAutostart:
      a_.set_autostart(!a_.autostart_on());
      reopen_ = true;
      break;
    case MantelloCommand::kQuit:
      a_.quit();
      break;
    default:
      break;
  }
}

}  // namespace qm
