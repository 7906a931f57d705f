// Quillet.exe: services, the main window, the notification-area icon and the life cycle.
#include "quillet/app/quillet_program_win32.h"

#include <memory>
#include <optional>
#include <utility>

#include "quillet/abbrev/key_translation.h"
#include "quillet/abbrev/expander_win32.h"
#include "quillet/library/espanso_reader_win32.h"
#include "quillet/library/library_transfer.h"
#include "quillet/main/main_form_win32.h"
#include "quillet/options/options_form_win32.h"
#include "quillet/options/options_model.h"
#include "quillet/pick/hotkey.h"
#include "quillet/pick/picker_session_win32.h"
#include "quillet/core/life_cycle.h"
#include "quillet/library/transfer_windows_win32.h"
#include "ui/about_dialog_win32.h"
#include "ui/autostart.h"
#include "ui/dialogs_win32.h"
#include "ui/file_dialogs_win32.h"
#include "ui/help.h"
#include "ui/window_geometry.h"
#include "ui/window_layout_win32.h"
#include "quillet/options/delivery_settings.h"
#include "quillet/diag/debugger.h"
#include "quillet/diag/debugger_window_win32.h"
#include "quillet/diag/window_monitor.h"
#include "quillet/diag/window_monitor_win32.h"
#include "quillet/menu/activation.h"
#include "quillet/menu/edge_strip.h"
#include "quillet/menu/edge_strip_window_win32.h"
#include "quillet/menu/popup_menu_win32.h"
#include "platform/file_system_win32.h"
#include "platform/clock_win32.h"
#include "platform/global_hotkey_win32.h"
#include "platform/keyboard_win32.h"
#include "platform/pause_win32.h"
#include "platform/registry_win32.h"
#include "quillet/send/choice_dialog_win32.h"
#include "quillet/send/sender.h"
#include "quillet/send/targets.h"
#include "platform/os.h"
#include "platform/paths.h"
#include "platform/portable_code_pages.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "platform/windows_version.h"
#include "ui/program_shell_win32.h"
#include "ui/resource_ids.h"

namespace qm {
namespace {

constexpr const char* kQuilletDescription = "Quillet - Textbausteine per Mausklick";
// While something waits for the data file, it is tried again this often.
constexpr UINT kRetryTimer = 2;
// Outside the NT family the window used last is looked up this often.
constexpr UINT kPollTimer = 1;
constexpr UINT kPollEveryMs = 1000;
// Bad delivery rules are told from the message loop, once the start or reload is over and
// no snippet is being typed.
constexpr UINT kBadRulesTimer = 3;
constexpr UINT kBadRulesEveryMs = 200;
constexpr UINT kRetryEveryMs = 3000;

// Message boxes belong to the main window while it is shown, and come to the front on
// their own while the program sits in the notification area.
class OwnerDialogs : public Dialogs {
 public:
  explicit OwnerDialogs(HWND main)
      : main_(main), owned_(MakeWin32Dialogs(main)), free_(MakeWin32Dialogs(nullptr)) {}
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    return Pick().ShowMessage(ToCrLf(text), title, icon, buttons);
  }
  std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
    return Pick().AskText(ToCrLf(prompt), title, initial);
  }
  std::optional<std::string> ChooseFolder(const std::string& prompt) override {
    return Pick().ChooseFolder(prompt);
  }
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override {
    return Pick().ChooseColour(initial);
  }
  // While the Options dialog is shown, what it asks belongs to it.
  void SetOptionsWindow(HWND options) {
    options_ = options;
    for_options_ = MakeWin32Dialogs(options);
  }

 private:
  Dialogs& Pick() {
    if (options_ && IsWindowVisible(options_)) return *for_options_;
    return IsWindowVisible(main_) && !IsIconic(main_) ? *owned_ : *free_;
  }
  HWND main_;
  HWND options_ = nullptr;
  std::unique_ptr<Dialogs> owned_, free_, for_options_;
};

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
  // Abbreviations typed in other programs' windows.
  void StartAbbreviations();

  HINSTANCE instance_;
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
  std::unique_ptr<TypingPace> pace_ = MakeWin32TypingPace();
  std::unique_ptr<Pause> pause_ = MakeWin32Pause();
  std::unique_ptr<TargetChooser> chooser_;
  std::optional<Sender> sender_;
  std::optional<AbbreviationExpander> expander_;
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

void QuilletProgram::ShowMain() {
  core_->ReloadIfChangedOutside();
  HWND w = form_.hwnd();
  ShowWindow(w, IsIconic(w) ? SW_RESTORE : SW_SHOWNORMAL);
  SetForegroundWindow(w);
}

