// Abbreviations typed in other programs' windows: the detector loaded from the data file, the
// keyboard hook that feeds it, and the system's side of the expansion that carries out what it
// answers.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "quillet/abbrev/detector.h"
#include "quillet/abbrev/expansion.h"
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
  // The first Ctrl, Alt or Win key pressed, in any program: a shortcut, the picker's hotkey
  // perhaps, has begun. Told once, from the message loop.
  std::function<void()> shortcut_begun = nullptr;
  std::function<bool()> carry_capitals = nullptr;  // see ExpansionServices
};

// A message-only window: the hook posts to it what the detector answered, since nothing may
// be sent from inside the hook. It is the expansion's way to the system: its keys sent again,
// the window in front, the caret, the beep.
class AbbreviationExpander final : public WindowFrame,
                                   private KeyHookHandler,
                                   private ExpansionSystem {
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
  // A full-screen program in front asked not to be disturbed, at the last window switch: the
  // keyboard is let go until a switch finds it otherwise.
  bool quiet() const { return quiet_; }
  // A password field has the keyboard focus: nothing of its keys is kept.
  bool in_password_field() const { return hook_.in_password_field(); }
  // For kAbbreviationPauseMinutes, or until resumed.
  void Pause();
  void Resume();

 private:
  // What a thread of its own read from the data file.
  struct Loaded {
    bool read = false;  // false: the file could not be read, and what was loaded stays
    bool on = true;
    AbbreviationDetector detector;
    std::vector<std::string> names;
  };

  bool OnKey(const RawKey& raw, const std::optional<KeyInput>& input, HWND window) override;
  void OnReset(bool window_switched) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnTimer(UINT_PTR id) override;

  bool AskCarryOut() override;
  bool StillInFront(WindowHandle window) override;
  WindowHandle Foreground() override;
  bool FrontBackTo(WindowHandle window) override;
  void SendAgain(const RawKey& key) override;
  CaretPlace CaretPlaceOf(WindowHandle window) override;
  void Beep() override;

  // Hooks the keyboard or lets it go, as the switch, the pause and the abbreviations say.
  void Hook();
  void LoadInBackground();
  // The loader's result, unless a send or the keys held back for it still need the detector.
  void TakeLoaded();
  // The expansion's carry-out, then what waited for it to end: the loaded file, a refresh.
  void CarryOut();

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
  bool quiet_ = false;
  bool refresh_waits_ = false;
  bool shortcut_told_ = false;  // shortcut_begun is called once
  bool stopped_ = false;
  bool hooked_before_ = false;
  AbbreviationExpansion expansion_;
};

}  // namespace qm
