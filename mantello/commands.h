// Mantello's commands: every item of its tray menu by name. A command's value is the
// WM_COMMAND id of its menu item, 100 + the item's position in the menu.
#pragma once

namespace qm {

enum class MantelloCommand : int {
  kNone = 0,         // a separator, or the menu closed without a choice
  kEncode = 100,     // 0 "&Kodieren"
  kHelp = 102,       // 2 "&Hilfe"
  kInfo = 103,       // 3 "&Info"
  kAutostart = 105,  // 5 "&Autostart"
  kQuit = 106,       // 6 "&Beenden"
  kCancel = 108,     // 8 "&Abbrechen"
};

// The menu item id of a command.
constexpr int CommandId(MantelloCommand command) {
  return static_cast<int>(command);
}

}  // namespace qm
