// The main window's controls and menu bar as tables.
#include "quillet/main/main_form_table_win32.h"

#include <commctrl.h>

#include "platform/utf16_win32.h"
#include "quillet/commands.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/main/main_layout.h"

namespace qm {
namespace {

struct MenuItemDef {
  const char* caption;
  QuilletCommand command;  // kNone for a separator
};
struct MenuDef {
  const char* caption;
  std::vector<MenuItemDef> items;
};
const std::vector<MenuDef>& MenuBar() {
  using C = QuilletCommand;
  constexpr MenuItemDef kSeparator{"", C::kNone};
  static const std::vector<MenuDef> menus = {
      {"&Datei",
       {{"&Importieren...", C::kMenuImport},
        {"&Exportieren...", C::kMenuExport},
        kSeparator,
        {"&Ausblenden", C::kMenuHide},
        kSeparator,
        {"&Beenden", C::kMenuQuit}}},
      {"&Bearbeiten",
       {{"&Rückgängig\tStrg+Z", C::kEditUndo},
        {"Wieder&herstellen\tStrg+Y", C::kEditRedo},
        kSeparator,
        {"&Ausschneiden\tStrg+X", C::kEditCut},
        {"&Kopieren\tStrg+C", C::kEditCopy},
        {"&Einfügen\tStrg+V", C::kEditPaste},
        {"&Löschen\tEntf", C::kEditDelete},
        kSeparator,
        {"&Suchen...\tStrg+F", C::kEditFind},
        {"&Weitersuchen\tF3", C::kEditFindNext}}},
      {"&Format",
       {{"Fett\tStrg+B", C::kFormatBold},
        {"Kursiv\tStrg+I", C::kFormatItalic},
        {"Unterstrichen\tStrg+U", C::kFormatUnderline},
        kSeparator,
        {"Link...\tStrg+K", C::kFormatLink},
        kSeparator,
        {"Aufzählung", C::kFormatBullets},
        {"Nummerierung", C::kFormatNumbers},
        kSeparator,
        {"Bild einfügen...", C::kFormatPicture},
        kSeparator,
        {"Formatierung entfernen", C::kFormatClear}}},
      {"&Texte",
       {{"&Neu...", C::kMenuNewEntry},
        {"&Umbenennen...", C::kMenuRenameEntry},
        {"&Löschen", C::kMenuDeleteEntry},
        kSeparator,
        {"Eintrag e&xportieren...", C::kMenuExportEntry}}},
      {"&Extras",
       {{"&Optionen...", C::kMenuOptions},
        kSeparator,
        {"&Debugger...", C::kMenuDebugger},
        {"&Versandprotokoll...", C::kMenuSendLog}}},
      {"&Hilfe", {{"&Hilfe", C::kMenuHelp}, kSeparator, {"&Info", C::kMenuAbout}}},
  };
  return menus;
}

constexpr unsigned kMoves = kFollowsRight | kFollowsBottom;

// `row`, given in `part`'s client area, in the part's container's; it moves as the part moves.
ControlRow Inside(const LayoutPart& part, ControlRow row) {
  row.left += static_cast<int>(part.planned.left);
  row.top += static_cast<int>(part.planned.top);
  row.anchors |= part.anchors & kMoves;
  return row;
}

// `row` taking the whole of `part`, with its anchors.
ControlRow Whole(const LayoutPart& part, ControlRow row) {
  row.left = static_cast<int>(part.planned.left);
  row.top = static_cast<int>(part.planned.top);
  row.width = static_cast<int>(part.planned.width);
  row.height = static_cast<int>(part.planned.height);
  row.anchors = part.anchors;
  return row;
}

ControlRow Entries(ControlRow row) {
  return Inside(kEntriesPart, row);
}
ControlRow EntryButton(ControlRow row) {
  return Inside(kEntriesPart, Inside(kEntryButtonsPart, row));
}
ControlRow Editing(ControlRow row) {
  return Inside(kEditingPart, row);
}
// The abbreviation's two rows between the editor and the target options move with the latter.
ControlRow SendRow(ControlRow row) {
  return Inside(kEditingPart, Inside(kSendRowsPart, row));
}
ControlRow Command(ControlRow row) {
  return Inside(kCommandsPart, row);
}

std::vector<ControlRow> MakeTable() {
  const DWORD edge = WS_EX_CLIENTEDGE;
  const auto button = [](QuilletCommand command) { return CommandId(command); };
  using C = QuilletCommand;
  // One row per control reads best.
  // clang-format off
  return {
      {kIdMenuLine, WC_STATICW, "", SS_ETCHEDHORZ, 0, 0, static_cast<int>(kMainClientWidth), 30},
      Whole(kEntriesPart, {kIdEntriesGroup, WC_BUTTONW, "Textbausteine", BS_GROUPBOX, 0, 0, 0, 0}),
      Entries(Whole(kEntryListPart, {kIdList, WC_LISTBOXW, "",
          LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP |
              WS_GROUP, 0, 0, 0, 0, 0, edge})),
      // Each as wide as its word needs, so that "Umbenennen" stays one word on one line.
      EntryButton({button(C::kNewEntry), WC_BUTTONW, "&Neu",
          BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 120, 615, 615}),
      EntryButton({button(C::kRenameEntry), WC_BUTTONW, "&Umbenennen",
          BS_PUSHBUTTON | WS_TABSTOP, 675, 120, 1095, 615}),
      EntryButton({button(C::kDeleteEntry), WC_BUTTONW, "&Löschen",
          BS_PUSHBUTTON | WS_TABSTOP, 1830, 120, 705, 615}),
      Whole(kEditingPart, {kIdEditingGroup, WC_BUTTONW, "Bearbeitung", BS_GROUPBOX, 0, 0, 0, 0}),
      // Made by the glyph editor, which knows its class and style.
      Editing(Whole(kEditorPart, {kIdEditor, nullptr, "", 0, 0, 0, 0, 0})),
      // Two lines; its text is also its name for a screen reader.
      Editing(Whole(kFieldProblemsPart, {kIdFieldProblems, WC_STATICW, "",
          SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 0, 0, 0})),
      SendRow({kIdAbbreviationLabel, WC_STATICW, "&Kürzel:", SS_LEFT, 0, -1005, 690, 255}),
      SendRow({kIdAbbreviation, WC_EDITW, "", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
          720, -1050, 1500, 300, 0, edge}),
      SendRow({kIdAtOnceCheck, WC_BUTTONW, "sofo&rt", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
          2340, -1035, 1260, 285}),
      SendRow({kIdConflicts, WC_STATICW, "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
          0, -690, 4935, 630}),
      SendRow({kIdSendToLabel, WC_STATICW, "Senden an das", SS_LEFT, 0, 75, 1215, 255}),
      SendRow({kIdLastWindowOption, WC_BUTTONW, "zuletzt benutzte &Fenster ",
          BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 1260, 30, 2355, 285}),
      SendRow({kIdTitleOption, WC_BUTTONW, "Fenster mit diesem &Titel:", BS_AUTORADIOBUTTON,
          1260, 345, 2355, 285}),
      SendRow({kIdTitleBox, WC_COMBOBOXW, "",
          CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
          1260, 660, 3675, 2400}),
      SendRow({kIdCipherCheck, WC_BUTTONW, "&Chiffrieren", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP,
          3675, 30, 1260, 285}),
      SendRow({kIdDosBoxCheck, WC_BUTTONW, "DOS-Bo&x", BS_AUTOCHECKBOX | WS_TABSTOP,
          3675, 345, 1260, 285}),
      // The entry's own delivery, in a row below the target's; the label names the box.
      SendRow({kIdDeliveryLabel, WC_STATICW, "&Zustellung:", SS_LEFT, 0, 1050, 1215, 255}),
      SendRow({kIdDelivery, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
          1260, 1005, 2355, 1800}),
      // Key recording is always on; the switch is hidden once made.
      SendRow({kIdKeyRecordCheck, WC_BUTTONW, "&Steuertasten einfügen", BS_AUTOCHECKBOX,
          0, 660, 1215, 285}),
      Whole(kCommandsPart, {kIdCommandsGroup, WC_BUTTONW, "Steuerung", BS_GROUPBOX, 0, 0, 0, 0}),
      Command({button(C::kOptions), WC_BUTTONW, "&Optionen", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP,
          120, 300, 795, 420}),
      Command({button(C::kDebugger), WC_BUTTONW, "Debu&g", BS_PUSHBUTTON | WS_TABSTOP,
          120, 780, 795, 420}),
      Command({button(C::kHideMain), WC_BUTTONW, "&OK", BS_PUSHBUTTON | WS_TABSTOP,
          120, 1260, 795, 420}),
      Command({button(C::kHelp), WC_BUTTONW, "&Hilfe", BS_PUSHBUTTON | WS_TABSTOP,
          120, 1740, 795, 420}),
      Command({button(C::kAbout), WC_BUTTONW, "&Info", BS_PUSHBUTTON | WS_TABSTOP,
          120, 2220, 795, 420}),
  };
  // clang-format on
}

}  // namespace

const std::vector<ControlRow>& MainFormTable() {
  static const std::vector<ControlRow> table = MakeTable();
  return table;
}

HMENU CreateMainMenuBar() {
  HMENU bar = CreateMenu();
  for (const MenuDef& def : MenuBar()) {
    HMENU popup = CreatePopupMenu();
    for (const MenuItemDef& item : def.items) {
      if (item.command == QuilletCommand::kNone) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(CommandId(item.command)),
                    Utf8ToWide(item.caption).c_str());
      }
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Utf8ToWide(def.caption).c_str());
  }
  return bar;
}

}  // namespace qm
