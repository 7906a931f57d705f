// The restart as administrator: the program's own executable through the shell's "runas"
// verb, which shows the system's prompt for consent.
#include <objbase.h>
#include <shellapi.h>

#include <utility>

#include "platform/file_system_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

class Win32ProgramRestart : public ProgramRestart {
 public:
  Win32ProgramRestart(HWND owner, std::function<std::string(const std::string&)> arguments)
      : owner_(owner), arguments_(std::move(arguments)) {}

  bool Available() override {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL read =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return !read || elevation.TokenIsElevated == 0;
  }

  RestartOutcome RestartAsAdministrator(const std::string& data_file) override {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
      if (n == 0) return {RestartResult::kFailed, SystemErrorText(GetLastError())};
      if (n < exe.size()) {
        exe.resize(n);
        break;
      }
      exe.resize(exe.size() * 2);
    }
    const std::wstring arguments = Utf8ToWide(arguments_(data_file));
    // Shell extensions behind the verb may need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The system's own error boxes stay away: the caller tells the user in German.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner_;
    info.lpVerb = L"runas";
    info.lpFile = exe.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    const BOOL started = ShellExecuteExW(&info);
    const DWORD error = started ? ERROR_SUCCESS : GetLastError();
    if (SUCCEEDED(com)) CoUninitialize();
    if (started) return {RestartResult::kStarted, {}};
    if (error == ERROR_CANCELLED) return {RestartResult::kCancelled, {}};
    return {RestartResult::kFailed, SystemErrorText(error)};
  }

 private:
  HWND owner_;
  std::function<std::string(const std::string&)> arguments_;
};

}  // namespace

std::unique_ptr<ProgramRestart> MakeWin32ProgramRestart(
    HWND owner, std::function<std::string(const std::string& data_file)> arguments) {
  return std::make_unique<Win32ProgramRestart>(owner, std::move(arguments));
}

}  // namespace qm
