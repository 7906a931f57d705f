// The shell both programs run in.
#include "ui/program_shell_win32.h"

#include "ui/message_pump_win32.h"

namespace qm {

ProgramShell::ProgramShell(const wchar_t* instance_mutex) {
  mutex_ = CreateMutexW(nullptr, TRUE, instance_mutex);
  if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    already_running_ = true;
  }
}

ProgramShell::~ProgramShell() {
  if (mutex_) CloseHandle(mutex_);
}

void ProgramShell::HandOverToFirst(const wchar_t* window_class, UINT message) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (HWND first = FindWindowW(window_class, nullptr)) {
      AllowSetForegroundWindow(ASFW_ANY);
      PostMessageW(first, message, 0, 0);
      return;
    }
    Sleep(100);  // the first one may still be starting
  }
}

ProgramIcons ProgramShell::LoadIcons(HINSTANCE instance, int resource_id) {
  ProgramIcons icons;
  icons.large = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resource_id), IMAGE_ICON,
                                              0, 0, LR_DEFAULTSIZE | LR_SHARED));
  icons.small = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resource_id),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (!icons.large) icons.large = LoadIconW(nullptr, IDI_APPLICATION);
  if (!icons.small) icons.small = icons.large;
  return icons;
}

void ProgramShell::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchThreadMessage(msg);
}

}  // namespace qm
