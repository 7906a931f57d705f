// Abbreviations typed in other programs' windows: the detector loaded from the data file, the
// keyboard hook that feeds it, and the sends that carry out what it answers.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quillet/abbrev/detector.h"
#include "quillet/abbrev/keyboard_hook_win32.h"
#include "quillet/send/sender.h"
#include "store/ini_store.h"
#include "ui/window_frame_win32.h"

namespace qm {

struct ExpanderServices {
  IniStore& ini;
  const std::string& data_file;
  Sender& sender;
  TypingPace& pace;
  std::function<bool(HWND)> ignored;  // a window on the ignore list
  std::function<void()> before_send;  // the program readies the sender (its message title)
  bool can_leave_dead_key_state = true;
};

// A message-only window: the hook posts to it what the detector answered, since nothing may
// be sent from inside the hook.
class AbbreviationExpander final : public WindowFrame, private KeyHookHandler {
 public:
  explicit AbbreviationExpander(ExpanderServices services);
  ~AbbreviationExpander();

  bool Create(HINSTANCE instance);
  // Loads the detector afresh where the data file changed, and hooks the keyboard only while
  // the switch is on, nothing pauses it and there is an abbreviation at all. Called at start,
  // at every window switch and after each send: never by a timer.
  void Refresh();

  // The program ends: the keyboard is let go, and nothing is installed again. The object may
  // be at work further up the stack (a send lets the program's events run), so it stays.
  void Stop();

  bool on() const { return on_; }  // the switch in the data file
  bool paused() const { return paused_; }
  // For kAbbreviationPauseMinutes, or until resumed.
  void Pause();
  void Resume();

 private:
  struct Pending {
    AbbrevAction action;
    HWND window;
    RawKey key;  // the key that brought it
    bool held;   // and kept from the window
  };
  // What a thread of its own read from the data file.
  struct Loaded {
    bool read = false;  // false: the file could not be read, and what was loaded stays
    bool on = true;
    AbbreviationDetector detector;
    std::vector<std::string> names;
  };
  struct Held {
    RawKey raw;
    std::optional<KeyInput> input;
    HWND window;
  };

  bool OnKey(const RawKey& raw, const std::optional<KeyInput>& input, HWND window) override;
  void OnReset(bool window_switched) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnTimer(UINT_PTR id) override;

  // Hooks the keyboard or lets it go, as the switch, the pause and the abbreviations say.
  void Hook();
  void LoadInBackground();
  // The loader's result, unless a send or the keys held back for it still need the detector.
  void TakeLoaded();

  // Keys are held back from the time an action is decided until it and the keys typed
  // meanwhile have gone out.
  bool Holding() const { return pending_ || carrying_out_ || !held_.empty(); }
  void Start(const AbbrevAction& action, HWND window, const RawKey& key, bool hold);
  void CarryOut();
  void Send(const Pending& p);
  // After a send that typed nothing: the key held back for it goes to the window after all,
  // and the keys typed meanwhile after it.
  void GiveBack(const Pending& p, bool none_out);
  bool NoneOut(SendOutcome outcome) const;
  // The keys held back, in order, through the detector again; stops at one that brings an
  // action, which becomes pending.
  void Replay();

  ExpanderServices s_;
  KeyboardHook hook_;
  AbbreviationDetector detector_;
  std::shared_ptr<const IniDocument> loaded_;  // the snapshot last handed to the loader
  std::vector<std::string> names_;             // the entries' names, by number from 1
  std::thread loader_;
  std::mutex loaded_mutex_;
  std::unique_ptr<Loaded> result_;  // under loaded_mutex_
  bool load_again_ = false;
  bool on_ = true;
  bool paused_ = false;
  bool refresh_waits_ = false;
  bool stopped_ = false;
  bool hooked_before_ = false;
  std::optional<Pending> pending_;
  bool carrying_out_ = false;
  std::deque<Held> held_;
  std::uint32_t drop_up_ = 0;  // the key whose press brought the action: its release too
  HWND holding_for_ = nullptr;
};

}  // namespace qm
