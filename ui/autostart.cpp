// Starting with Windows: the Run value of the current user, and the replacement of an old
// shortcut in the Startup folder by that value.
#include "ui/autostart.h"

#include "platform/paths.h"

namespace qm {

std::string RunKeyPath(bool once) {
  return std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\") + (once ? "RunOnce" : "Run");
}

bool SetAutostartEntry(Registry& reg, const std::string& name, const std::string& command,
                       bool once) {
  return reg.WriteString(RunKeyPath(once), name, command);
}

bool RemoveAutostartEntry(Registry& reg, const std::string& name, bool once) {
  return reg.DeleteValue(RunKeyPath(once), name);
}

bool AutostartEntryExists(Registry& reg, const std::string& name, bool once) {
  return reg.ReadString(RunKeyPath(once), name).has_value();
}

AutostartSwitch::AutostartSwitch(Registry& reg, FileSystem& fs, Dialogs& dialogs,
                                 std::string program_title, std::string command)
    : reg_(reg),
      fs_(fs),
      dialogs_(dialogs),
      title_(std::move(program_title)),
      command_(std::move(command)) {}

bool AutostartSwitch::Init() {
  const std::string folder = reg_.ReadString(kShellFoldersKey, "Startup").value_or("");
  const std::string shortcut = AddBackslash(folder) + title_ + ".lnk";
  if (!folder.empty() && FileExists(fs_, shortcut)) {
    // Delete clears the attributes first; what stays behind is reported, and the Run value
    // is written all the same.
    if (!fs_.Delete(shortcut)) {
      dialogs_.ShowMessage("Datei nicht löschbar: " + shortcut, title_, MessageIcon::kInformation,
                           MessageButtons::kOk);
    }
    initialised_ = true;
    Apply(true);
    return state_;
  }
  state_ = AutostartEntryExists(reg_, title_, false);
  initialised_ = true;
  return state_;
}

void AutostartSwitch::Apply(bool on) {
  state_ = on;
  if (!initialised_) return;
  if (on) {
    SetAutostartEntry(reg_, title_, command_, false);
  } else {
    RemoveAutostartEntry(reg_, title_, false);
  }
}

}  // namespace qm
