// Mantello's hidden main window: the tray icon's owner, the tray menu, the progress caption.
#include "mantello/mantello_form_win32.h"

#include <optional>

#include "mantello/encoder.h"
#include "mantello/hints.h"
#include "mantello/start_info_dialog_win32.h"
#include "mantello/tray_menu.h"
#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/paths.h"
#include "platform/pause_win32.h"
#include "platform/registry_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "ui/about_dialog_win32.h"
#include "ui/autostart.h"
#include "ui/controls_context_win32.h"
#include "ui/dialogs_win32.h"
#include "ui/help.h"
#include "ui/message_pump_win32.h"
#include "ui/program_shell_win32.h"
#include "ui/resource_ids.h"
#include "ui/startup_trace_win32.h"
#include "ui/tray_icon_win32.h"
#include "ui/version_text.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

constexpr int kFormWidthTwips = 3000;

// Everything the program holds while it runs; one per process.
class Mantello final : public ProgressWindow, public WindowFrame {
 public:
  explicit Mantello(HINSTANCE instance) : instance_(instance) {}

  int Run();

  // ProgressWindow: the hidden window shows itself as a bare title bar while encoding.
  void Show() override { ShowWindow(hwnd(), SW_SHOWNOACTIVATE); }
  void Hide() override { ShowWindow(hwnd(), SW_HIDE); }
  void SetCaption(const std::string& caption) override {
    SetWindowTextW(hwnd(), Utf8ToWide(caption).c_str());
  }
  void SetTopmost(bool on) override {
    desktop_->SetTopmost(reinterpret_cast<WindowHandle>(hwnd()), on);
  }
  void PumpEvents() override;

 private:
  bool OnClose() override;
  void OnEndSession(bool close_app) override;
  void OnDestroy() override {
    tray_.RemoveAll();  // the icons do not outlive their window
    PostQuitMessage(0);
  }
  void OnTrayIcon(unsigned id, TrayEvent event) override;
  void OnTimer(UINT_PTR id) override {
    if (id != kFirstIdleTimer) return;
    KillTimer(hwnd(), kFirstIdleTimer);
    trace_.Mark("first idle");
    trace_.Finish();
  }
  void OnTaskbarCreated() override { tray_.AddAgain(); }
  bool CreateForm();
  void ShowHint(const std::string& text, const std::string& id, const std::string& image);
  MantelloCommand OpenMenu(const std::vector<TrayMenuItem>& items, ScreenPoint at);
  void Encode();
  void Quit();

  // The timer whose message comes when the program first waits for input.
  static constexpr UINT_PTR kFirstIdleTimer = 1;

  HINSTANCE instance_;
  StartupTrace trace_;  // made first: the process's start is its first step
  ProgramIcons icons_;
  TrayIcons tray_;
  bool tray_ready_ = false;  // the menu and the encoder are there
  bool quitting_ = false;
  bool quit_pending_ = false;  // "Beenden" chosen while an encoding ran

  std::unique_ptr<FileSystem> fs_ = MakeOsFileSystem();
  std::unique_ptr<SettingsStore> settings_store_ = MakeOsSettingsStore();
  std::unique_ptr<SystemInfo> system_ = MakeOsSystemInfo();
  std::unique_ptr<Registry> registry_ = MakeWin32Registry();
  std::unique_ptr<Desktop> desktop_ = MakeWin32Desktop();
  std::unique_ptr<Shell> shell_ = MakeWin32Shell();
  std::unique_ptr<Sound> sound_ = MakeWin32Sound();
  std::unique_ptr<Clipboard> clipboard_;
  std::unique_ptr<Dialogs> dialogs_;
  UserSettings settings_{*settings_store_, kProgramTitleMantello};
  std::optional<AutostartSwitch> autostart_;
  std::optional<Encoder> encoder_;
  std::optional<TrayMenu> menu_;
  std::string app_dir_;
};

void Mantello::PumpEvents() {
  // A WM_QUIT stays posted for the main loop to see.
  RunPendingMessages(DispatchWaitingMessage);
}

bool Mantello::OnClose() {
  // The user's close only hides the window, and cancels a running encoding.
  Hide();
  if (encoder_) encoder_->OnProgressWindowClosedByUser();
  return true;
}

void Mantello::OnEndSession(bool close_app) {
  if (close_app) {
    // Not the end of the session: an installer or the restart manager needs our files, and
    // WM_CLOSE only hides this window, so this is how another program asks us to end.
    Quit();
  } else {
    tray_.RemoveAll();
  }
}

void Mantello::OnTrayIcon(unsigned, TrayEvent event) {
  if (!tray_ready_) return;
  if (event == TrayEvent::kLeftDown) Encode();
  if (event == TrayEvent::kRightDown) menu_->Show();
}

bool Mantello::CreateForm() {
  // Width 3000 twips and no client area: shown, it is a bare title bar with the progress.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT r{0, 0, MulDiv(kFormWidthTwips, dpi, 1440), 0};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOOLWINDOW);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 3;
  return CreatePlainWindow(instance_, FrameClass{kMantelloWindowClass, icons_.large, icons_.small},
                           "Mantello",
                           FramePlacement{WS_EX_TOOLWINDOW, style, x, y, width, height});
}

