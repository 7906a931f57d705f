// The window-title debugger's commands.
#include "quillet/diag/debugger.h"

namespace qm {

bool IgnoreMarkedTitle(Dialogs& dialogs, const std::string& app_title,
                       const std::optional<std::string>& marked,
                       const std::function<Status(const std::string&)>& add_ignored_title) {
  if (!marked) {
    dialogs.ShowMessage("Bitte markieren Sie zunächst den betreffenden Fenstertitel", app_title,
                        MessageIcon::kInformation, MessageButtons::kOk);
    return false;
  }
  const MessageAnswer answer = dialogs.ShowMessage(
      "Soll der Fenstertitel '" + *marked + "'\rin Zukunft wirklich immer ignoriert werden?",
      app_title, MessageIcon::kQuestion, MessageButtons::kYesNoDefaultNo);
  if (answer != MessageAnswer::kYes) return false;
  if (const Status s = add_ignored_title(*marked); !s) {
    dialogs.ShowMessage("Die Änderung konnte nicht gespeichert werden.\r\n\r\n" + s.message,
                        app_title, MessageIcon::kExclamation, MessageButtons::kOk);
    return false;
  }
  return true;
}

std::string DebuggerLine(const DebuggerRow& row) {
  std::string line = "'" + row.title + "'";
  if (!row.note.empty()) line += "  —  " + row.note;
  return line;
}

std::string EditorCommandLine(const std::string& data_file) {
  return "notepad " + data_file;
}

bool EditDataFile(Shell& shell, const std::string& data_file) {
  return shell.Run(EditorCommandLine(data_file));
}

}  // namespace qm
