// Quillet's Options dialog without its window.
#include "quillet/options/options_model.h"

#include <algorithm>

#include "quillet/options/delivery_settings.h"
#include "quillet/pick/use_record.h"
#include "quillet/abbrev/abbrev_settings.h"
#include "quillet/abbrev/keep_out.h"
#include "quillet/receipt/receipt_settings.h"
#include "store/abbreviations.h"

namespace qm {

OptionsModel::OptionsModel(const OptionsServices& services, OptionsView& view)
    : s_(services), view_(view) {}

void OptionsModel::InitAutostart() {
  view_.SetAutostart(s_.autostart.Init());
}

void OptionsModel::LoadSettings(const PopupSettings& p) {
  view_.SelectTrigger(p.by_click);
  view_.SelectActivation(p.via_border);
  // Every load, not only a changed one: the controls follow the file that is now loaded.
  ShowActivationControls(p.via_border);
  view_.SelectEdge(p.pos);
  SetEdgeStripColour(p.colour);
  view_.SetCascading(p.mode != 0);
  {
    const std::shared_ptr<const IniDocument> doc = s_.core.Snapshot();
    view_.SetDelivery(std::to_string(PasteFrom(doc.get())), qm::RulesText(doc.get()),
                      AllowedDeliveriesText());
  }
  ShowKeyboard();
}

void OptionsModel::SetKeyboard(const KeyboardServices& keyboard) {
  keyboard_.emplace(keyboard);
  ShowKeyboard();
}

void OptionsModel::ShowKeyboard() {
  if (!keyboard_) return;
  const std::shared_ptr<const IniDocument> doc = keyboard_->ini.Snapshot(s_.core.data_file());
  view_.SetPickerHotkey(ReadHotkeySetting(doc.get()).hotkey);
  view_.SetAbbreviations(AbbreviationsOn(doc.get()));
  view_.SetPickerSearchesText(PickerSearchesText(keyboard_->settings));
  view_.SetCapitals(CapitalsCarryOver(keyboard_->settings));
  keep_out_ = ReadKeepOut(doc.get());
  view_.SetKeepOut(keep_out_);
  ShowSendLog();
}

void OptionsModel::ShowSendLog() {
  view_.SetSendLog(SendLogOn(keyboard_->settings), SendLogTitles(keyboard_->settings));
}

void OptionsModel::OnActivationOption(int index) {
  PopupSettings& p = s_.core.popup_settings();
  if (index == p.via_border) return;
  p.via_border = index;
  ShowActivationControls(index);
}

void OptionsModel::OnTriggerOption(int index) {
  s_.core.popup_settings().by_click = index;
}

void OptionsModel::OnEdgeOption(int index) {
  s_.core.popup_settings().pos = index;
  view_.SelectEdge(index);
}

void OptionsModel::OnCascading(bool on) {
  // A value other than 0 and 1 from the file stays as it is while the box shows it ticked.
  int& mode = s_.core.popup_settings().mode;
  if (on != (mode != 0)) mode = on ? 1 : 0;
}

void OptionsModel::OnAutostart(bool on) {
  s_.autostart.Apply(on);
}

void OptionsModel::OnPickerHotkeySwitch(bool on, unsigned control_value) {
  if (!keyboard_) return;
  if (!on) return ChoosePickerHotkey({});
  if ((control_value & 0xFF) == 0) return ChoosePickerHotkey(DefaultHotkey());
  OnPickerHotkeyKeys(control_value);
}

void OptionsModel::OnPickerHotkeyKeys(unsigned control_value) {
  if (!keyboard_ || (control_value & 0xFF) == 0) return;
  const Hotkey hotkey = HotkeyFromControlValue(control_value);
  if (hotkey.none() || !ParseHotkey(FormatHotkey(hotkey))) {
    s_.dialogs.ShowMessage(kUnfitHotkeyText, s_.core.caption(), MessageIcon::kExclamation,
                           MessageButtons::kOk);
    view_.SetPickerHotkey(keyboard_->hotkeys.wanted());
    return;
  }
  ChoosePickerHotkey(hotkey);
}

void OptionsModel::ChoosePickerHotkey(const Hotkey& hotkey) {
  HotkeyRegistration& hotkeys = keyboard_->hotkeys;
  // Stored first: a hotkey that the file does not keep would be gone at the next start.
  if (hotkey != hotkeys.wanted() &&
      !s_.core.WriteSettingValues({{kHotkeySection, kHotkeyKey, FormatHotkey(hotkey)}})) {
    view_.SetPickerHotkey(hotkeys.wanted());
    return;
  }
  hotkeys.Choose(hotkey, s_.core.caption());
  view_.SetPickerHotkey(hotkey);
}

void OptionsModel::OnSearchesText(bool on) {
  if (!keyboard_) return;
  const Status s = SavePickerSearchesText(keyboard_->settings, on);
  if (!s) {
    s_.dialogs.ShowMessage(s.message, s_.core.caption(), MessageIcon::kExclamation,
                           MessageButtons::kOk);
  }
  if (keyboard_->search_text_changed) keyboard_->search_text_changed();
}

void OptionsModel::OnAbbreviations(bool on) {
  if (!keyboard_) return;
  if (!s_.core.WriteSettingValues({AbbreviationsSwitch(on)})) view_.SetAbbreviations(!on);
}

void OptionsModel::OnCapitals(bool on) {
  if (!keyboard_) return;
  if (const Status s = SaveCapitalsCarryOver(keyboard_->settings, on); !s) {
    view_.SetCapitals(!on);
    s_.dialogs.ShowMessage(s.message, s_.core.caption(), MessageIcon::kExclamation,
                           MessageButtons::kOk);
  }
}

void OptionsModel::OnKeepOutAdd() {
  if (!keyboard_) return;
  const std::optional<std::string> name = s_.dialogs.AskText(kKeepOutPrompt, s_.core.caption(), "");
  if (!name) return;
  UpdateKeepOut([&](std::vector<std::string>& list) { return AddKeepOut(list, *name); });
}

void OptionsModel::OnKeepOutRemove(int index) {
  if (!keyboard_ || index < 0 || static_cast<std::size_t>(index) >= keep_out_.size()) return;
  // By its name: the file may have changed since the list was shown.
  const std::string name = keep_out_[static_cast<std::size_t>(index)];
  UpdateKeepOut([&](std::vector<std::string>& list) {
    const auto at = std::find(list.begin(), list.end(), name);
    if (at == list.end()) return false;
    list.erase(at);
    return true;
  });
}

void OptionsModel::UpdateKeepOut(const std::function<bool(std::vector<std::string>&)>& change) {
  s_.core.UpdateSettingValues([&](const IniDocument& current, std::vector<IniWrite>& writes) {
    std::vector<std::string> list = ReadKeepOut(&current);
    if (change(list)) writes = WriteKeepOut(&current, list);
    return Status::Ok();
  });
  // What the file holds now, written or not.
  const std::shared_ptr<const IniDocument> doc = keyboard_->ini.Snapshot(s_.core.data_file());
  keep_out_ = ReadKeepOut(doc.get());
  view_.SetKeepOut(keep_out_);
}

void OptionsModel::OnSendLog(bool on) {
  if (!keyboard_) return;
  if (const Status s = SaveSendLogOn(keyboard_->settings, on); !s) {
    s_.dialogs.ShowMessage(s.message, s_.core.caption(), MessageIcon::kExclamation,
                           MessageButtons::kOk);
  }
  ShowSendLog();
}

void OptionsModel::OnSendLogTitles(bool on) {
  if (!keyboard_) return;
  if (const Status s = SaveSendLogTitles(keyboard_->settings, on); !s) {
    s_.dialogs.ShowMessage(s.message, s_.core.caption(), MessageIcon::kExclamation,
                           MessageButtons::kOk);
  }
  ShowSendLog();
}

void OptionsModel::OnButton(QuilletCommand button) {
  switch (button) {
    case QuilletCommand::kOptChooseFolder:
      s_.core.ResolveDataFile(DataFileMode::kChooseFolder);
      break;
    case QuilletCommand::kOptOk:
      if (!StoreDelivery()) break;
      view_.Hide();
      s_.core.SaveSettings();
      s_.core.PlaceEdgeStrip();
      break;
    case QuilletCommand::kOptDefault:
      s_.core.ResolveDataFile(DataFileMode::kDefault);
      break;
    case QuilletCommand::kOptOpenFolder:
      // The file manager opens the folder with the data file selected; whether it started
      // is nothing the user could act on here.
      s_.shell.Run(FileManagerCommand(s_.core.data_file()));
      break;
    case QuilletCommand::kOptColour:
      ChooseStripColour();
      break;
    default:
      break;
  }
}

bool OptionsModel::StoreDelivery() {
  const auto refuse = [&](const std::string& text) {
    s_.dialogs.ShowMessage(text, s_.core.caption(), MessageIcon::kExclamation, MessageButtons::kOk);
  };
  const std::optional<std::size_t> paste_from = ParsePasteFrom(view_.PasteFromText());
  if (!paste_from) {
    refuse(kUnfitPasteFromText);
    view_.FocusPasteFrom();
    return false;
  }
  std::vector<std::string> rules;
  if (const std::optional<RuleLineProblem> bad = ReadRulesText(view_.RulesText(), &rules)) {
    refuse("Die Regel in Zeile " + std::to_string(bad->line) + " „" + bad->text +
           "“ kann nicht gelten: " + bad->why + "\r\n\r\nDie Regeln wurden nicht gespeichert.");
    view_.FocusRuleLine(bad->line);
    return false;
  }
  return s_.core
      .UpdateSettingValues([&](const IniDocument& current, std::vector<IniWrite>& writes) {
        writes = RulesWrites(&current, rules);
        // Written only where it changes what the file gives: an unreadable value that reads
        // as the default stays the user's own.
        if (PasteFrom(&current) != *paste_from) writes.push_back(PasteFromWrite(*paste_from));
        return Status::Ok();
      })
      .ok();
}

void OptionsModel::ShowActivationControls(int via_border) {
  BorderControls state;
  state.edge_controls_visible = via_border != 0;
  state.red_circle_visible = via_border == 0;
  state.trigger_enabled = via_border != 0;
  view_.ApplyBorderControls(state);
}

void OptionsModel::SetEdgeStripColour(std::int32_t colour) {
  s_.core.popup_settings().colour = colour;
  view_.SetSampleColour(colour);
  if (s_.colour_strip) s_.colour_strip(colour);
}

void OptionsModel::ChooseStripColour() {
  const std::optional<std::uint32_t> chosen = s_.dialogs.ChooseColour(last_chosen_colour_);
  if (!chosen) return;
  last_chosen_colour_ = *chosen & 0x00FFFFFFu;
  SetEdgeStripColour(static_cast<std::int32_t>(last_chosen_colour_));
}

}  // namespace qm
