// The shell both programs run in.
#include "ui/program_shell_win32.h"

#include "ui/message_pump_win32.h"

namespace qm {

ProgramShell::ProgramShell(const wchar_t* instance_mutex) : name_(instance_mutex) {
  Claim();
}

void ProgramShell::Claim() {
  mutex_ = CreateMutexW(nullptr, TRUE, name_);
  const DWORD error = GetLastError();
  // The mutex of an instance that runs as administrator is denied to one that does not.
  already_running_ = mutex_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
  if (mutex_ && already_running_) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
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

bool ProgramShell::TakeOverFromFirst(const wchar_t* window_class, DWORD wait_ms) {
  // A message from a program with higher rights to one with lower ones passes (the other
  // way the system filters it), so an instance started as administrator can ask this way.
  const ULONGLONG until = GetTickCount64() + wait_ms;
  HWND asked = nullptr;
  for (;;) {
    Claim();
    if (!already_running_) return true;
    // The first may still be starting, or have made a new window meanwhile.
    HWND first = FindWindowW(window_class, nullptr);
    if (first && first != asked) {
      PostMessageW(first, WM_CLOSE, 0, 0);
      asked = first;
    }
    if (GetTickCount64() >= until) return false;
    Sleep(50);
  }
}

void ProgramShell::LetLowerRightsSend(HWND window, UINT message) {
  ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
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