void QuilletProgram::HideMain() {
  // Whatever the user typed is stored before the window goes.
  core_->main().StorePendingEditsThen([this] { ShowWindow(form_.hwnd(), SW_HIDE); });
}

ActivationHooks QuilletProgram::Activation() {
  ActivationHooks h;
  h.windows_nt = core_->windows_nt();
  h.send_under_way = [this] { return sender_ && sender_->busy(); };
  h.store_pending_edits = [this] { core_->main().StorePendingEdits(); };
  h.find_last_used_window = [this] { return LastUsedWindowPass(); };
  h.set_last_used_window = [this](WindowHandle w) { last_used_window_ = w; };
  h.bring_main_window_to_front = [this] { SetForegroundWindow(form_.hwnd()); };
  h.show_popup_menu = [this] { ShowPopupMenu(); };
  h.main_window_visible = [this] { return IsWindowVisible(form_.hwnd()) != FALSE; };
  h.hide_main_window = [this] { HideMain(); };
  h.show_main_window_normal = [this] { ShowMain(); };
  return h;
}

void QuilletProgram::OnActivationClick(int button) {
  qm::OnActivationClick(button, Activation());
}

void QuilletProgram::ShowPopupMenu() {
  // A second click while the menu is open does not open another one inside it.
  if (menu_open_) return;
  menu_open_ = true;
  PopupMenu menu = BuildPopupMenu(*ini_, core_->data_file(), core_->popup_settings().mode != 0);
  if (menu_from_icon_ && expander_ && expander_->on()) {
    AddAbbreviationPause(menu, expander_->paused());
  }
  POINT at{};
  GetCursorPos(&at);
  const std::optional<std::string> tag = TrackSnippetMenu(form_.hwnd(), menu, at);
  menu_open_ = false;
  if (!tag) return;
  const MenuAction action = ActionFor(menu, *tag);
  switch (action.command) {
    case MenuCommand::kShowMainWindow:
      ShowMain();
      break;
    case MenuCommand::kQuit:
      Quit();
      break;
    case MenuCommand::kSendEntry:
      sender_->SetAppTitle(core_->caption());
      sender_->SetLastUsedWindow(last_used_window_);
      sender_->SendEntry(action.entry, action.entry_name);
      break;
    case MenuCommand::kPauseAbbreviations:
      expander_->Pause();
      break;
    case MenuCommand::kResumeAbbreviations:
      expander_->Resume();
      break;
    case MenuCommand::kNothing:
      break;
  }
}

void QuilletProgram::PlaceStrip() {
  const SIZE screen = PrimaryScreenSize();
  const PopupSettings& settings = core_->popup_settings();
  strip_.SetColour(PlainColour(
      settings.colour, [](int index) { return static_cast<std::uint32_t>(GetSysColor(index)); }));
  const EdgeStripPlacement p = PlaceEdgeStrip(settings, screen.cx, screen.cy);
  strip_.Place(p.visible, RECT{p.rect.left, p.rect.top, p.rect.left + p.rect.width,
                               p.rect.top + p.rect.height});
}

void QuilletProgram::Quit() {
  if (quitting_) return;
  quitting_ = true;
  core_->Shutdown();
  if (expander_) expander_->Stop();  // the keyboard is let go first
  // Everything is stored: the focus leaving the editor as the window goes is nothing to act on.
  form_.DetachModel();
  DestroyWindow(form_.hwnd());
}

void QuilletProgram::ShowHelpPage() {
  ShowHelp(HelpServices{*fs_, *shell_, *dialogs_, AppDir(*system_), core_->caption()}, "", false);
}

void QuilletProgram::ShowAbout() {
  ShowAboutDialog(instance_, form_.hwnd(), ProgramInfo{kQuilletTitle, kQuilletDescription},
                  AboutKind::kFreeware, *shell_, *system_);
}

void QuilletProgram::Transfer(QuilletCommand command) {
  MainModel& main = core_->main();
  // What the user has typed goes into the file first: it is exported, or replaced by an
  // import as the user chooses, but never lost under the reload that follows an import.
  main.StorePendingEdits();
  transfer_->SetAppTitle(core_->caption());
  if (command == QuilletCommand::kMenuImport) {
    transfer_->Import();
  } else if (command == QuilletCommand::kMenuExport) {
    transfer_->Export();
  } else if (main.CurrentEntryNumber() > 0) {
    transfer_->Export(EntryKey{main.CurrentEntryNumber(), main.CurrentName(), std::nullopt});
  }
}

