// Quillet's Options dialog without its window: what each control does to the settings in
// memory, which controls show, the colour choice, the data-folder buttons and "&OK".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "quillet/commands.h"
#include "quillet/quillet_core.h"
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
  virtual void SetPathText(const std::string& path) = 0;  // PathTB
  virtual void SelectActivation(int index) = 0;           // PumActOpt
  virtual void SelectTrigger(int index) = 0;              // PumActBorderByClickOpt
  virtual void SelectEdge(int index) = 0;                 // PumActPosOpt
  virtual void SetCascading(bool on) = 0;                 // PUMModeChk
  virtual void SetAutostart(bool on) = 0;                 // AutoStartChk
  // The edge bars and the colour sample take the colour (a data-file colour value).
  virtual void SetSampleColour(std::int32_t colour) = 0;
  virtual void ApplyBorderControls(const BorderControls& state) = 0;
  virtual void Hide() = 0;
};

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
  void OnButton(QuilletCommand button);
  // Close box, system menu, Escape: the window goes, the choices stay in memory unsaved.
  void OnClose() { view_.Hide(); }

  // 0: icon only; otherwise the strip's controls show too.
  void ShowHidePumActBorderStuff(int v);
  // The strip, the edge bars and the sample take the colour at once.
  void SetEdgeStripColour(std::int32_t colour);

 private:
  void ChooseStripColour();

  OptionsServices s_;
  OptionsView& view_;
  // The colour dialog opens with the colour chosen last since the program started.
  std::uint32_t last_chosen_colour_ = 0;
};

}  // namespace qm
