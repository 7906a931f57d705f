// Quillet's commands: every button and menu item of its windows by name. A command's value
// is the WM_COMMAND id of its button or menu item, and tests drive the windows with them.
#pragma once

namespace qm {

enum class QuilletCommand : int {
  kNone = 0,
  // The main window's button array: 200 + the button's index in it.
  kDebugger = 200,     // 0 "Debu&g"
  kDeleteEntry = 201,  // 1 "&Löschen"
  kRenameEntry = 202,  // 2 "&Umbenennen"
  kHideMain = 203,     // 3 "&OK"
  kOptions = 204,      // 4 "&Optionen": the dialog beside the main window
  kAbout = 205,        // 5 "&Info"
  kNewEntry = 208,     // 8 "&Neu"
  kHelp = 210,         // 10 "&Hilfe"
  // The main window's menu bar: 1000 + 100 * menu + item, both counted from 1 with the
  // separators. Items added later in front of others leave those their ids, which scripts
  // may post, and count on from 11 themselves.
  kMenuImport = 1111,  // "&Datei": "&Importieren...", "&Exportieren...", then a separator
  kMenuExport = 1112,
  kMenuHide = 1101,  // "&Ausblenden"
  kMenuQuit = 1103,  // "&Beenden"
  kEditCut = 1201,   // "&Bearbeiten": "&Ausschneiden"; also the editor's context menu
  kEditCopy = 1202,
  kEditPaste = 1203,
  kEditDelete = 1204,
  kEditFind = 1206,
  kEditFindNext = 1207,
  kEditUndo = 1211,  // in front of them: "&Rückgängig", "Wieder&herstellen", a separator
  kEditRedo = 1212,
  kMenuNewEntry = 1301,  // "&Texte": "&Neu..."
  kMenuRenameEntry = 1302,
  kMenuDeleteEntry = 1303,
  kMenuExportEntry = 1305,  // after a separator: "Eintrag e&xportieren..."
  kMenuOptions = 1401,      // "&Extras": "&Optionen...", the dialog with the main window disabled
  kMenuDebugger = 1403,
  kMenuSendLog = 1411,  // after "&Debugger...": "&Versandprotokoll...", added later
  kMenuHelp = 1501,  // "&Hilfe": "&Hilfe"
  kMenuAbout = 1503,
  // "&Format", added later between "&Bearbeiten" and "&Texte", counts as menu 6. Its first
  // three items are also Ctrl+B, I and U in the editor, "Link..." Ctrl+K.
  kFormatBold = 1601,       // "Fett"
  kFormatItalic = 1602,     // "Kursiv"
  kFormatUnderline = 1603,  // "Unterstrichen", then a separator
  kFormatLink = 1605,       // "Link...", then a separator
  kFormatBullets = 1607,    // "Aufzählung"
  kFormatNumbers = 1608,    // "Nummerierung", then a separator
  kFormatPicture = 1610,    // "Bild einfügen...", then a separator
  kFormatClear = 1612,      // "Formatierung entfernen"
  // The Options dialog's button array: 300 + the button's index in it.
  kOptChooseFolder = 300,  // 0 "Speicherort selbst festlegen ..."
  kOptOk = 301,            // 1 "&OK"
  kOptDefault = 302,       // 2 "&Standard"
  kOptOpenFolder = 303,    // 3 "Betreffenden Ordner öffnen ..."
  kOptColour = 304,        // 4 "&Farbauswahl"
  // The debugger's buttons, in a window of their own: two share their values with
  // "Rückgängig" and "Wiederherstellen" of the main window's menu.
  kDebuggerIgnore = 1210,    // ignore the marked title
  kDebuggerEditFile = 1211,  // edit the data file
  kDebuggerClose = 1212,
  // The question about entries an import meets in the library, and the report of an import
  // or export; "OK" and "Abbrechen" are IDOK and IDCANCEL.
  kTransferKeep = 1220,     // "&Beide behalten"
  kTransferReplace = 1221,  // "&Ersetzen"
  kTransferSkip = 1222,     // "&Überspringen"
  kTransferCopy = 1223,     // "&Kopieren"
  // The send log's viewer's buttons.
  kSendLogCopy = 1230,        // "&Kopieren"
  kSendLogOpenFolder = 1231,  // "&Ordner öffnen"
  kSendLogRefresh = 1232,     // "&Aktualisieren"
  kSendLogClose = 1233,       // "&Schließen"
  // The window monitor's switch and button.
  kMonitorVisibleOnly = 1310,
  kMonitorExit = 1311,
};

// The control or menu item id of a command.
constexpr int CommandId(QuilletCommand command) {
  return static_cast<int>(command);
}

}  // namespace qm