void Mantello::ShowHint(const std::string& text, const std::string& id, const std::string& image) {
  if (quit_pending_) return;
  const StartHintContext ctx{instance_,
                             hwnd(),
                             icons_.large,
                             settings_,
                             *fs_,
                             app_dir_,
                             AppVersionString(VersionText::kFull)};
  ShowStartHint(ctx, text, id, image);
}

MantelloCommand Mantello::OpenMenu(const std::vector<TrayMenuItem>& items, ScreenPoint at) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return MantelloCommand::kNone;
  for (const TrayMenuItem& item : items) {
    if (item.command == MantelloCommand::kNone) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED),
                  static_cast<UINT_PTR>(CommandId(item.command)), Utf8ToWide(item.caption).c_str());
    }
  }
  // A tray menu closes when the user clicks elsewhere only if its window is in front.
  SetForegroundWindow(hwnd());
  // Where the menu would not fit below the pointer (a taskbar at the bottom), the system
  // opens it upwards by itself.
  const auto chosen = static_cast<MantelloCommand>(
      TrackPopupMenu(menu, TPM_CENTERALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x,
                     at.y, 0, hwnd(), nullptr));
  PostMessageW(hwnd(), WM_NULL, 0, 0);
  DestroyMenu(menu);
  return chosen;  // kNone when closed without a choice
}

void Mantello::Encode() {
  encoder_->EncodeClipboard();
  if (quit_pending_ && !encoder_->busy()) Quit();
}

void Mantello::Quit() {
  if (quitting_) return;
  if (encoder_ && encoder_->busy()) {
    // The encoder still works on this window: it stops at its next step, then we end.
    quit_pending_ = true;
    encoder_->OnProgressWindowClosedByUser();
    return;
  }
  quitting_ = true;
  tray_.RemoveAll();
  DestroyWindow(hwnd());
}

int Mantello::Run() {
  trace_.Mark("process");
  // Visual styles on Windows; under Wine the classic controls, which cost nothing to load.
  std::optional<ControlsContext> controls;
  if (!RunsUnderWine()) {
    controls.emplace(Utf8ToWide(system_->ExecutablePath()), QM_IDR_COMMON_CONTROLS);
  }
  ProgramShell shell(L"Local\\Ferrandel.Mantello.Instance");
  // One instance per user session.
  if (shell.already_running()) {
    MessageBoxW(
        nullptr,
        Utf8ToWide(std::string(kProgramTitleMantello) + " wird bereits ausgeführt.").c_str(),
        Utf8ToWide(kProgramTitleMantello).c_str(), MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    return 1;
  }
  trace_.Mark("single instance");
  icons_ = ProgramShell::LoadIcons(instance_, QM_IDI_PROGRAM);

  if (!CreateForm()) return 2;
  trace_.Mark("window");
  app_dir_ = AppDir(*system_);
  clipboard_ = MakeWin32Clipboard(hwnd());
  dialogs_ = MakeWin32Dialogs(nullptr);

  autostart_.emplace(*registry_, *fs_, *dialogs_, kProgramTitleMantello,
                     AppExePath(*system_) + " /AUTOSTART");
  autostart_->Init();

  encoder_.emplace(EncoderServices{*clipboard_, *sound_, *dialogs_, *this, app_dir_,
                                   [this](const std::string& text, const std::string& id,
                                          const std::string& image) { ShowHint(text, id, image); },
                                   nullptr});

  TrayMenuActions actions;
  actions.encode = [this] { Encode(); };
  actions.help = [this] {
    ShowHelp(HelpServices{*fs_, *shell_, *dialogs_, app_dir_, kProgramTitleMantello}, "", false);
  };
  actions.info = [this] {
    ShowAboutDialog(instance_, nullptr, ProgramInfo{kProgramTitleMantello, kMantelloDescription},
                    AboutKind::kFreeware, *shell_, *system_);
  };
  actions.set_autostart = [this](bool on) { autostart_->Apply(on); };
  actions.autostart_on = [this] { return autostart_->state(); };
  actions.quit = [this] { Quit(); };
  actions.open_menu = [this](const std::vector<TrayMenuItem>& items, ScreenPoint at) {
    return OpenMenu(items, at);
  };
  actions.cursor = [] {
    POINT p{};
    GetCursorPos(&p);
    return ScreenPoint{p.x, p.y};
  };
  menu_.emplace(std::move(actions));

  trace_.Mark("services");
  tray_ready_ = true;
  tray_.SetWindow(hwnd());
  tray_.Add(0, icons_.small, kMantelloTip);

  trace_.Mark("tray icon");
  // The first moment the program waits for input, its start hint on screen: a timer's message
  // comes only then, in the hint's own loop.
  if (trace_.on()) SetTimer(hwnd(), kFirstIdleTimer, USER_TIMER_MINIMUM, nullptr);
  ShowHint(kStartHintText, "1", "SID1.jpg");

  ProgramShell::RunMessageLoop();
  tray_.RemoveAll();
  return 0;
}

}  // namespace

int RunMantello(HINSTANCE instance) {
  Mantello app(instance);
  return app.Run();
}

}  // namespace qm
