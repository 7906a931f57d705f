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
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kOptionsFormClass[] = L"QuilletOptionsForm";
inline constexpr wchar_t kOptionsPanelClass[] = L"QuilletOptionsPanel";

// Control ids. The buttons have their QuilletCommand as their id, each option-button group its
// base + the button's index.
enum OptionsFormId : int {
  kOptFrame0 = 100,  // "Einstellungen"
  kOptFrame1 = 101,  // "Ablage der Textbausteine"
  kOptFrame2 = 102,  // "Aktivierung des PopUp-Menüs"
  kOptAutoStartChk = 110,
  kOptPumModeChk = 111,
  kOptPathTB = 112,
  kOptLayer = 113,   // panel of PumActOpt
  kOptLayer2 = 114,  // panel of PumActBorderByClickOpt
  kOptRedCircle = 115,
  kOptLabel1 = 116,
  kOptImage1 = 117,
  kOptColBtnSample = 118,
  kOptFrame3 = 103,  // "Tastatur"
  kOptPickerHotkeyChk = 119,
  kOptPickerHotkeyLabel = 120,
  kOptPickerHotkey = 121,
  kOptPickerTextChk = 122,
  kOptAbbreviationsChk = 123,
  kOptFrame4 = 104,  // "Zustellung"
  kOptPasteFromLabel = 124,
  kOptPasteFrom = 125,
  kOptPasteFromUnit = 126,
  kOptRulesHint = 127,
  kOptRulesLabel = 128,
  kOptRules = 129,
  kOptBuiltInRules = 160,
  kOptActivationBase = 130,  // PumActOpt 0, 1
  kOptTriggerBase = 140,     // PumActBorderByClickOpt 0, 1
  kOptEdgeBase = 150,        // PumActPosOpt 0..3: the edge bars
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
  void Draw(const DRAWITEMSTRUCT& item);
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
