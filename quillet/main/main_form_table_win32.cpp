// The main window's controls and menu bar as tables, and where each control goes.
#include "quillet/main/main_form_table_win32.h"

#include <commctrl.h>

#include "platform/utf16_win32.h"
#include "quillet/commands.h"
#include "quillet/main/main_form_win32.h"

namespace qm {
namespace {

// The seven objects whose geometry follows the window's size, in the scaler's order.
constexpr int kSListFrame = kListenFrame, kSTextFrame = kTextFrame,
              kSControlFrame = kSteuerungsFrame, kSContainer1 = kContainer1,
              kSContainer2 = kContainer2, kSList = kLbEntryList, kSEditor = kQuilletTextTB;
constexpr std::size_t kScaledCount = kLayoutObjectCount;
constexpr MainGroup kScaledParent[kScaledCount] = {
    kWindow, kWindow, kWindow, kListFrameG, kTextFrameG, kListFrameG, kTextFrameG};

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
       {{"&Ausschneiden", C::kEditCut},
        {"&Kopieren", C::kEditCopy},
        {"&Einfügen", C::kEditPaste},
        {"&Löschen", C::kEditDelete},
        kSeparator,
        {"&Suchen...", C::kEditFind},
        {"&Weitersuchen", C::kEditFindNext}}},
      {"&Texte",
       {{"&Neu...", C::kMenuNewEntry},
        {"&Umbenennen...", C::kMenuRenameEntry},
        {"&Löschen", C::kMenuDeleteEntry},
        kSeparator,
        {"Eintrag e&xportieren...", C::kMenuExportEntry}}},
      {"&Extras",
       {{"&Optionen...", C::kMenuOptions}, kSeparator, {"&Debugger...", C::kMenuDebugger}}},
      {"&Hilfe", {{"&Hilfe", C::kMenuHelp}, kSeparator, {"&Info", C::kMenuAbout}}},
  };
  return menus;
}

Rect GroupOrigin(MainGroup g, const LayoutRects& scaled) {
  switch (g) {
    case kWindow:
      return {};
    case kListFrameG:
      return scaled[kSListFrame];
    case kTextFrameG:
      return scaled[kSTextFrame];
    case kControlFrameG:
      return scaled[kSControlFrame];
    case kContainer1G: {
      const Rect& f = scaled[kSListFrame];
      const Rect& c = scaled[kSContainer1];
      return {f.left + c.left, f.top + c.top, c.width, c.height};
    }
    case kContainer2G: {
      const Rect& f = scaled[kSTextFrame];
      const Rect& c = scaled[kSContainer2];
      return {f.left + c.left, f.top + c.top, c.width, c.height};
    }
  }
  return {};
}

}  // namespace