void QuilletProgram::CreateOptions() {
  // Made when first shown: a program in the notification area seldom needs it.
  options_form_.on_created = [this](HWND options) {
    static_cast<OwnerDialogs&>(*dialogs_).SetOptionsWindow(options);
  };
  options_form_.Create(instance_, form_.hwnd(), MakeCaption("Optionen", IsWindowsNT(*system_)),
                       /*when_shown=*/true);
  autostart_.emplace(*registry_, *fs_, *dialogs_, kQuilletTitle,
                     AppExePath(*system_) + " /AUTOSTART");
  options_.emplace(OptionsServices{*core_, *dialogs_, *shell_, *autostart_,
                                   [this](std::int32_t colour) {
                                     strip_.SetColour(PlainColour(colour, [](int index) {
                                       return static_cast<std::uint32_t>(GetSysColor(index));
                                     }));
                                   }},
                   options_form_);
  options_form_.Attach(&*options_);
  options_->InitAutostart();
}

void QuilletProgram::OnCommand(QuilletCommand command) {
  // An import runs with the window's messages going on: nothing else starts meanwhile.
  if (transfer_ && transfer_->Busy()) return;
  MainModel& main = core_->main();
  switch (command) {
    case QuilletCommand::kDeleteEntry:
    case QuilletCommand::kMenuDeleteEntry:
      main.DeleteEntry();
      break;
    case QuilletCommand::kRenameEntry:
    case QuilletCommand::kMenuRenameEntry:
      main.RenameEntry();
      break;
    case QuilletCommand::kNewEntry:
    case QuilletCommand::kMenuNewEntry:
      main.NewEntry();
      break;
    case QuilletCommand::kHideMain:
    case QuilletCommand::kMenuHide:
      HideMain();
      break;
    case QuilletCommand::kMenuQuit:
      Quit();
      break;
    case QuilletCommand::kMenuImport:
    case QuilletCommand::kMenuExport:
    case QuilletCommand::kMenuExportEntry:
      Transfer(command);
      break;
    case QuilletCommand::kOptions:
      options_form_.Show();
      break;
    case QuilletCommand::kMenuOptions:
      options_form_.ShowModal();
      break;
    case QuilletCommand::kDebugger:
    case QuilletCommand::kMenuDebugger:
      ShowDebugger();
      break;
    case QuilletCommand::kHelp:
    case QuilletCommand::kMenuHelp:
      ShowHelpPage();
      break;
    case QuilletCommand::kAbout:
    case QuilletCommand::kMenuAbout:
      ShowAbout();
      break;
    default:  // the edit commands go to the model, the other windows' to their own
      break;
  }
}

WindowHandle QuilletProgram::LastUsedWindowPass() {
  const WindowHandle found = FindLastUsedWindow(*desktop_, core_->ignore_list(), core_->caption(),
                                                &usable_titles_, &usable_windows_);
  // Only for an open debugger: asking every window's program would slow down each click.
  if (debugger_.hwnd()) debugger_.SetRows(DebuggerRows());
  return found;
}

std::vector<DebuggerRow> QuilletProgram::DebuggerRows() {
  const DeliveryRules rules = ReadDeliveryRules(ini_->Snapshot(core_->data_file()).get());
  std::vector<DebuggerRow> rows;
  for (std::size_t i = 0; i < usable_titles_.size() && i < usable_windows_.size(); ++i) {
    const WindowHandle w = usable_windows_[i];
    rows.push_back({usable_titles_[i],
                    DeliveryNote(rules, processes_->ProgramFile(w), desktop_->ClassName(w))});
  }
  return rows;
}

void QuilletProgram::ShowDebugger() {
  // Set once: the debugger may be asked to show itself again while its question waits inside
  // the handler, which must not be replaced under its own feet.
  if (!debugger_.on_ignore) {
    debugger_.on_ignore = [this](const std::optional<std::string>& marked) {
      // The questions belong to the debugger, so that its buttons wait for the answer.
      OwnerDialogs dialogs(debugger_.hwnd());
      IgnoreMarkedTitle(dialogs, core_->caption(), marked,
                        [this](const std::string& title) { return core_->AddIgnoredTitle(title); });
    };
    debugger_.on_edit_data_file = [this] { EditDataFile(*shell_, core_->data_file()); };
  }
  debugger_.Show(instance_, form_.hwnd(), MakeCaption("Debugger", core_->windows_nt()),
                 DebuggerRows());
}

