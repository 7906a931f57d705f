// Quillet's Options dialog: where the library lives, how the snippet menu opens, whether it
// cascades, whether the program starts with Windows, the keyboard's ways in, and how snippets
// reach their windows. Real Win32 controls, laid out in
// twips at the monitor's DPI, driven by OptionsModel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillet/options/options_model.h"
#include "quillet/options/options_panel_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kOptionsFormClass[] = L"QuilletOptionsForm";

// Control ids. The buttons have their QuilletCommand as their id, each option-button group its
// base + the button's index.
enum OptionsFormId : int {
  kSettingsGroup = 100,        // "Einstellungen"
  kStorageGroup = 101,         // "Ablage der Textbausteine"
  kMenuActivationGroup = 102,  // "Aktivierung des PopUp-Menüs"
  kKeyboardGroup = 103,        // "Tastatur"
  kDeliveryGroup = 104,        // "Zustellung"
  kAutostartCheck = 110,
  kCascadingCheck = 111,
  kDataFilePath = 112,
  kActivationPanel = 113,  // the activation's option buttons (OptionsPanel)
  kTriggerPanel = 114,     // the edge's trigger option buttons (OptionsPanel)
  kRedCircle = 115,
  kPositionLabel = 116,
  kScreenPicture = 117,
  kColourSample = 118,
  kPickerHotkeyCheck = 119,
  kPickerHotkeyLabel = 120,
  kPickerHotkey = 121,
  kPickerTextCheck = 122,
  kAbbreviationsCheck = 123,
  kCapitalsCheck = 161,
  kPasteFromLabel = 124,
  kPasteFrom = 125,
  kPasteFromUnit = 126,
  kRulesHint = 127,
  kRulesLabel = 128,
  kRules = 129,
  kBuiltInRules = 160,  // the deliveries a rule may give
  kBuiltInRulesButton = 168,  // "Eingebaute Regeln..."
  kKeepOutLabel = 162,  // "Kürzel aus in:"
  kKeepOutList = 163,
  kKeepOutAdd = 164,     // "Hinzufügen..."
  kKeepOutRemove = 165,  // "Entfernen"
  kSendLogCheck = 166,
  kSendLogTitlesCheck = 167,
  kActivationBase = 130,  // icon only, icon and screen edge
  kTriggerBase = 140,     // the mouse over the edge, a click on it
  kEdgeBase = 150,        // the edge bars: top, bottom, left, right
};

class OptionsForm final : public OptionsView, public WindowFrame {
 public:
  OptionsForm();
  ~OptionsForm() override;
  OptionsForm(const OptionsForm&) = delete;
  OptionsForm& operator=(const OptionsForm&) = delete;

  // Creates the dialog, hidden, owned by the main window. With `when_shown` it is made only
  // when first shown; what the model sets before then is kept and shown in it.
  bool Create(HINSTANCE instance, HWND main, const std::string& caption, bool when_shown = false);
  // Called with the dialog's window once it exists.
  std::function<void(HWND)> on_created;
  void Attach(OptionsModel* model) { model_ = model; }
  // Destroys the dialog, and gives up one still to be made.
  void Destroy();

  // Shown beside the main window, which stays usable.
  void Show();
  // Shown while the main window is disabled; returns when the dialog is hidden again (or
  // gone), with the main window enabled again.
  void ShowModal();

  // OptionsView.
  void SetPathText(const std::string& path) override;
  void SelectActivation(int index) override;
  void SelectTrigger(int index) override;
  void SelectEdge(int index) override;
  void SetCascading(bool on) override;
  void SetAutostart(bool on) override;
  void SetSampleColour(std::int32_t colour) override;
  void ApplyBorderControls(const BorderControls& state) override;
  void Hide() override;
  void SetPickerHotkey(const Hotkey& hotkey) override;
  void SetPickerSearchesText(bool on) override;
  void SetAbbreviations(bool on) override;
  void SetCapitals(bool on) override;
  void SetKeepOut(const std::vector<std::string>& list) override;
  void SetSendLog(bool on, bool titles) override;
  void SetDelivery(const std::string& paste_from, const std::string& rules,
                   const std::string& built_in) override;
  std::string PasteFromText() override;
  std::string RulesText() override;
  void FocusPasteFrom() override;
  void FocusRuleLine(int line) override;

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  void AfterLayout(bool created) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool OnClose() override;
  bool OnDpiChanged(const RECT& suggested) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool MakeWindow();
  int Px(int twips) const { return TwipsToPixels(twips, dpi()); }
  HWND Control(int id) const;
  // Checks the option button `index` of the `count` ones from `first_id` and clears the others.
  void CheckOneOf(int first_id, int count, int index);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  HWND main_ = nullptr;
  OptionsModel* model_ = nullptr;
};

}  // namespace qm
