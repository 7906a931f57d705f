// Quillet.exe: the services made and wired to the main window, the notification-area icon,
// the life cycle and the other windows, and the message loop.
#include "quillet/app/quillet_program_win32.h"

#include <memory>
#include <optional>
#include <utility>

#include "quillet/app/owner_dialogs_win32.h"
#include "quillet/app/program_win32.h"
#include "quillet/library/espanso_reader_win32.h"
#include "quillet/send/choice_dialog_win32.h"
#include "platform/portable_code_pages.h"
#include "platform/utf16_win32.h"
#include "platform/windows_version.h"
#include "ui/file_dialogs_win32.h"
#include "ui/program_shell_win32.h"
#include "ui/resource_ids.h"

namespace qm {

int QuilletProgram::Run(const std::wstring& command_line) {
  // One program per user session: two would show two icons and overwrite each other's
  // edits. A second start brings the first one's main window forward and ends; one started
  // to take over (as administrator, from the first) has the first one end instead.
  trace_.Mark("process");
  ProgramShell shell(L"Local\\Ferrandel.Quillet.Instance");
  const UINT show_message = RegisterWindowMessageW(kShowMainWindowMessage);
  if (shell.already_running()) {
    if (!TakeOverDataFile(WideToUtf8(command_line))) {
      ProgramShell::HandOverToFirst(kMainFormClass, show_message);
      return 0;
    }
    if (!shell.TakeOverFromFirst(kMainFormClass, kTakeOverWaitMs)) {
      MessageBoxW(nullptr,
                  Utf8ToWide("Das laufende Quillet hat sich nicht innerhalb von 5 Sekunden "
                             "beendet. Quillet wird daher nicht als Administrator gestartet; "
                             "das laufende Quillet bleibt, wie es ist.")
                      .c_str(),
                  Utf8ToWide(kQuilletTitle).c_str(), MB_OK | MB_ICONEXCLAMATION);
      return 0;
    }
  }
  trace_.Mark("single instance");
  const ProgramIcons icons = ProgramShell::LoadIcons(instance_, QM_IDI_PROGRAM);
  small_icon_ = icons.small;
  // The program starts in the notification area: the main window's controls, the editor and
  // their libraries wait until the window is first shown.
  if (!form_.Create(icons.large, icons.small, MainForm::ControlCreation::kWhenNeeded)) return 2;
  // Running as administrator, a second start without those rights can still bring it forward,
  // and a restarted taskbar still asks for the icon again.
  ProgramShell::LetLowerRightsSend(form_.hwnd(), show_message);
  ProgramShell::LetLowerRightsSend(form_.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"));
  // The strip's caption starts like every window's of the program, so it is never a target.
  strip_.Create(instance_, MakeCaption("Satellit", IsWindowsNT(*system_)));
  strip_.on_mouse_move = [this] { OnStripMouseMove(core_->popup_settings(), Activation()); };
  strip_.on_button_down = [this](int button) {
    OnStripMouseDown(core_->popup_settings(), button, Activation());
  };
  strip_.on_display_change = [this] {
    if (core_) PlaceStrip();
  };

  trace_.Mark("windows");
  clipboard_ = MakeWin32Clipboard(form_.hwnd());
  dialogs_ = std::make_unique<OwnerDialogs>(form_.hwnd());
  ini_.emplace(*fs_, *ansi_);
  // The store tells each data file's encoding itself; the rest (the cipher's codes, files
  // inserted into snippets) works in single-byte codes, also where the system's are UTF-8.
  const CodePage& single_byte = SingleByteCodePage(*ansi_);
  entries_.emplace(*ini_, single_byte);
  core_.emplace(CoreServices{{*ini_, *entries_, *fs_, single_byte, *dialogs_, *clipboard_},
                             *settings_store_,
                             *system_,
                             pause_.get()},
                form_, Hooks());

  CreateOptions();
  file_dialogs_ = MakeWin32FileDialogs(form_.hwnd());
  transfer_windows_.emplace(form_.hwnd(), *clipboard_, [this](const std::string& context) {
    return MakeCaption(context, core_->windows_nt());
  });
  import_ini_.emplace(*import_fs_, *import_ansi_);
  import_entries_.emplace(*import_ini_, SingleByteCodePage(*import_ansi_));
  transfer_.emplace(
      TransferServices{*entries_, *fs_, *dialogs_, *file_dialogs_, *transfer_windows_,
                       ReadEspansoThroughLibrary, import_fs_.get(), &*import_entries_},
      core_->data_file());
  // The lists follow the imported entries before the report shows.
  transfer_->SetLibraryChanged([this] { core_->ReloadIfChangedOutside(); });
  transfer_->SetSelectImported(
      [this](int number, const std::string& name) { core_->main().SelectEntry(number, name); });
  transfer_->SetEnsureStorable([this](const std::vector<std::string>& values) {
    return core_->main().EnsureStorable(values);
  });

  chooser_ = MakeWin32TargetChooser(form_.hwnd());
  sender_.emplace(SenderServices{*entries_, *fs_, single_byte, *clock_, *desktop_, *keyboard_,
                                 *layouts_, *clipboard_, *dialogs_, *processes_, *pace_, *chooser_},
                  core_->data_file());
  field_asker_ = MakeWin32FieldAsker(instance_, settings_, *pause_, [this](const std::string& name) {
    return MakeCaption(name, core_->windows_nt());
  });
  sender_->SetFieldAsker(field_asker_.get());
  sender_->SetRtfLinkFields(!RunsUnderWine());
  StartReceipt();
  // While a long text is typed, the icon's tooltip tells how far it has got.
  sender_->SetProgress([this](std::size_t typed, std::size_t total, bool done) {
    if (total < 200) return;
    form_.tray().SetTip(0, done ? std::string(kQuilletTitle)
                                : std::string(kQuilletTitle) + ": " + std::to_string(typed) +
                                      " von " + std::to_string(total) + " Zeichen");
  });

  trace_.Mark("services");

  MainFormCommands commands;
  commands.command = [this](QuilletCommand command) { OnCommand(command); };
  // Without an icon (debug mode) a hidden window could not be reached again: there the
  // close box ends the program.
  commands.close_box = [this] { core_->debug_mode() ? Quit() : HideMain(); };
  commands.close_request = [this] { Quit(); };
  commands.destroyed = [] { PostQuitMessage(0); };
  commands.show_requested = [this] { ShowMain(); };
  commands.activated = [this] { core_->ReloadIfChangedOutside(); };
  // Windows ends the process after this; everything is stored and the icon is gone.
  commands.end_session = [this] { Quit(); };
  commands.monitor_gesture = [this] { ShowMonitor(); };
  commands.tray_icon = [this](TrayEvent event) {
    if (event == TrayEvent::kLeftDown) {
      menu_from_icon_ = true;
      OnActivationClick(1);
      menu_from_icon_ = false;
    }
    if (event == TrayEvent::kRightDown) OnActivationClick(2);
  };
  commands.timer = [this](UINT_PTR id) { OnTimer(id); };
  form_.Attach(&core_->main(), std::move(commands));

  // Where a target runs with higher rights, the program offers to start again with them.
  restart_ = MakeWin32ProgramRestart(form_.hwnd(), TakeOverCommandLine);
  sender_->SetRestart(restart_.get());
  core_->Startup(WideToUtf8(command_line));
  // The keyboard's part (the picker's window and hotkey, the hooks that watch for
  // abbreviations) follows once the program first waits for input: a timer's message comes
  // only then. A key typed before that goes to its window untouched.
  SetTimer(form_.hwnd(), kFirstIdleTimer, USER_TIMER_MINIMUM, nullptr);
  if (core_->debug_mode()) {
    ShowWindow(form_.hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(form_.hwnd());
  }

  ProgramShell::RunMessageLoop();
  if (!quitting_) core_->Shutdown();
  return 0;
}

int RunQuillet(HINSTANCE instance, const std::wstring& command_line) {
  QuilletProgram program(instance);
  return program.Run(command_line);
}

}  // namespace qm
