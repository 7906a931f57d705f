// Abbreviations typed in other programs' windows: the detector loaded from the data file, the
// keyboard hook that feeds it, and the system's side of the expansion that carries out what it
// answers.
#include "quillet/abbrev/expander_win32.h"

#include <utility>

#include <shellapi.h>

#include "platform/os.h"
#include "quillet/abbrev/hook_quiet.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"

namespace qm {
namespace {

constexpr UINT kCarryOutMessage = WM_APP + 1;
constexpr UINT kLoadedMessage = WM_APP + 2;
constexpr UINT kShortcutMessage = WM_APP + 3;
constexpr UINT kQuietMessage = WM_APP + 4;

bool IsShortcutKey(std::uint32_t vk) {
  switch (vk) {
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
      return true;
    default:
      return false;
  }
}
constexpr UINT_PTR kResumeTimer = 1;
constexpr const wchar_t* kExpanderClass = L"QuilletKuerzel";

// A full-screen program in front (a game, a presentation) asks not to be disturbed; asked at
// window switches only.
bool FullScreenQuiet() {
  QUERY_USER_NOTIFICATION_STATE state{};
  return SUCCEEDED(SHQueryUserNotificationState(&state)) && WantsQuiet(state);
}

WindowHandle HandleOf(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

HWND HwndOf(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

}  // namespace

AbbreviationExpander::AbbreviationExpander(ExpanderServices services)
    : s_(std::move(services)),
      hook_(*this, s_.ignored, s_.can_leave_dead_key_state),
      expansion_({detector_, names_, s_.sender, s_.pace, *this, s_.before_send,
                  s_.carry_capitals}) {}

AbbreviationExpander::~AbbreviationExpander() {
  if (loader_.joinable()) loader_.join();
  hook_.Uninstall();
  Destroy();
}

bool AbbreviationExpander::Create(HINSTANCE instance) {
  const FramePlacement placement{0, 0, 0, 0, 0, 0, HWND_MESSAGE};
  if (!CreatePlainWindow(instance, FrameClass{kExpanderClass}, "", placement)) return false;
  hook_.WatchWindows();
  quiet_ = FullScreenQuiet();
  return true;
}

void AbbreviationExpander::Stop() {
  stopped_ = true;
  hook_.Uninstall();
}

void AbbreviationExpander::Refresh() {
  if (stopped_) return;
  // Nothing is reloaded under a send or the keys held back for it: the detector's state
  // belongs to them.
  if (expansion_.Holding()) {
    refresh_waits_ = true;
    return;
  }
  refresh_waits_ = false;
  // The same snapshot while the file is unchanged; a file that cannot be read now keeps
  // what was loaded.
  std::shared_ptr<const IniDocument> doc = s_.ini.Snapshot(s_.data_file);
  if (doc && doc != loaded_) {
    loaded_ = doc;
    LoadInBackground();
  }
  Hook();
}

void AbbreviationExpander::Hook() {
  if (on_ && !paused_ && !quiet_ && detector_.Size() > 0) {
    if (hook_.installed()) return;
    // What was typed while the hook was away was not seen.
    if (hooked_before_) detector_.Unseen();
    hooked_before_ = hook_.Install() || hooked_before_;
  } else {
    hook_.Uninstall();
  }
}

void AbbreviationExpander::LoadInBackground() {
  if (loader_.joinable()) {
    load_again_ = true;  // the file changed again while it was read
    return;
  }
  // The file's lookup tables take a quarter of a second with 20,000 entries under Wine: a
  // thread of its own reads it with a store of its own, so that neither the keys nor the
  // windows wait, and no snapshot of the program's is read by two threads.
  loader_ = std::thread([this, file = s_.data_file] {
    auto fs = MakeOsFileSystem();
    auto ansi = MakeOsAnsiCodePage();
    IniStore ini(*fs, *ansi);
    auto loaded = std::make_unique<Loaded>();
    if (const std::shared_ptr<const IniDocument> doc = ini.Snapshot(file)) {
      loaded->read = true;
      loaded->on = AbbreviationsOn(doc.get());
      loaded->detector.Load(ReadAbbreviations(*doc));
      loaded->names = ReadNumberedList(*doc, "Name");
    }
    {
      std::lock_guard<std::mutex> lock(loaded_mutex_);
      result_ = std::move(loaded);
    }
    PostMessageW(hwnd(), kLoadedMessage, 0, 0);
  });
}

void AbbreviationExpander::TakeLoaded() {
  if (expansion_.Holding()) return;  // taken when the send is over
  std::unique_ptr<Loaded> loaded;
  {
    std::lock_guard<std::mutex> lock(loaded_mutex_);
    loaded = std::move(result_);
  }
  if (!loaded) return;
  if (loader_.joinable()) loader_.join();
  if (loaded->read) {
    on_ = loaded->on;
    detector_.TakeAbbreviations(std::move(loaded->detector));
    names_ = std::move(loaded->names);
  }
  if (std::exchange(load_again_, false)) LoadInBackground();
  if (!stopped_) Hook();
}

void AbbreviationExpander::Pause() {
  paused_ = true;
  // The one timer there is, and only while paused.
  SetTimer(hwnd(), kResumeTimer, kAbbreviationPauseMinutes * 60 * 1000, nullptr);
  Refresh();
}

void AbbreviationExpander::Resume() {
  paused_ = false;
  KillTimer(hwnd(), kResumeTimer);
  Refresh();
}

void AbbreviationExpander::OnTimer(UINT_PTR id) {
  if (id == kResumeTimer) Resume();
}

bool AbbreviationExpander::OnKey(const RawKey& raw, const std::optional<KeyInput>& input,
                                 HWND window) {
  if (!raw.up && !shortcut_told_ && s_.shortcut_begun && IsShortcutKey(raw.vk)) {
    shortcut_told_ = true;
    PostMessageW(hwnd(), kShortcutMessage, 0, 0);
  }
  return expansion_.OnKey(raw, input, HandleOf(window));
}

void AbbreviationExpander::OnReset(bool window_switched) {
  detector_.OnKey(KeyInput::Of(KeyInput::Kind::kReset));
  if (!window_switched) return;
  Refresh();
  // The hook is let go for the full-screen program's time, and comes back at the first
  // switch after it; the window events stay, and the picker's hotkey does not need the hook.
  // Asked once the switch has been told: the shell's answer may take longer than a key may
  // wait in the hook.
  PostMessageW(hwnd(), kQuietMessage, 0, 0);
}

std::optional<LRESULT> AbbreviationExpander::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message == kLoadedMessage) {
    TakeLoaded();
    return 0;
  }
  if (message == kQuietMessage) {
    if (const bool quiet = FullScreenQuiet(); quiet != quiet_) {
      quiet_ = quiet;
      Hook();
    }
    return 0;
  }
  if (message == kShortcutMessage) {
    if (s_.shortcut_begun) s_.shortcut_begun();
    return 0;
  }
  if (message != kCarryOutMessage) return std::nullopt;
  CarryOut();
  return 0;
}

void AbbreviationExpander::CarryOut() {
  if (!expansion_.CarryOut()) return;
  TakeLoaded();
  if (refresh_waits_) Refresh();
}

bool AbbreviationExpander::AskCarryOut() {
  return PostMessageW(hwnd(), kCarryOutMessage, 0, 0);
}

bool AbbreviationExpander::StillInFront(WindowHandle window) {
  if (hook_.StillInFront(HwndOf(window))) return true;
  hook_.AskFrontAgain();
  return false;
}

WindowHandle AbbreviationExpander::Foreground() {
  return HandleOf(GetForegroundWindow());
}

bool AbbreviationExpander::FrontBackTo(WindowHandle window) {
  // The switch is not done when the call returns (under Wine the window in front is none for
  // a moment after a form of ours closed): the key that is to go back waits for it.
  constexpr int kStepMs = 10, kPatienceMs = 500;
  const HWND target = HwndOf(window);
  for (int waited = 0;; waited += kStepMs) {
    const HWND front = GetForegroundWindow();
    if (front == target) return true;
    DWORD front_process = 0;
    if (front) GetWindowThreadProcessId(front, &front_process);
    if ((front && front_process != GetCurrentProcessId()) || waited >= kPatienceMs) return false;
    if (front || waited == 0) SetForegroundWindow(target);
    s_.pace.Wait(kStepMs);
  }
}

void AbbreviationExpander::SendAgain(const RawKey& raw) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wScan = static_cast<WORD>(raw.scan);
  if (raw.vk == VK_PACKET) {
    in.ki.dwFlags = KEYEVENTF_UNICODE;
  } else {
    in.ki.wVk = static_cast<WORD>(raw.vk);
    if (raw.extended) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  }
  if (raw.up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

CaretPlace AbbreviationExpander::CaretPlaceOf(WindowHandle window) {
  return KeyboardHook::CaretPlaceOf(HwndOf(window));
}

void AbbreviationExpander::Beep() {
  MessageBeep(MB_ICONWARNING);
}

}  // namespace qm