const std::vector<MainControl>& MainControls() {
  // One row per control reads best.
  // clang-format off
  static const std::vector<MainControl> table = {
      {kIdMenuLine, WC_STATICW, "", SS_ETCHEDHORZ, 0, kWindow, -1,
       {0, 0, kDesignedMainClientWidth, 30}},
      {kIdListFrame, WC_BUTTONW, "Textbausteine", BS_GROUPBOX, 0, kWindow, kSListFrame, {}},
      {kIdList, WC_LISTBOXW, "",
       LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP |
           WS_GROUP,
       WS_EX_CLIENTEDGE, kListFrameG, kSList, {}},
      {CommandId(QuilletCommand::kNewEntry), WC_BUTTONW, "&Neu",
       BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, kContainer1G, -1, {0, 120, 795, 615}},
      {CommandId(QuilletCommand::kRenameEntry), WC_BUTTONW, "&Umbe- nennen",
       BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0, kContainer1G, -1, {870, 120, 795, 615}},
      {CommandId(QuilletCommand::kDeleteEntry), WC_BUTTONW, "&Löschen",
       BS_PUSHBUTTON | WS_TABSTOP, 0, kContainer1G, -1, {1740, 120, 795, 615}},
      {kIdTextFrame, WC_BUTTONW, "Bearbeitung", BS_GROUPBOX, 0, kWindow, kSTextFrame, {}},
      // Made by the glyph editor, which knows its class and style.
      {kIdEditor, nullptr, "", 0, 0, kTextFrameG, kSEditor, {}},
      // The abbreviation's two rows between the editor and the target options, moving with
      // the latter.
      {kIdAbbreviationLabel, WC_STATICW, "&Kürzel:", SS_LEFT, 0, kContainer2G, -1,
       {0, -1005, 690, 255}},
      {kIdAbbreviation, WC_EDITW, "", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE,
       kContainer2G, -1, {720, -1050, 1500, 300}},
      {kIdAtOnceChk, WC_BUTTONW, "sofo&rt", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {2340, -1035, 1260, 285}},
      {kIdConflicts, WC_STATICW, "", SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, kContainer2G, -1,
       {0, -690, 4935, 630}},
      {kIdLabel1, WC_STATICW, "Senden an das", SS_LEFT, 0, kContainer2G, -1, {0, 75, 1215, 255}},
      {kIdOptLastWindow, WC_BUTTONW, "zuletzt benutzte &Fenster ",
       BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, kContainer2G, -1, {1260, 30, 2355, 285}},
      {kIdOptTitle, WC_BUTTONW, "Fenster mit diesem &Titel:", BS_AUTORADIOBUTTON, 0, kContainer2G,
       -1, {1260, 345, 2355, 285}},
      {kIdTitleBox, WC_COMBOBOXW, "",
       CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {1260, 660, 3675, 2400}},
      {kIdCryptChk, WC_BUTTONW, "&Chiffrieren", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {3675, 30, 1260, 285}},
      {kIdDosBoxChk, WC_BUTTONW, "DOS-Bo&x", BS_AUTOCHECKBOX | WS_TABSTOP, 0, kContainer2G, -1,
       {3675, 345, 1260, 285}},
      // The entry's own delivery, in a row below the target's; the label names the box.
      {kIdDeliveryLabel, WC_STATICW, "&Zustellung:", SS_LEFT, 0, kContainer2G, -1,
       {0, 1050, 1215, 255}},
      {kIdDelivery, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {1260, 1005, 2355, 1800}},
      // Key recording is always on; the switch stays hidden.
      {kIdKeyRecordChk, WC_BUTTONW, "&Steuertasten einfügen", BS_AUTOCHECKBOX, 0, kContainer2G, -1,
       {0, 660, 1215, 285}},
      {kIdControlFrame, WC_BUTTONW, "Steuerung", BS_GROUPBOX, 0, kWindow, kSControlFrame, {}},
      {CommandId(QuilletCommand::kOptions), WC_BUTTONW, "&Optionen",
       BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, kControlFrameG, -1, {120, 300, 795, 420}},
      {CommandId(QuilletCommand::kDebugger), WC_BUTTONW, "Debu&g",
       BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1, {120, 780, 795, 420}},
      {CommandId(QuilletCommand::kHideMain), WC_BUTTONW, "&OK",
       BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1, {120, 1260, 795, 420}},
      {CommandId(QuilletCommand::kHelp), WC_BUTTONW, "&Hilfe",
       BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1, {120, 1740, 795, 420}},
      {CommandId(QuilletCommand::kAbout), WC_BUTTONW, "&Info",
       BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1, {120, 2220, 795, 420}},
  };
  // clang-format on
  return table;
}

Rect MainControlTwips(const MainControl& c, const LayoutRects& scaled) {
  const Rect r = c.scaled >= 0 ? scaled[static_cast<std::size_t>(c.scaled)] : c.rect;
  const Rect origin = GroupOrigin(c.scaled >= 0 ? kScaledParent[c.scaled] : c.group, scaled);
  return {origin.left + r.left, origin.top + r.top, r.width, r.height};
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
