// Whether the control with the keyboard focus is a password field, looked at once per focus
// change: a classic edit by its style, any other control by its accessible object's state,
// asked on a thread of its own so that a slow or hung program never holds up the keys.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>

namespace qm {

// Whether the accessible object that a focus event names is protected (a password field);
// nullopt where it cannot be told. Loads the accessibility library at its first call; the
// calling thread has COM initialised.
std::optional<bool> AskAccessibleProtected(HWND window, LONG object, LONG child);

// One per process, on the thread that runs the keyboard hook and its message loop.
class PasswordWatch {
 public:
  PasswordWatch();
  ~PasswordWatch();
  PasswordWatch(const PasswordWatch&) = delete;
  PasswordWatch& operator=(const PasswordWatch&) = delete;

  // The focus went to `focus`, or to the object `object`/`child` in it that a focus event
  // named. `event`: told by a focus event, where a control other than an edit is asked
  // about its accessible object; until it answers, its keys count as a password's.
  void Look(HWND focus, LONG object, LONG child, bool event);
  // Nothing to hide: the hook is away or the window's keys pass anyway.
  void Clear();
  // A plain flag, read for every key.
  bool in_password_field() const { return password_->load(std::memory_order_relaxed); }

  // How long an accessible object may take to answer before it counts as no password field; a
  // later answer still counts while the focus has not moved.
  static constexpr UINT kLimitMs = 150;
  // How long a question may run before its thread counts as held by the program it asked.
  static constexpr ULONGLONG kHeldMs = 1000;

 private:
  struct Shared;
  static void CALLBACK OnLimit(HWND, UINT, UINT_PTR id, DWORD);
  // The time for the focus's answer is up.
  void LimitReached();
  void StartAsking();

  std::shared_ptr<Shared> shared_;
  const std::atomic<bool>* password_;  // in shared_
};

}  // namespace qm
