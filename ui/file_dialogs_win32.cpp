// The system's open and save dialogs (GetOpenFileNameW, GetSaveFileNameW).
#include "ui/file_dialogs_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Room for the longest path the system takes.
constexpr DWORD kPathChars = 32768;

class Win32FileDialogs : public FileDialogs {
 public:
  explicit Win32FileDialogs(HWND owner) : owner_(owner) {}

  std::optional<ChosenFile> ChooseFileToOpen(const std::string& title,
                                             const std::vector<FileType>& types) override {
    return Run(false, title, types, "");
  }
  std::optional<ChosenFile> ChooseFileToSave(const std::string& title,
                                             const std::vector<FileType>& types,
                                             const std::string& suggested_name) override {
    return Run(true, title, types, suggested_name);
  }

 private:
  std::optional<ChosenFile> Run(bool save, const std::string& title,
                                const std::vector<FileType>& types, const std::string& name) {
    std::wstring filter;
    for (const FileType& t : types) {
      filter += Utf8ToWide(t.caption) + L'\0' + Utf8ToWide(t.patterns) + L'\0';
    }
    filter += L'\0';
    std::vector<wchar_t> file(kPathChars, L'\0');
    const std::wstring suggested = Utf8ToWide(name);
    suggested.copy(file.data(), std::min<std::size_t>(suggested.size(), kPathChars - 1));
    const std::wstring caption = Utf8ToWide(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = kPathChars;
    ofn.lpstrTitle = caption.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    // Any default extension makes the dialog append the chosen type's to a bare name.
    ofn.lpstrDefExt = save ? L"csv" : nullptr;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn))) return std::nullopt;
    return ChosenFile{WideToUtf8(file.data()), ofn.nFilterIndex > 0 ? ofn.nFilterIndex - 1 : 0};
  }

  HWND owner_;
};

}  // namespace

std::unique_ptr<FileDialogs> MakeWin32FileDialogs(HWND owner) {
  return std::make_unique<Win32FileDialogs>(owner);
}

}  // namespace qm