void QuilletProgram::ShowMonitor() {
  const WindowTitleReader title = [this](WindowHandle w) { return WindowTitle(*desktop_, w); };
  monitor_.lines = [this, title](bool visible_only) {
    return MonitorLines(*desktop_, *clock_, title, reinterpret_cast<std::uintptr_t>(form_.hwnd()),
                        visible_only);
  };
  monitor_.caption = [this, title](HWND monitor) {
    return TitleInFront(*desktop_, title, core_->caption(),
                        reinterpret_cast<std::uintptr_t>(monitor));
  };
  monitor_.Show(instance_, form_.hwnd());
}

void QuilletProgram::RetryLater() {
  if (std::exchange(retry_timer_, true)) return;
  SetTimer(form_.hwnd(), kRetryTimer, kRetryEveryMs, nullptr);
}

void QuilletProgram::OnTimer(UINT_PTR id) {
  if (id == kPollTimer) {
    const WindowHandle found = LastUsedWindowPass();
    if (found) last_used_window_ = found;
    return;
  }
  if (id == kBadRulesTimer) {
    if (quitting_ || (sender_ && sender_->busy()) || menu_open_) return;
    KillTimer(form_.hwnd(), kBadRulesTimer);
    if (const std::optional<std::string> text = std::exchange(bad_rules_text_, std::nullopt)) {
      dialogs_->ShowMessage(*text, core_->caption(), MessageIcon::kExclamation,
                            MessageButtons::kOk);
    }
    return;
  }
  if (id != kRetryTimer || quitting_) return;
  // Nothing is reloaded or reported while a snippet is being typed; the next tick retries.
  if (sender_ && sender_->busy()) return;
  if (core_->RetryPending(IsWindowVisible(form_.hwnd()) != FALSE)) return;
  KillTimer(form_.hwnd(), kRetryTimer);
  retry_timer_ = false;
}

void QuilletProgram::ApplyHotkeySetting() {
  if (!hotkey_ || quitting_) return;
  hotkey_->FromSetting(ReadHotkeySetting(ini_->Snapshot(core_->data_file()).get()),
                       core_->caption());
}

void QuilletProgram::TellBadRules() {
  if (quitting_) return;
  const DeliveryRules rules = ReadDeliveryRules(ini_->Snapshot(core_->data_file()).get());
  // Mended before it was told: nothing to tell any more.
  if (rules.problems.empty()) bad_rules_text_.reset();
  if (std::optional<std::string> text = bad_rules_.Check(rules.problems)) {
    bad_rules_text_ = std::move(text);
    SetTimer(form_.hwnd(), kBadRulesTimer, kBadRulesEveryMs, nullptr);
  }
}

void QuilletProgram::StartAbbreviations() {
  if (quitting_) return;
  expander_.emplace(ExpanderServices{
      *ini_, core_->data_file(), *sender_, *pace_,
      [this](HWND w) {
        return core_->ignore_list().Ignores(
            WindowTitle(*desktop_, static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(w))));
      },
      [this] { sender_->SetAppTitle(core_->caption()); },
      // Wine composes a dead key's accent in the X server before any key reaches a program,
      // so reading a key's text there takes no accent from anyone, whatever Windows version
      // the prefix claims to be.
      CanLeaveDeadKeyState(system_->Version()) || RunsUnderWine()});
  if (expander_->Create(instance_)) {
    expander_->Refresh();
  } else {
    expander_.reset();
  }
}

LifecycleHooks QuilletProgram::Hooks() {
  LifecycleHooks h;
  h.set_captions = [this](const std::string& caption) { form_.SetCaption(caption); };
  h.init_layout = [this] { form_.InitLayout(); };
  h.restore_geometry = [this] {
    const MainForm::TwipsRect designed = form_.OuterTwips();
    const SIZE screen = PrimaryScreenSize();
    const int dpi = WindowDpi(form_.hwnd());
    const Rect r = RestoreWindowGeometry(
        settings_, Rect{designed.left, designed.top, designed.width, designed.height},
        screen.cx * 1440.0 / dpi, screen.cy * 1440.0 / dpi);
    form_.SetOuterTwips({r.left, r.top, r.width, r.height});
  };
  h.save_geometry = [this] {
    const MainForm::TwipsRect r = form_.OuterTwips();
    SaveWindowGeometry(settings_, Rect{r.left, r.top, r.width, r.height});
  };
  h.install_tray_and_hide = [this] {
    form_.tray().Add(0, small_icon_, kQuilletTitle);
    ShowWindow(form_.hwnd(), SW_HIDE);
  };
  h.place_edge_strip = [this] { PlaceStrip(); };
  h.show_path = [this](const std::string& path) { options_->ShowPath(path); };
  h.settings_loaded = [this](const PopupSettings& p) {
    options_->LoadSettings(p);
    ApplyHotkeySetting();
    TellBadRules();
  };
  h.show_monitor = [this] { ShowMonitor(); };
  h.retry_later = [this] { RetryLater(); };
  h.start_poll_timer = [this] { SetTimer(form_.hwnd(), kPollTimer, kPollEveryMs, nullptr); };
  h.unload_other_windows = [this] {
    if (hotkey_) hotkey_->Off();
    if (picker_) picker_->window().Destroy();
    debugger_.Destroy();
    options_form_.Destroy();
    strip_.Place(false, RECT{});
    monitor_.Destroy();
  };
  h.remove_tray = [this] { form_.tray().RemoveAll(); };
  return h;
}

