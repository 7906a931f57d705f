// A fresh folder under %TEMP% for one test, removed with everything in it afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "platform/utf16_win32.h"

namespace qm::test {

class TempFolder {
 public:
  TempFolder() {
    wchar_t root[MAX_PATH];
    GetTempPathW(MAX_PATH, root);
    static unsigned counter = 0;
    for (;;) {
      path_ = std::wstring(root) + L"qmtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
      if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
  }
  // QM_KEEP_TEST_FILES=1 keeps the files for a look after a failure.
  ~TempFolder() {
    if (!GetEnvironmentVariableW(L"QM_KEEP_TEST_FILES", nullptr, 0)) RemoveTree(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& wpath() const { return path_; }
  std::wstring WFile(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::string File(const std::string& name) const { return WideToUtf8(path_) + "\\" + name; }

 private:
  static void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = dir + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
  }

  std::wstring path_;
};

// Writes `bytes` exactly as given, replacing any file of that name.
inline bool WriteRawFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                  n == bytes.size();
  CloseHandle(h);
  return ok;
}

}  // namespace qm::test
