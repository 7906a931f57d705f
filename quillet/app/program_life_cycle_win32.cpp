// Quillet.exe: showing, hiding and quitting, the timers, and the life cycle's hooks into the
// windows.
#include "quillet/app/program_win32.h"

#include <optional>
#include <string>
#include <utility>

#include "quillet/send/delivery_rules.h"
#include "ui/window_geometry.h"
#include "ui/window_layout_win32.h"

namespace qm {

namespace {

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

}  // namespace

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

void QuilletProgram::Quit() {
  if (quitting_) return;
  quitting_ = true;
  core_->Shutdown();
  if (expander_) expander_->Stop();  // the keyboard is let go first
  // Everything is stored: the focus leaving the editor as the window goes is nothing to act on.
  form_.DetachModel();
  DestroyWindow(form_.hwnd());
}

void QuilletProgram::RetryLater() {
  if (std::exchange(retry_timer_, true)) return;
  SetTimer(form_.hwnd(), kRetryTimer, kRetryEveryMs, nullptr);
}

void QuilletProgram::OnTimer(UINT_PTR id) {
  if (id == kFirstIdleTimer) {
    KillTimer(form_.hwnd(), kFirstIdleTimer);
    StartKeyboard();
    return;
  }
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
  h.welcome = [this] {
    form_.tray().Notify(0, "Quillet ist bereit",
                        "Linksklick auf dieses Symbol: die Textbausteine. Rechtsklick: das "
                        "Hauptfenster. Strg+Alt+Leertaste öffnet die Auswahl. Die Beispiele "
                        "haben Kürzel zum Ausprobieren: „mfg“ oder „#adr“ und ein Leerzeichen.",
                        false);
  };
  h.place_edge_strip = [this] { PlaceStrip(); };
  h.show_path = [this](const std::string& path) { options_->ShowPath(path); };
  h.settings_loaded = [this](const PopupSettings& p) {
    options_->LoadSettings(p);
    ApplyHotkeySetting();
    TellBadRules();
  };
  h.show_monitor = [this] { ShowMonitor(); };
  h.step_done = [this](const char* step) { trace_.Mark(step); };
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

}  // namespace qm
