// The window-title debugger: which windows a snippet without a target title could go to, and
// putting a title on the ignore list or opening the data file in a text editor.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/status.h"

namespace qm {

inline constexpr const char* kDebuggerHint =
    "Beim Klick in das Popup-Menü der Textbausteine, muss sich das Zielfenster ganz oben in der "
    "Liste befinden. Sollte sich hier ein anderer Eintrag finden, so muss er ggf. gesperrt "
    "werden. Weitere Details in der Online-Hilfe.";
// The button array, by index.
inline constexpr const char* kDebuggerButtons[] = {"&Markierten Titel in Zukunft ignorieren",
                                                   "&Konfigurationsdatei manuell bearbeiten",
                                                   "&Dieses Fenster schließen"};

// A window in the debugger's list: its title, which is what the ignore list takes, and a note
// on how a snippet would reach it.
struct DebuggerRow {
  std::string title;
  std::string note;  // may be empty
};

// The row as the list shows it: "'Ohne Titel - Editor'  —  notepad.exe, Notepad: Tippen".
std::string DebuggerLine(const DebuggerRow& row);

// Puts the title marked in the list (nullopt: none is) on the ignore list through
// `add_ignored_title`, after the user has said yes to it; No is the default answer, so that
// an Enter pressed by mistake changes nothing in the file. The list itself stays as it is:
// the title drops out at the next look for the last-used window. True when it was added.
bool IgnoreMarkedTitle(Dialogs& dialogs, const std::string& app_title,
                       const std::optional<std::string>& marked,
                       const std::function<Status(const std::string&)>& add_ignored_title);

// The command line that opens the data file in the text editor: the path follows as it
// stands, unquoted, which the editor takes whole even where it holds blanks.
std::string EditorCommandLine(const std::string& data_file);

// Starts the editor on the data file without waiting for it.
bool EditDataFile(Shell& shell, const std::string& data_file);

}  // namespace qm
