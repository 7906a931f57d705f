// Starting with Windows: the Run value of the current user, and the replacement of an old
// shortcut in the Startup folder by that value.
#pragma once

#include <string>

#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace qm {

// Below HKEY_CURRENT_USER.
std::string RunKeyPath(bool once);
inline constexpr const char* kShellFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool SetAutostartEntry(Registry& reg, const std::string& name, const std::string& command,
                       bool once);
bool RemoveAutostartEntry(Registry& reg, const std::string& name, bool once);
bool AutostartEntryExists(Registry& reg, const std::string& name, bool once);

// The autostart switch of a program: a check box in Quillet's options, a checked menu item
// in Mantello. Until Init has run, a change of the switch writes nothing.
class AutostartSwitch {
 public:
  // `command` is the program's path, a blank and "/AUTOSTART".
  AutostartSwitch(Registry& reg, FileSystem& fs, Dialogs& dialogs, std::string program_title,
                  std::string command);

  // Reads the state once at start-up. An old Startup-folder shortcut is deleted and replaced
  // by the Run value. Returns the state the switch shows.
  bool Init();
  // The user turned the switch on or off.
  void Apply(bool on);
  bool state() const { return state_; }
  bool initialised() const { return initialised_; }

 private:
  Registry& reg_;
  FileSystem& fs_;
  Dialogs& dialogs_;
  std::string title_, command_;
  bool state_ = false;
  bool initialised_ = false;
};

}  // namespace qm
