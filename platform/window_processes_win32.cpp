// The integrity level of another window's process: whether our keys reach it.
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}

// The RID of a token's integrity level; -1 when it cannot be read.
long IntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return -1;
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  long level = -1;
  if (size && GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) {
    auto* label = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data());
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count > 0) level = static_cast<long>(*GetSidSubAuthority(label->Label.Sid, count - 1));
  }
  CloseHandle(token);
  return level;
}

class Win32WindowProcesses : public WindowProcesses {
 public:
  KeyDelivery DeliveryTo(WindowHandle window) override {
    if (!window || !IsWindow(ToHwnd(window))) return KeyDelivery::kDelivered;
    return DeliveryToProcessOf(ToHwnd(window));
  }

  std::string ProgramFile(WindowHandle window) override {
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(ToHwnd(window), &pid) || !pid) return {};
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    const bool read = QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    if (!read) return {};
    const std::wstring_view full(path, size);
    const std::size_t sep = full.find_last_of(L"\\/");
    return WideToUtf8(sep == std::wstring_view::npos ? full : full.substr(sep + 1));
  }
};

}  // namespace

KeyDelivery DeliveryToProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid || pid == GetCurrentProcessId()) return KeyDelivery::kDelivered;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) {
    return GetLastError() == ERROR_ACCESS_DENIED ? KeyDelivery::kDropped : KeyDelivery::kUnknown;
  }
  const long theirs = IntegrityLevel(process);
  CloseHandle(process);
  const long ours = IntegrityLevel(GetCurrentProcess());
  if (theirs < 0 || ours < 0) return KeyDelivery::kUnknown;
  return theirs > ours ? KeyDelivery::kDropped : KeyDelivery::kDelivered;
}

std::unique_ptr<WindowProcesses> MakeWin32WindowProcesses() {
  return std::make_unique<Win32WindowProcesses>();
}

}  // namespace qm
