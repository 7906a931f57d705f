// Real keys from the X server below Wine: xdotool's key events reach Wine as hardware input,
// so low-level hooks and hotkeys see them as a user's keys, not as injected ones.
#pragma once

#include <windows.h>

#include <string>

#include "platform/utf16_win32.h"
#include "tests/wine/support/process_driver_win32.h"

namespace qm::test {

// Whether the machine has xdotool; the tests that need it are skipped without it.
inline bool HasXKeyboard() {
  return GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") != INVALID_FILE_ATTRIBUTES;
}

// Runs `/usr/bin/<program> <arguments>` on the X server Wine uses and waits for it. Wine
// starts a Unix program from its path; its exit code does not come back.
inline bool RunXTool(const std::string& program, const std::string& arguments) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring command = Utf8ToWide("/usr/bin/" + program + " " + arguments);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  // Wine cannot wait for a Unix process (the wait fails at once): a moment is given instead.
  const DWORD waited = WaitForSingleObject(pi.hProcess, kWaitMs);
  if (waited == WAIT_FAILED) Sleep(500);
  const bool done = waited == WAIT_OBJECT_0 || waited == WAIT_FAILED;
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return done;
}

// xdotool's own words: "key ctrl+alt+space", "type --delay 30 mfg", "keydown Return".
inline bool XKeys(const std::string& xdotool_arguments) {
  return RunXTool("xdotool", xdotool_arguments);
}

// The X server's keyboard layout, e.g. "de" or "us"; takes effect only on an Xvfb started
// with -noreset, as scripts/wine-run.sh starts it.
inline bool XLayout(const std::string& layout) { return RunXTool("setxkbmap", layout); }

}  // namespace qm::test
