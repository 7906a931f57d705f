// The Win32 dialogs behind the platform seam: the system's message boxes, folder browser and
// colour dialog, and the programs' own input box.
#include "ui/dialogs_win32.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/com_ref_win32.h"
#include "platform/system_library_win32.h"
#include "platform/utf16_win32.h"
#include "ui/input_box_win32.h"

namespace qm {
namespace {

// A tray program usually has no active window; the browser must not open behind another one.
int CALLBACK BrowserToFront(HWND browser, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) SetForegroundWindow(browser);
  return 0;
}

class Win32Dialogs : public Dialogs {
 public:
  explicit Win32Dialogs(HWND owner) : owner_(owner) {}

  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    UINT type = 0;
    switch (icon) {
      case MessageIcon::kNone:
        break;
      case MessageIcon::kInformation:
        type |= MB_ICONINFORMATION;
        break;
      case MessageIcon::kQuestion:
        type |= MB_ICONQUESTION;
        break;
      case MessageIcon::kExclamation:
        type |= MB_ICONEXCLAMATION;
        break;
      case MessageIcon::kStop:
        type |= MB_ICONSTOP;
        break;
    }
    switch (buttons) {
      case MessageButtons::kOk:
        type |= MB_OK;
        break;
      case MessageButtons::kOkCancel:
        type |= MB_OKCANCEL;
        break;
      case MessageButtons::kYesNo:
        type |= MB_YESNO;
        break;
      case MessageButtons::kYesNoCancel:
        type |= MB_YESNOCANCEL;
        break;
      case MessageButtons::kYesNoDefaultNo:
        type |= MB_YESNO | MB_DEFBUTTON2;
        break;
      case MessageButtons::kRetryCancel:
        type |= MB_RETRYCANCEL;
        break;
    }
    // A tray program often has no visible window: without an owner the box must still come
    // to the front rather than hide behind the active application.
    if (!owner_) type |= MB_SETFOREGROUND;
    switch (MessageBoxW(owner_, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), type)) {
      case IDOK:
        return MessageAnswer::kOk;
      case IDYES:
        return MessageAnswer::kYes;
      case IDNO:
        return MessageAnswer::kNo;
      case IDRETRY:
        return MessageAnswer::kRetry;
      default:
        return MessageAnswer::kCancel;
    }
  }

  std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
    return ShowInputBox(owner_, prompt, title, initial);
  }

  std::optional<std::string> ChooseFolder(const std::string& prompt) override {
    // The browser's tree comes from the shell namespace, which needs COM.
    ComScope com;
    const std::wstring text = Utf8ToWide(prompt);
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.lpszTitle = text.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowserToFront;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool has_path = SHGetPathFromIDListW(item, path) != FALSE;
    CoTaskMemFree(item);
    // An item without a place in the file system is no folder the caller could use.
    if (!has_path) return std::nullopt;
    return WideToUtf8(std::wstring_view(path, wcsnlen(path, MAX_PATH)));
  }

  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override {
    // The user's own colours stay for the run of the program, as the dialog's memory.
    static COLORREF custom[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255)};
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner_;
    choice.rgbResult = static_cast<COLORREF>(initial & 0x00FFFFFFu);
    choice.lpCustColors = custom;
    choice.Flags = CC_RGBINIT;
    if (!SystemLibraryLoads(L"comdlg32.dll")) return std::nullopt;
    if (!ChooseColorW(&choice)) return std::nullopt;  // cancelled, or no dialog at all
    return static_cast<std::uint32_t>(choice.rgbResult & 0x00FFFFFFu);
  }

 private:
  HWND owner_;
};

}  // namespace

std::unique_ptr<Dialogs> MakeWin32Dialogs(HWND owner) {
  return std::make_unique<Win32Dialogs>(owner);
}

}  // namespace qm
