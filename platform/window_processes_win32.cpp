// The integrity level of another window's process, and a target catching up with its input.
#include <vector>

#include "platform/keyboard_win32.h"

namespace qm {
namespace {

// At least as many as the key events of one batch of the sender.
constexpr int kRoundTripsPerBatch = 64;

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
  bool IsElevated(WindowHandle window) override {
    return window && IsWindow(ToHwnd(window)) && RunsAboveOurIntegrity(ToHwnd(window));
  }
};

class Win32TypingPace : public TypingPace {
 public:
  bool CatchUp(WindowHandle window) override {
    HWND target = ToHwnd(window);
    if (!IsWindow(target)) return false;
    // No call tells when the target has taken its input. A message sent to its thread is
    // handled at its next look into its queue, before the input waiting there, and each look
    // takes at most one input message off the queue. So one round trip per key event sent
    // holds the next batch until the target has taken all of this one; a target that is
    // waiting answers each at once. A target that hangs for seconds stops the typing.
    for (int i = 0; i <= kRoundTripsPerBatch; ++i) {
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) {
        return false;
      }
    }
    return true;
  }

  bool EscapePressed() override {
    // The low bit: pressed since the previous look, even when it is up again by now.
    const SHORT state = GetAsyncKeyState(VK_ESCAPE);
    return (state & 0x8000) != 0 || (state & 1) != 0;
  }

  void Wait(int milliseconds) override {
    const DWORD start = GetTickCount();
    do {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop to see
          return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (milliseconds > 0) Sleep(10);
    } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
  }
};

}  // namespace

bool RunsAboveOurIntegrity(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid || pid == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  long theirs = IntegrityLevel(process);
  CloseHandle(process);
  const long ours = IntegrityLevel(GetCurrentProcess());
  return theirs >= 0 && ours >= 0 && theirs > ours;
}

std::unique_ptr<WindowProcesses> MakeWin32WindowProcesses() {
  return std::make_unique<Win32WindowProcesses>();
}

std::unique_ptr<TypingPace> MakeWin32TypingPace() {
  return std::make_unique<Win32TypingPace>();
}

}  // namespace qm
