// The low-level keyboard hook that reads the user's typing in other programs' windows, and the
// events that make what was typed unknown: a click, a window switch, a focus change.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "quillet/abbrev/key_translation.h"
#include "quillet/abbrev/password_watch_win32.h"

namespace qm {

// What the program does with the keys. Called on the thread that installed the hook, from
// inside it: an answer must come at once (no file, no send, no message box).
class KeyHookHandler {
 public:
  virtual ~KeyHookHandler() = default;
  // Every key, up and down; `input` for a key going down, in front of `window`. True keeps
  // the key from the window.
  virtual bool OnKey(const RawKey& raw, const std::optional<KeyInput>& input, HWND window) = 0;
  // What was typed is no longer known; `window_switched` for another window in front.
  virtual void OnReset(bool window_switched) = 0;
};

// One per process: the system calls hook procedures without any context. Idle, it costs
// nothing: every part of it waits for an event.
class KeyboardHook {
 public:
  // `ignored`: a window of another program where nothing is to expand (the ignore list);
  // our own windows are passed over anyway. `can_leave_dead_key_state`: the system reads a
  // key's text without touching the dead-key state (Windows 10 1607 and later).
  KeyboardHook(KeyHookHandler& handler, std::function<bool(HWND)> ignored,
               bool can_leave_dead_key_state);
  ~KeyboardHook();
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // The window switches and focus changes, which the program also reloads on; on the calling
  // thread, which runs the message loop.
  bool WatchWindows();
  // The keys (on the calling thread) and, from the first key typed on, the mouse buttons (on
  // a thread of its own, so that the pointer never waits for our windows).
  bool Install();
  void Uninstall();
  bool installed() const { return keys_ != nullptr; }
  // A password field has the keyboard focus (as the last focus change told): its keys pass
  // untouched and nothing of them is kept. Cheap enough for every key.
  bool in_password_field() const { return password_.in_password_field(); }

  // Whether `window`, which the hook named with a key, is in front indeed and not one to pass
  // over: the window switch may not have been told yet when keys come quickly after it.
  bool StillInFront(HWND window) const;
  // Where the typing into `window` goes now (GetGUIThreadInfo: no message to the window).
  static CaretPlace CaretPlaceOf(HWND window);
  // The window in front is to be asked again at the next key: a switch went untold.
  void AskFrontAgain() { ask_front_ = true; }

  // The hook's own work for one key, as the hook procedure does it: for the timing program.
  bool Handle(const RawKey& raw);

 private:
  static LRESULT CALLBACK KeyProc(int code, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK MouseProc(int code, WPARAM wparam, LPARAM lparam);
  static void CALLBACK WindowEventProc(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                       LONG child, DWORD thread, DWORD time);
  bool Ignored(HWND window) const;
  // Starts the thread whose hook tells of a mouse button going down.
  void WatchClicks();
  // What the keys need to know of the window in front, asked once per switch; a title that
  // changes without one is seen at the next, and before any action.
  void Front(HWND window);
  // Whether the focus, `focus` or the focused control of the window in front, is a password
  // field; `event`: a focus event named it.
  void LookAtFocus(HWND focus, LONG object, LONG child, bool event);

  KeyHookHandler& handler_;
  std::function<bool(HWND)> ignored_;
  bool can_leave_dead_key_state_;
  KeyTranslator translator_;
  HHOOK keys_ = nullptr;
  HWINEVENTHOOK foreground_ = nullptr, focus_ = nullptr;
  HWND front_ = nullptr;  // the window in front last
  DWORD front_thread_ = 0;
  bool front_ignored_ = true;
  PasswordWatch password_;
  HWND focused_ = nullptr;  // the window that had the focus last
  bool ask_front_ = false;  // a key or click may have brought another window to the front
  bool alt_held_ = false;
  bool clicks_watched_ = false;
  std::thread mouse_thread_;
  DWORD mouse_thread_id_ = 0;
  std::atomic<bool> clicked_{false};
};

}  // namespace qm
