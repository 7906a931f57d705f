// The Options dialog's controls as tables in twips.
#include "quillet/options/options_form_table_win32.h"

#include <commctrl.h>

#include "quillet/commands.h"
#include "quillet/options/options_form_win32.h"

namespace qm {
namespace {

// Where a group box stands in the client area: the controls inside it are given relative to it.
constexpr POINT GroupOrigin(int group) {
  switch (group) {
    case kSettingsGroup:
      return {120, 60};
    case kStorageGroup:
      return {120, 2400};
    case kMenuActivationGroup:
      return {4260, 60};
    case kKeyboardGroup:
      return {120, 4860};
    case kDeliveryGroup:
      return {8400, 60};
    default:
      return {0, 0};
  }
}

// The panels' and the picture's places in the group of the menu's activation: left, top,
// width, height.
constexpr RECT kActivationPanelIn{240, 300, 3615, 675}, kTriggerPanelIn{1260, 600, 2595, 795};
constexpr RECT kScreenPictureIn{600, 1560, kScreenPictureTwips.cx, kScreenPictureTwips.cy};

constexpr DWORD kClip = WS_CLIPSIBLINGS;

ControlRow In(int group, ControlRow row) {
  const POINT origin = GroupOrigin(group);
  row.left += origin.x;
  row.top += origin.y;
  return row;
}

ControlRow GroupBox(int group, const char* caption, int width, int height) {
  const POINT origin = GroupOrigin(group);
  return {group,    WC_BUTTONW, caption, BS_GROUPBOX | WS_GROUP | kClip,
          origin.x, origin.y,   width,   height};
}

ControlRow Panel(int panel) {
  const RECT r = panel == kActivationPanel ? kActivationPanelIn : kTriggerPanelIn;
  return In(kMenuActivationGroup, {panel, nullptr, "", 0, r.left, r.top, r.right, r.bottom});
}

}  // namespace

RECT PanelTwips(int panel) {
  const ControlRow row = Panel(panel);
  return {row.left, row.top, row.width, row.height};
}

// The frames, the picture and the red circle are moved in the Z-order afterwards (see
// OptionsForm::AfterLayout); none of them takes the focus.
std::vector<ControlRow> OptionsDialogTable() {
  const DWORD tab = WS_TABSTOP | WS_GROUP | kClip;
  const DWORD bar = BS_OWNERDRAW | kClip;
  const int activation = kMenuActivationGroup;
  return {
      In(kSettingsGroup, {kAutostartCheck, WC_BUTTONW, "&Programm direkt beim Systemstart aufrufen",
                          BS_AUTOCHECKBOX | tab, 180, 300, 3555, 315}),
      In(kSettingsGroup, {kCascadingCheck, WC_BUTTONW, "&Textbaustein-Menü kaskadierend darstellen",
                          BS_AUTOCHECKBOX | tab, 180, 675, 3735, 315}),
      // An abbreviation typed "Mfg" or "MFG" brings its snippet so.
      In(kSettingsGroup, {kCapitalsCheck, WC_BUTTONW, "Großschreibung der Kürzel über&nehmen",
                          BS_AUTOCHECKBOX | tab, 180, 1050, 3735, 315}),
      // The send log is the user's own, kept outside the data file; the titles only with it.
      In(kSettingsGroup, {kSendLogCheck, WC_BUTTONW, "&Versandprotokoll führen",
                          BS_AUTOCHECKBOX | tab, 180, 1425, 3735, 315}),
      In(kSettingsGroup, {kSendLogTitlesCheck, WC_BUTTONW, "Fenstertitel ins Protokoll aufnehmen",
                          BS_AUTOCHECKBOX | tab, 420, 1800, 3495, 315}),
      In(kStorageGroup, {kDataFilePath, WC_EDITW, "",
                         ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | tab, 180, 480, 3675, 315}),
      In(kStorageGroup,
         {CommandId(QuilletCommand::kOptChooseFolder), WC_BUTTONW,
          "Speicherort selbst festlegen ...", BS_PUSHBUTTON | tab, 180, 1020, 2475, 375}),
      In(kStorageGroup, {CommandId(QuilletCommand::kOptDefault), WC_BUTTONW, "&Standard",
                         BS_PUSHBUTTON | tab, 2760, 1020, 1095, 375}),
      In(kStorageGroup,
         {CommandId(QuilletCommand::kOptOpenFolder), WC_BUTTONW, "Betreffenden Ordner öffnen ...",
          BS_PUSHBUTTON | tab, 180, 1620, 2475, 375}),
      Panel(kActivationPanel),
      Panel(kTriggerPanel),
      // Wider than drawn in the form's design, where "Position:" lost its colon at 200 %;
      // nothing stands to its right.
      In(activation, {kPositionLabel, WC_STATICW, "Position:", SS_LEFT | WS_GROUP | kClip, 240,
                      1260, 960, 195}),
      // The edge bars: a group of their own, reached with Tab and moved in with the arrows;
      // their texts are not drawn but name them for screen readers and automation.
      In(activation, {kEdgeBase + 0, WC_BUTTONW, "Oben", bar | WS_GROUP, 840, 1680, 2355, 135}),
      In(activation, {kEdgeBase + 1, WC_BUTTONW, "Unten", bar, 840, 3540, 2355, 135}),
      In(activation, {kEdgeBase + 2, WC_BUTTONW, "Links", bar, 720, 1800, 135, 1755}),
      In(activation, {kEdgeBase + 3, WC_BUTTONW, "Rechts", bar, 3180, 1800, 135, 1755}),
      In(activation,
         {kScreenPicture, WC_STATICW, "", SS_OWNERDRAW | WS_GROUP | kClip, kScreenPictureIn.left,
          kScreenPictureIn.top, kScreenPictureIn.right, kScreenPictureIn.bottom}),
      In(activation, {CommandId(QuilletCommand::kOptColour), WC_BUTTONW, "&Farbauswahl",
                      BS_PUSHBUTTON | tab, 660, 4200, 2295, 375}),
      In(activation,
         {kColourSample, WC_STATICW, "", SS_OWNERDRAW | WS_GROUP | kClip, 3000, 4200, 375, 375}),
      // The keyboard: the accelerators avoid the letters taken above (P T S F O M K I U).
      // "Tastenkombination", not "Tastenkürzel", which reads like the abbreviations' "Kürzel";
      // the label on a line of its own above its field.
      In(kKeyboardGroup,
         {kPickerHotkeyCheck, WC_BUTTONW, "&Auswahl per Tastenkombination öffnen",
          BS_AUTOCHECKBOX | tab, 180, 300, 3900, 315}),
      In(kKeyboardGroup, {kPickerHotkeyLabel, WC_STATICW, "Tastenkombination &der Auswahl:",
                          SS_LEFT | WS_GROUP | kClip, 180, 690, 3900, 240}),
      In(kKeyboardGroup, {kPickerHotkey, HOTKEY_CLASSW, "", WS_BORDER | tab, 180, 945, 2400, 315}),
      In(kKeyboardGroup, {kPickerTextCheck, WC_BUTTONW, "Auswahl durchsucht auch den Te&xt",
                          BS_AUTOCHECKBOX | tab, 180, 1440, 3900, 315}),
      // The abbreviations on the right: the switch, then where they stay off.
      In(kKeyboardGroup, {kAbbreviationsCheck, WC_BUTTONW, "Kürzel beim Tippen &ersetzen",
                          BS_AUTOCHECKBOX | tab, 4560, 300, 3495, 315}),
      In(kKeyboardGroup, {kKeepOutLabel, WC_STATICW, "Kürzel aus in:",
                          SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip, 4560, 720, 3495, 240}),
      In(kKeyboardGroup, {kKeepOutList, WC_LISTBOXW, "",
                          LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER |
                              tab,
                          4560, 1005, 2040, 915}),
      In(kKeyboardGroup, {kKeepOutAdd, WC_BUTTONW, "Hinzufügen...", BS_PUSHBUTTON | tab, 6690,
                          1005, 1365, 375}),
      In(kKeyboardGroup, {kKeepOutRemove, WC_BUTTONW, "Entfernen", BS_PUSHBUTTON | tab, 6690,
                          1470, 1365, 375}),
      // The delivery, in a column of its own so that the dialog grows wider, not taller: at
      // 200 % a taller one would not fit a small screen. The hint comes before the label, so
      // that the label's access key reaches the rules.
      In(kDeliveryGroup, {kPasteFromLabel, WC_STATICW, "Einfü&gen ab", SS_LEFT | WS_GROUP | kClip,
                          180, 360, 1140, 240}),
      In(kDeliveryGroup, {kPasteFrom, WC_EDITW, "", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | tab,
                          1380, 315, 900, 315}),
      In(kDeliveryGroup, {kPasteFromUnit, WC_STATICW, "Zeichen (0 = nie)",
                          SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip, 2340, 360, 1620, 240}),
      In(kDeliveryGroup, {kRulesHint, WC_STATICW,
                          "je Zeile Programm oder Fensterklasse;Zustellung, zum Beispiel "
                          "putty.exe;Tasten",
                          SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip, 180, 1020, 3780, 480}),
      In(kDeliveryGroup,
         {kRulesLabel, WC_STATICW, "&Regeln:", SS_LEFT | WS_GROUP | kClip, 180, 780, 3780, 240}),
      In(kDeliveryGroup, {kRules, WC_EDITW, "",
                          ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                              WS_VSCROLL | WS_HSCROLL | WS_BORDER | tab,
                          180, 1560, 3780, 2490}),
      // What a rule may give, listed under the rules; the built-in ones behind a button.
      In(kDeliveryGroup, {kBuiltInRules, WC_STATICW, "", SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip,
                          180, 4140, 3780, 1200}),
      In(kDeliveryGroup, {kBuiltInRulesButton, WC_BUTTONW, "Einge&baute Regeln...",
                          BS_PUSHBUTTON | tab, 180, 5460, 2400, 375}),
      // Below the delivery's column, so that the keyboard's group can reach the bottom.
      {CommandId(QuilletCommand::kOptOk), WC_BUTTONW, "&OK", BS_DEFPUSHBUTTON | tab, 10425, 6510,
       2055, 375},
      In(activation, {kRedCircle, WC_STATICW, "", SS_OWNERDRAW | kClip, 3180, 495,
                      kRedCircleTwips.cx, kRedCircleTwips.cy}),
      GroupBox(kSettingsGroup, "Einstellungen", 4035, 2235),
      GroupBox(kStorageGroup, "Ablage der Textbausteine", 4035, 2355),
      GroupBox(kMenuActivationGroup, "Aktivierung des PopUp-Menüs", 4035, 4695),
      GroupBox(kKeyboardGroup, "Tastatur", 8175, 2040),
      GroupBox(kDeliveryGroup, "Zustellung", 4080, 6330),
  };
}

std::vector<ControlRow> OptionsPanelTable(int panel) {
  if (panel == kActivationPanel) {
    return {
        {kActivationBase + 0, WC_BUTTONW, "nur per Klick auf &Icon in der Taskleiste",
         BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 3495, 195},
        {kActivationBase + 1, WC_BUTTONW, "Icon &und", BS_AUTORADIOBUTTON, 0, 300, 1695, 195},
    };
  }
  return {
      {kTriggerBase + 0, WC_BUTTONW, "&Maus über Desktop-Rand",
       BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 2415, 195},
      {kTriggerBase + 1, WC_BUTTONW, "&Klick auf Bildschirmrand", BS_AUTORADIOBUTTON, 0, 300, 2055,
       195},
  };
}

}  // namespace qm