int QuilletProgram::Run(const std::wstring& command_line) {
  // One program per user session: two would show two icons and overwrite each other's
  // edits. A second start brings the first one's main window forward and ends.
  ProgramShell shell(L"Local\\Ferrandel.Quillet.Instance");
  if (shell.already_running()) {
    ProgramShell::HandOverToFirst(kMainFormClass, RegisterWindowMessageW(kShowMainWindowMessage));
    return 0;
  }
  const ProgramIcons icons = ProgramShell::LoadIcons(instance_, QM_IDI_PROGRAM);
  small_icon_ = icons.small;
  // The program starts in the notification area: the editor and its library wait until
  // the window is first shown.
  if (!form_.Create(icons.large, icons.small, MainForm::EditorCreation::kWhenNeeded)) return 2;
  // The strip's caption starts like every window's of the program, so it is never a target.
  strip_.Create(instance_, MakeCaption("Satellit", IsWindowsNT(*system_)));
  strip_.on_mouse_move = [this] { OnStripMouseMove(core_->popup_settings(), Activation()); };
  strip_.on_button_down = [this](int button) {
    OnStripMouseDown(core_->popup_settings(), button, Activation());
  };
  strip_.on_display_change = [this] {
    if (core_) PlaceStrip();
  };

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
  transfer_->SetEnsureStorable([this](const std::vector<std::string>& values) {
    return core_->main().EnsureStorable(values);
  });

  chooser_ = MakeWin32TargetChooser(form_.hwnd());
  sender_.emplace(SenderServices{*entries_, *fs_, single_byte, *clock_, *desktop_, *keyboard_,
                                 *layouts_, *clipboard_, *dialogs_, *processes_, *pace_, *chooser_},
                  core_->data_file());
  // While a long text is typed, the icon's tooltip tells how far it has got.
  sender_->SetProgress([this](std::size_t typed, std::size_t total, bool done) {
    if (total < 200) return;
    form_.tray().SetTip(0, done ? std::string(kQuilletTitle)
                                : std::string(kQuilletTitle) + ": " + std::to_string(typed) +
                                      " von " + std::to_string(total) + " Zeichen");
  });

  picker_.emplace(PickerServices{*ini_, *sender_, settings_, *clock_, *pause_}, instance_);
  if (picker_->Start(MakeCaption("Auswahl", IsWindowsNT(*system_)))) {
    picker_->window().on_hotkey = [this] {
      if (!quitting_) picker_->Open(core_->data_file(), core_->caption());
    };
    hotkey_os_ = MakeWin32GlobalHotkey(picker_->window().hwnd(), 1);
    hotkey_.emplace(*hotkey_os_, *dialogs_);
    options_->SetKeyboard(
        KeyboardServices{*ini_, settings_, *hotkey_, [this] { picker_->SearchTextChanged(); }});
  }

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

  core_->Startup(WideToUtf8(command_line));
  if (picker_ && !quitting_) {
    picker_->window().on_warm_up = [this] {
      if (!quitting_) picker_->Prepare(core_->data_file());
    };
    picker_->window().WarmUpLater(1500);
  }
  StartAbbreviations();
  if (core_->debug_mode()) {
    ShowWindow(form_.hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(form_.hwnd());
  }

  ProgramShell::RunMessageLoop();
  if (!quitting_) core_->Shutdown();
  return 0;
}

}  // namespace

int RunQuillet(HINSTANCE instance, const std::wstring& command_line) {
  QuilletProgram program(instance);
  return program.Run(command_line);
}

}  // namespace qm
