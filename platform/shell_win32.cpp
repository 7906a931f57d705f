// The Win32 shell behind the platform seam: opening a target, starting a command line.
#include "platform/ui_services_win32.h"

#include <objbase.h>
#include <shellapi.h>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

class Win32Shell : public Shell {
 public:
  bool Open(const std::string& target, ShowMode mode) override {
    // Some shell extensions behind "open" need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(GetDesktopWindow(), L"open", Utf8ToWide(target).c_str(), nullptr, nullptr,
                      mode == ShowMode::kMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL));
    if (SUCCEEDED(com)) CoUninitialize();
    return result > 32;
  }

  bool Run(const std::string& command_line) override {
    std::wstring line = Utf8ToWide(command_line);  // CreateProcessW may write into it
    if (line.empty()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
};

}  // namespace

std::unique_ptr<Shell> MakeWin32Shell() {
  return std::make_unique<Win32Shell>();
}

}  // namespace qm
