// Quillet.exe's keyboard: the picker and its hotkey as the data file sets it, and the
// abbreviations typed in other programs' windows.
#include "quillet/app/program_win32.h"

#include <cstdint>

#include "platform/global_hotkey_win32.h"
#include "platform/windows_version.h"
#include "quillet/abbrev/abbrev_settings.h"
#include "quillet/abbrev/keep_out.h"
#include "quillet/send/targets.h"

namespace qm {

void QuilletProgram::ApplyHotkeySetting() {
  if (!hotkey_ || quitting_) return;
  hotkey_->FromSetting(ReadHotkeySetting(ini_->Snapshot(core_->data_file()).get()),
                       core_->caption());
}

void QuilletProgram::StartKeyboard() {
  trace_.Mark("first idle");
  if (!quitting_) {
    StartPicker();
    ApplyHotkeySetting();
    trace_.Mark("picker and hotkey");
    WarmUpPickerLater();
    StartAbbreviations();
    trace_.Mark("abbreviations");
  }
  trace_.Finish();
}

void QuilletProgram::StartPicker() {
  picker_.emplace(PickerServices{*ini_, *sender_, settings_, *clock_, *pause_}, instance_);
  if (picker_->Start(MakeCaption("Auswahl", IsWindowsNT(*system_)), form_.hwnd())) {
    picker_->window().on_hotkey = [this] {
      if (!quitting_) picker_->Open(core_->data_file(), core_->caption());
    };
    hotkey_os_ = MakeWin32GlobalHotkey(picker_->window().hwnd(), 1);
    hotkey_.emplace(*hotkey_os_, *dialogs_);
    options_->SetKeyboard(
        KeyboardServices{*ini_, settings_, *hotkey_, [this] { picker_->SearchTextChanged(); }});
  }
}

void QuilletProgram::WarmUpPickerLater() {
  if (picker_ && !quitting_) {
    picker_->window().on_warm_up = [this] {
      if (quitting_) return;
      // The names for included snippets first, then the picker's index from the latest look
      // at the file, which its first opening finds ready.
      sender_->ReadAhead();
      picker_->Prepare(core_->data_file());
      if (receipt_) receipt_->ReadAhead();
    };
    picker_->window().WarmUpLater(1500);
  }
}

void QuilletProgram::StartAbbreviations() {
  if (quitting_) return;
  expander_.emplace(ExpanderServices{
      *ini_, core_->data_file(), *sender_, *pace_,
      // Asked at each window switch: the ignore list by title, the keep-out list by program
      // and window class.
      [this](HWND w) {
        const auto window = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(w));
        if (core_->ignore_list().Ignores(WindowTitle(*desktop_, window))) return true;
        const std::vector<std::string> keep_out =
            ReadKeepOut(ini_->Snapshot(core_->data_file()).get());
        return !keep_out.empty() &&
               KeptOut(keep_out, processes_->ProgramFile(window), desktop_->ClassName(window));
      },
      [this] { sender_->SetAppTitle(core_->caption()); },
      // Wine composes a dead key's accent in the X server before any key reaches a program,
      // so reading a key's text there takes no accent from anyone, whatever Windows version
      // the prefix claims to be.
      CanLeaveDeadKeyState(system_->Version()) || RunsUnderWine(),
      // The picker's controls come when a shortcut begins, its hotkey's perhaps: made at its
      // first opening they would cost that opening the controls' library (20 ms under Wine),
      // made at start they would cost memory while nobody uses the picker.
      [this] {
        if (picker_ && !quitting_) picker_->window().EnsureControls();
      },
      [this] { return CapitalsCarryOver(settings_); }});
  if (expander_->Create(instance_)) {
    expander_->Refresh();
  } else {
    expander_.reset();
  }
}

}  // namespace qm
