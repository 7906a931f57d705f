// Abbreviations typed in other programs' windows: the detector loaded from the data file, the
// keyboard hook that feeds it, and the sends that carry out what it answers.
#include "quillet/abbrev/expander_win32.h"

#include <utility>

#include "platform/os.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "text/utf.h"

namespace qm {
namespace {

constexpr UINT kCarryOutMessage = WM_APP + 1;
constexpr UINT kLoadedMessage = WM_APP + 2;
constexpr UINT_PTR kResumeTimer = 1;
constexpr const wchar_t* kExpanderClass = L"QuilletKuerzel";

WindowHandle HandleOf(HWND window) {
  return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

// A key held back, sent again as it came: its code and scan code, so that the window's layout
// reads it as it would have read the user's key (dead keys and AltGr included).
void SendAgain(const RawKey& raw) {
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

}  // namespace

AbbreviationExpander::AbbreviationExpander(ExpanderServices services)
    : s_(std::move(services)), hook_(*this, s_.ignored, s_.can_leave_dead_key_state) {}

AbbreviationExpander::~AbbreviationExpander() {
  if (loader_.joinable()) loader_.join();
  hook_.Uninstall();
  Destroy();
}

bool AbbreviationExpander::Create(HINSTANCE instance) {
  const FramePlacement placement{0, 0, 0, 0, 0, 0, HWND_MESSAGE};
  if (!CreatePlainWindow(instance, FrameClass{kExpanderClass}, "", placement)) return false;
  hook_.WatchWindows();
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
  if (Holding()) {
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
  if (on_ && !paused_ && detector_.Size() > 0) {
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
  if (Holding()) return;  // taken when the send is over
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
  // Ours while we type, and every other program's: no one's typing.
  if (raw.injected) return false;
  if (raw.up) {
    if (drop_up_ == raw.vk) {
      drop_up_ = 0;
      return true;
    }
    if (Holding() && holding_for_ && window == holding_for_) {
      held_.push_back({raw, std::nullopt, window});
      return true;
    }
    return false;
  }
  if (!input) return false;
  if (Holding()) {
    // Only what was typed into the window the send goes to waits for it; a key in a message
    // box of ours, or in a window that came to the front, goes where it was typed.
    if (!holding_for_ || window != holding_for_) return false;
    // Wine hands a composed character over without its text, so it could not be sent again.
    if (raw.vk == VK_NONAME && raw.scan == 0) return false;
    if (drop_up_ == raw.vk) drop_up_ = 0;  // its release belongs to this press now
    held_.push_back({raw, input, window});
    return true;
  }
  // A snippet from the menu is being typed: what the user types into it is no word of theirs.
  if (s_.sender.busy()) {
    detector_.OnKey(KeyInput::Of(KeyInput::Kind::kReset));
    return false;
  }
  const AbbrevAction action = detector_.OnKey(*input);
  if (action.kind == AbbrevAction::Kind::kNone) return false;
  if (!hook_.StillInFront(window)) {
    detector_.ExpansionFailed();
    hook_.AskFrontAgain();
    return false;
  }
  // A window that cannot take our keys (elevated, hidden) gets its key as typed; the send
  // still tells why nothing was replaced.
  const bool hold = s_.sender.MayTypeInto(HandleOf(window));
  Start(action, window, raw, hold);
  if (PostMessageW(hwnd(), kCarryOutMessage, 0, 0)) return hold;
  // The key goes on as typed rather than be lost.
  pending_.reset();
  drop_up_ = 0;
  detector_.ExpansionFailed();
  return false;
}

void AbbreviationExpander::Start(const AbbrevAction& action, HWND window, const RawKey& key,
                                 bool hold) {
  pending_ = Pending{action, window, key, hold};
  holding_for_ = hold ? window : nullptr;
  drop_up_ = hold ? key.vk : 0;
}

void AbbreviationExpander::OnReset(bool window_switched) {
  detector_.OnKey(KeyInput::Of(KeyInput::Kind::kReset));
  if (window_switched) Refresh();
}

std::optional<LRESULT> AbbreviationExpander::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message == kLoadedMessage) {
    TakeLoaded();
    return 0;
  }
  if (message != kCarryOutMessage) return std::nullopt;
  CarryOut();
  return 0;
}

void AbbreviationExpander::CarryOut() {
  // The sender waits with the program's events running; a second message finds this one
  // at work.
  if (carrying_out_) return;
  while (pending_) {
    const Pending p = *pending_;
    pending_.reset();
    carrying_out_ = true;
    Send(p);
    carrying_out_ = false;
    // Unless keys given back before a message brought the next action, which comes first.
    if (!pending_) Replay();
  }
  holding_for_ = nullptr;
  TakeLoaded();
  if (refresh_waits_) Refresh();
}

void AbbreviationExpander::Send(const Pending& p) {
  if (s_.before_send) s_.before_send();
  // Its key went on as typed: nothing may follow it, whatever the window says now.
  if (!p.held) {
    detector_.ExpansionRefused();
    s_.sender.TellWhyNot(HandleOf(p.window));
    return;
  }
  bool given_back = false;
  // Before any message box of the send takes the front, the keys held for it go back to the
  // window they were typed into, while it is still there to take them.
  const auto give_back = [&](bool none_out) {
    if (!std::exchange(given_back, true)) GiveBack(p, none_out);
  };
  CaretPlace snippet_end;
  const SendInto into{HandleOf(p.window),
                      p.action.erase,
                      {},
                      [&] { give_back(s_.sender.strokes_out() == 0); },
                      [&] { snippet_end = KeyboardHook::CaretPlaceOf(p.window); }};
  if (p.action.kind == AbbrevAction::Kind::kUndo) {
    const SendOutcome outcome = s_.sender.SendText(Utf16ToUtf8(p.action.type), into);
    if (outcome != SendOutcome::kTyped) give_back(NoneOut(outcome));
    return;
  }
  const int entry = p.action.entry;
  const std::string name =
      entry >= 1 && entry <= static_cast<int>(names_.size()) ? names_[entry - 1] : "";
  SendInto expand = into;
  expand.then_type = Utf16ToUtf8(p.action.type);
  const SendOutcome outcome = s_.sender.SendEntry(entry, name, expand);
  const std::size_t typed = s_.sender.snippet_characters();
  // A pasted snippet counts no characters: what a Backspace would have to erase is unknown.
  if (!given_back && outcome == SendOutcome::kTyped &&
      (typed > 0 || s_.sender.keystroke_text().empty())) {
    detector_.ExpansionDone(static_cast<int>(typed),
                            PlaceAfterWordEnd(snippet_end, KeyboardHook::CaretPlaceOf(p.window),
                                              !p.action.type.empty()));
  } else {
    give_back(NoneOut(outcome));
  }
}

bool AbbreviationExpander::NoneOut(SendOutcome outcome) const {
  return outcome == SendOutcome::kBusy || s_.sender.strokes_out() == 0;
}

void AbbreviationExpander::GiveBack(const Pending& p, bool none_out) {
  // Where no key went out (the send was refused, the clipboard was busy, Esc came before the
  // first key), the key that was held back for the send (the word end, the Backspace) does
  // what it would have done without us; after a send stopped part-way the text is no longer
  // known, and the user is told. A question of ours may have taken the front meanwhile: the
  // window gets it back from us, but not from a window the user went to.
  bool typed_as_is = false;
  if (none_out) {
    DWORD front_process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &front_process);
    if (front_process == GetCurrentProcessId()) SetForegroundWindow(p.window);
    if (GetForegroundWindow() == p.window) {
      SendAgain(p.key);
      RawKey up = p.key;
      up.up = true;
      SendAgain(up);
      typed_as_is = true;
    }
  }
  // The window holds what the user typed, where its key arrived after all and was no undo's.
  if (typed_as_is && p.action.kind == AbbrevAction::Kind::kExpand) {
    detector_.ExpansionRefused();
  } else {
    detector_.ExpansionFailed();
  }
  // The keys typed meanwhile follow it, and all are in the window before a message box of
  // ours can take the front, and the keys with it.
  const std::size_t keys = 1 + held_.size();
  Replay();
  s_.pace.CatchUp(HandleOf(p.window), 3 * keys);
}

void AbbreviationExpander::Replay() {
  bool lost = false;
  while (!held_.empty()) {
    const Held k = held_.front();
    held_.pop_front();
    // No key goes down in another window than the one it was typed into.
    const HeldKeyFate fate = FateOfHeldKey(k.raw, GetForegroundWindow() == k.window, drop_up_);
    if (fate == HeldKeyFate::kDrop) drop_up_ = 0;
    if (fate == HeldKeyFate::kLost) lost = true;
    if (fate != HeldKeyFate::kSend) continue;
    if (k.input) {
      const AbbrevAction action = detector_.OnKey(*k.input);
      if (action.kind != AbbrevAction::Kind::kNone) {
        Start(action, k.window, k.raw, true);
        break;
      }
    }
    SendAgain(k.raw);
  }
  if (lost) MessageBeep(MB_ICONWARNING);
}

}  // namespace qm
