// The Win32 pause: the program's message queue runs while it waits.
#include "platform/pause_win32.h"

#include <windows.h>

#include "platform/keyboard_win32.h"

namespace qm {
namespace {

class Win32Pause : public Pause {
 public:
  explicit Win32Pause(MessageDispatch dispatch) : pace_(MakeWin32TypingPace(dispatch)) {}
  std::int64_t SteadyMs() override { return static_cast<std::int64_t>(GetTickCount64()); }
  bool Wait(int milliseconds) override {
    pace_->Wait(milliseconds);
    // The typing pace's wait leaves a request to end in the queue for the main loop.
    MSG msg;
    return !PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }

 private:
  // Its wait is the one that keeps our windows alive while the sender waits.
  std::unique_ptr<TypingPace> pace_;
};

}  // namespace

bool RunPendingMessages(MessageDispatch dispatch) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (dispatch) {
      dispatch(msg);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

std::unique_ptr<Pause> MakeWin32Pause(MessageDispatch dispatch) {
  return std::make_unique<Win32Pause>(dispatch);
}

}  // namespace qm
