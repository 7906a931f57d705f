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

// Runs `/usr/bin/<program> <arguments>` (shell words) on the X server Wine uses and waits
// until it has ended. Wine starts a Unix program from its path but cannot wait for it, so a
// small script leaves a mark when the program is done; the mark is looked for through the
// drive Z:, which Wine maps to the Unix root.
inline bool RunXTool(const std::string& program, const std::string& arguments) {
  static int runs = 0;
  const std::string base =
      "/tmp/qm-xtool-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
  auto windows_path = [](std::string unix_path) {
    for (char& c : unix_path) c = c == '/' ? '\\' : c;
    return Utf8ToWide("Z:" + unix_path);
  };
  const std::wstring script = windows_path(base + ".sh"), mark = windows_path(base + ".done");
  {
    const std::string body =
        "/usr/bin/" + program + " " + arguments + "\n: > " + base + ".done\n";
    HANDLE f = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, body.data(), static_cast<DWORD>(body.size()), &written,
                              nullptr) && written == body.size();
    CloseHandle(f);
    if (!ok) return false;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring command = Utf8ToWide("/bin/sh " + base + ".sh");
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &si, &pi) != 0;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  const bool done = started && WaitUntil([&] {
    return GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES;
  });
  DeleteFileW(script.c_str());
  DeleteFileW(mark.c_str());
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
