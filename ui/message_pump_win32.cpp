// The one way a message of the program's thread reaches its window.
#include "ui/message_pump_win32.h"

namespace qm {

void DispatchThreadMessage(MSG& msg) {
  HWND active = GetActiveWindow();
  if (active && IsDialogMessageW(active, &msg)) return;
  DispatchWaitingMessage(msg);
}

void DispatchWaitingMessage(MSG& msg) {
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace qm
