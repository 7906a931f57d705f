#include "quillet/receipt/log_place_win32.h"

#include <windows.h>

#include <string>

#include "platform/utf16_win32.h"

namespace qm {

std::string SendLogFolder() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return WideToUtf8(std::wstring(base, n) + L"\\Quillet");
}

std::string SendLogFile() {
  const std::string folder = SendLogFolder();
  if (folder.empty()) return {};
  const std::wstring wide = Utf8ToWide(folder);
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  return folder + "\\Versandprotokoll.csv";
}

}  // namespace qm
