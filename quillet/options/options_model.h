// Quillet's Options dialog without its window: what each control does to the settings in
// memory, which controls show, the colour choice, the data-folder buttons and "&OK".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "quillet/commands.h"
#include "quillet/pick/hotkey.h"
#include "quillet/core/life_cycle.h"
#include "ui/autostart.h"

namespace qm {

// Which of the activation controls the dialog shows and offers.
struct BorderControls {
  bool edge_controls_visible = false;  // the four edge bars, "&Farbauswahl", the colour sample
  bool red_circle_visible = true;
  bool trigger_enabled = false;        // both "&Maus über..." and "&Klick auf..." buttons
};

// The dialog's controls, read and written by the model.
class OptionsView {
 public:
  virtual ~OptionsView() = default;
  virtual void SetPathText(const std::string& path) = 0;  // the data file's path
  // The menu opens by the icon only (0) or by the screen's edge too (1).
  virtual void SelectActivation(int index) = 0;
  // The edge opens it when the mouse moves over it (0) or when it is clicked (1).
  virtual void SelectTrigger(int index) = 0;
  virtual void SelectEdge(int index) = 0;  // top, bottom, left, right
  virtual void SetCascading(bool on) = 0;  // the menu cascades
  virtual void SetAutostart(bool on) = 0;  // the program starts with Windows
  // The edge bars and the colour sample take the colour (a data-file colour value).
  virtual void SetSampleColour(std::int32_t colour) = 0;
  virtual void ApplyBorderControls(const BorderControls& state) = 0;
  virtual void Hide() = 0;
  // The keyboard's controls: the picker's hotkey (its check box off for none), whether the
  // picker searches the texts, whether abbreviations are replaced and carry their capitals.
  virtual void SetPickerHotkey(const Hotkey&) {}
  virtual void SetPickerSearchesText(bool) {}
  virtual void SetAbbreviations(bool) {}
  virtual void SetCapitals(bool) {}
  // Where abbreviations stay off: the programs and window classes the data file lists.
  virtual void SetKeepOut(const std::vector<std::string>&) {}
  // The send log's boxes: whether it is kept, and whether it names window titles, a box
  // greyed while there is no log.
  virtual void SetSendLog(bool, bool) {}
  // The delivery's controls: the paste threshold, the user's rules one per line, and the
  // line naming the built-in rules after them.
  virtual void SetDelivery(const std::string& paste_from, const std::string& rules,
                           const std::string& built_in) = 0;
  virtual std::string PasteFromText() = 0;
  virtual std::string RulesText() = 0;
  virtual void FocusPasteFrom() = 0;
  // The focus in the rules with `line` (from 1) selected.
  virtual void FocusRuleLine(int line) = 0;
};

// What the keyboard's controls need beyond the other options.
struct KeyboardServices {
  IniStore& ini;  // reads the data file's hotkey and abbreviation switch
  UserSettings& settings;  // the picker's text option and the capitals are the user's own
  HotkeyRegistration& hotkeys;
  std::function<void()> search_text_changed;  // may be empty
};

// Shown where a hotkey is chosen that could not open the picker.
// Shown where the paste threshold is no number.
inline constexpr const char* kUnfitPasteFromText =
    "Bitte geben Sie bei „Einfügen ab“ eine Zahl von 0 bis 999999999 "
    "ein; 0 fügt nie ein.";

// The question of "Hinzufügen..." beside the list where abbreviations stay off.
inline constexpr const char* kKeepOutPrompt =
    "Programmdatei (z. B. spiel.exe) oder Fensterklasse:";

inline constexpr const char* kUnfitHotkeyText =
    "Dieses Tastenkürzel kann die Auswahl nicht öffnen. Möglich sind Buchstaben, Ziffern und "
    "die Leertaste mit Strg, Alt oder Win sowie F1 bis F24, auch allein; ein Buchstabe ohne "
    "Strg, Alt oder Win fehlte sonst beim Tippen in jedem Programm.";

struct OptionsServices {
  QuilletCore& core;  // the settings in memory, the data file, saving and the strip's place
  Dialogs& dialogs;
  Shell& shell;
  AutostartSwitch& autostart;
  // Colours the strip itself (a data-file colour value); may be empty in a test.
  std::function<void(std::int32_t colour)> colour_strip;
};

class OptionsModel {
 public:
  OptionsModel(const OptionsServices& services, OptionsView& view);

  // Once, when the dialog is made: the autostart switch reads the system's state.
  void InitAutostart();
  // The controls show the settings just loaded, as at start-up and after every reload.
  void LoadSettings(const PopupSettings& settings);
  void ShowPath(const std::string& path) { view_.SetPathText(path); }

  // The user's clicks. An option button that is already selected is no new choice.
  void OnActivationOption(int index);
  void OnTriggerOption(int index);
  void OnEdgeOption(int index);
  void OnCascading(bool on);
  void OnAutostart(bool on);
  // The keyboard's controls, which take effect and are stored at once. `control_value` is
  // the hotkey control's (HotkeyControlValue); ticking the box with none there takes the
  // default.
  // They may come after the first load, and show the settings at once.
  void SetKeyboard(const KeyboardServices& keyboard);
  void OnPickerHotkeySwitch(bool on, unsigned control_value);
  // A key pressed in the hotkey control: modifiers alone are a hotkey still being typed.
  void OnPickerHotkeyKeys(unsigned control_value);
  void OnSearchesText(bool on);
  void OnAbbreviations(bool on);
  void OnCapitals(bool on);
  // The list where abbreviations stays off, written at once: a name asked for is added
  // where it is new; the name in the list's row `index` (from 0) is taken out.
  void OnKeepOutAdd();
  void OnKeepOutRemove(int index);
  // The send log's boxes, the user's own and at once.
  void OnSendLog(bool on);
  void OnSendLogTitles(bool on);
  void OnButton(QuilletCommand button);
  // Close box, system menu, Escape: the window goes, the choices stay in memory unsaved.
  void OnClose() { view_.Hide(); }

  // The controls of the menu's activation for `via_border`: 0, the icon only; otherwise the
  // strip's controls show too.
  void ShowActivationControls(int via_border);
  // The strip, the edge bars and the sample take the colour at once.
  void SetEdgeStripColour(std::int32_t colour);

 private:
  void ChooseStripColour();
  void ChoosePickerHotkey(const Hotkey& hotkey);
  // The delivery's controls into the file, as "&OK" stores the rest; false, with the user
  // told and nothing written, where one of them cannot be stored.
  bool StoreDelivery();
  void ShowKeyboard();
  void ShowSendLog();
  // Plans the list anew from the file as it is under the lock: `change` edits it, and
  // returns whether it changed.
  void UpdateKeepOut(const std::function<bool(std::vector<std::string>&)>& change);

  OptionsServices s_;
  OptionsView& view_;
  // The colour dialog opens with the colour chosen last since the program started.
  std::uint32_t last_chosen_colour_ = 0;
  std::optional<KeyboardServices> keyboard_;
  std::vector<std::string> keep_out_;  // as the list shows it
};

}  // namespace qm
