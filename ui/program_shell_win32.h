// What both programs do alike around their windows: one instance per user session, the
// program's icons and the message loop. The common controls are registered when the first
// control is made (EnsureCommonControls).
#pragma once

#include <windows.h>

namespace qm {

struct ProgramIcons {
  HICON large = nullptr;
  HICON small = nullptr;
};

class ProgramShell {
 public:
  // Takes the program's single-instance mutex.
  explicit ProgramShell(const wchar_t* instance_mutex);
  ~ProgramShell();
  ProgramShell(const ProgramShell&) = delete;
  ProgramShell& operator=(const ProgramShell&) = delete;

  // Another instance of the program runs in this session already.
  bool already_running() const { return already_running_; }
  // A second start hands over to the first: posts `message` to its window of `window_class`,
  // which may still be starting, and lets it come to the front.
  static void HandOverToFirst(const wchar_t* window_class, UINT message);
  // A new start takes over from the first instead: asks its window of `window_class` to close
  // (as another program's close request does, which stores what it holds), waits up to
  // `wait_ms` for it to end and takes the mutex. False where it still runs then.
  bool TakeOverFromFirst(const wchar_t* window_class, DWORD wait_ms);
  // Lets `message` reach `window` from programs with lower rights, where this one runs as
  // administrator: a second start hands over with it.
  static void LetLowerRightsSend(HWND window, UINT message);
  // The program's icon resource in both sizes; the system's icon where it is missing.
  static ProgramIcons LoadIcons(HINSTANCE instance, int resource_id);
  // Runs until WM_QUIT, each message through DispatchThreadMessage.
  static void RunMessageLoop();

 private:
  // Takes the mutex, or learns that another instance holds it.
  void Claim();

  const wchar_t* name_;
  HANDLE mutex_ = nullptr;
  bool already_running_ = false;
};

}  // namespace qm
