// Quillet.exe's program, for the files of quillet/app/ alone: the services wired to the
// models and windows. Its construction and Run are in quillet_program_win32.cpp; the commands,
// the menu, the life cycle's hooks, the diagnostics and the keyboard in program_*_win32.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock_win32.h"
#include "platform/file_system_win32.h"
#include "platform/keyboard_win32.h"
#include "platform/os.h"
#include "platform/pause_win32.h"
#include "platform/registry_win32.h"
#include "platform/ui_services_win32.h"
#include "quillet/abbrev/expander_win32.h"
#include "quillet/abbrev/key_translation.h"
#include "quillet/core/life_cycle.h"
#include "quillet/diag/debugger.h"
#include "quillet/diag/debugger_window_win32.h"
#include "quillet/diag/window_monitor_win32.h"
#include "quillet/fill/field_form_win32.h"
#include "quillet/library/library_transfer.h"
#include "quillet/library/transfer_windows_win32.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/menu/activation.h"
#include "quillet/menu/edge_strip_window_win32.h"
#include "quillet/options/delivery_settings.h"
#include "quillet/options/options_form_win32.h"
#include "quillet/options/options_model.h"
#include "quillet/pick/hotkey.h"
#include "quillet/pick/picker_session_win32.h"
#include "quillet/receipt/receipt.h"
#include "quillet/receipt/send_log_window_win32.h"
#include "quillet/send/sender.h"
#include "ui/startup_trace_win32.h"
#include "ui/autostart.h"
#include "ui/message_pump_win32.h"

namespace qm {

class QuilletProgram {
 public:
  explicit QuilletProgram(HINSTANCE instance) : instance_(instance), form_(instance) {}
  int Run(const std::wstring& command_line);

 private:
  void ShowMain();
  void HideMain();
  ActivationHooks Activation();
  void OnActivationClick(int button);
  void ShowPopupMenu();
  void PlaceStrip();
  void Quit();
  void OnCommand(QuilletCommand command);
  void ShowHelpPage();
  void ShowAbout();
  // "Importieren...", "Exportieren..." and "Eintrag exportieren...".
  void Transfer(QuilletCommand command);
  void CreateOptions();
  LifecycleHooks Hooks();
  // Diagnostics: one look for the last-used window, whose usable titles the debugger shows;
  // the debugger and the window monitor.
  WindowHandle LastUsedWindowPass();
  // The debugger's rows for the windows of the last look, with the way each would get a
  // snippet by the rules as the file has them now.
  std::vector<DebuggerRow> DebuggerRows();
  void ShowDebugger();
  void ShowMonitor();
  void RetryLater();
  void OnTimer(UINT_PTR id);
  // The hotkey as the data file sets it, at start and after each reload.
  void ApplyHotkeySetting();
  // Bad delivery rules of the file, told once each time they change.
  void TellBadRules();
  // Once the program first waits for input: the picker, its hotkey and the abbreviations.
  void StartKeyboard();
  // Abbreviations typed in other programs' windows.
  void StartAbbreviations();
  // The picker and the hotkey that opens it; its index made ready a while after the start.
  void StartPicker();
  void WarmUpPickerLater();
  // The receipt of each entry's send, its log and its notification.
  void StartReceipt();
  // "Versandprotokoll...": the log's viewer.
  void ShowSendLog();

  // The main window's timer whose message comes when the program first waits for input, and
  // starts the keyboard's part.
  static constexpr UINT_PTR kFirstIdleTimer = 4;
  // How long a new instance started to take over waits for the one running to end.
  static constexpr DWORD kTakeOverWaitMs = 5000;

  HINSTANCE instance_;
  StartupTrace trace_;  // made first: the process's start is its first step
  MainForm form_;
  HICON small_icon_ = nullptr;
  bool quitting_ = false;
  bool menu_open_ = false;
  bool menu_from_icon_ = false;  // the strip's menu has no abbreviation pause
  bool retry_timer_ = false;
  // The window the user worked in before turning to the program: the target of a snippet
  // without a target title.
  WindowHandle last_used_window_ = 0;
  EdgeStripWindow strip_;
  DebuggerWindow debugger_;
  SendLogWindow send_log_;
  WindowMonitor monitor_;
  std::vector<std::string> usable_titles_;    // of the last look for the last-used window
  std::vector<WindowHandle> usable_windows_;  // theirs
  BadRulesNotice bad_rules_;
  std::optional<std::string> bad_rules_text_;  // still to be told

  std::unique_ptr<FileSystem> fs_ = MakeOsFileSystem();
  std::unique_ptr<CodePage> ansi_ = MakeOsAnsiCodePage();
  std::unique_ptr<SettingsStore> settings_store_ = MakeOsSettingsStore();
  std::unique_ptr<SystemInfo> system_ = MakeOsSystemInfo();
  std::unique_ptr<Shell> shell_ = MakeWin32Shell();
  std::unique_ptr<Desktop> desktop_ = MakeWin32Desktop();
  std::unique_ptr<Clipboard> clipboard_;
  std::unique_ptr<Dialogs> dialogs_;
  std::optional<IniStore> ini_;
  std::optional<EntryStore> entries_;
  std::optional<QuilletCore> core_;
  // Import and export, with the file dialogs and the question and report windows.
  std::unique_ptr<FileDialogs> file_dialogs_;
  std::optional<Win32TransferWindows> transfer_windows_;
  std::optional<LibraryTransfer> transfer_;
  // The import's own, for its thread: the program's keep state that threads must not share.
  std::unique_ptr<FileSystem> import_fs_ = MakeOsFileSystem();
  std::unique_ptr<CodePage> import_ansi_ = MakeOsAnsiCodePage();
  std::optional<IniStore> import_ini_;
  std::optional<EntryStore> import_entries_;
  std::unique_ptr<Clock> clock_ = MakeWin32Clock();
  std::unique_ptr<Keyboard> keyboard_ = MakeWin32Keyboard();
  std::unique_ptr<KeyboardLayouts> layouts_ =
      MakeWin32KeyboardLayouts(CanLeaveDeadKeyState(system_->Version()) || RunsUnderWine());
  std::unique_ptr<WindowProcesses> processes_ = MakeWin32WindowProcesses();
  // Their waits run the program's messages as its message loop does.
  std::unique_ptr<TypingPace> pace_ = MakeWin32TypingPace(DispatchWaitingMessage);
  std::unique_ptr<Pause> pause_ = MakeWin32Pause(DispatchWaitingMessage);
  std::unique_ptr<TargetChooser> chooser_;
  std::unique_ptr<FieldAsker> field_asker_;  // asks a snippet's fields before it is sent
  std::optional<Sender> sender_;
  std::unique_ptr<ProgramRestart> restart_;  // as administrator, offered by the sender
  std::optional<AbbreviationExpander> expander_;
  std::unique_ptr<ControlReader> control_reader_;
  std::optional<Receipt> receipt_;
  UserSettings settings_{*settings_store_, kQuilletTitle};
  // The picker and the hotkey that opens it, which its window receives.
  std::optional<PickerSession> picker_;
  std::unique_ptr<GlobalHotkey> hotkey_os_;
  std::optional<HotkeyRegistration> hotkey_;

  // The Options dialog, once first shown, lives hidden until shutdown.
  std::unique_ptr<Registry> registry_ = MakeWin32Registry();
  std::optional<AutostartSwitch> autostart_;
  OptionsForm options_form_;
  std::optional<OptionsModel> options_;
};

}  // namespace qm
