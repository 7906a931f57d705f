// Where Quillet's questions and messages belong: the main window, the Options dialog or none.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/dialogs.h"
#include "ui/dialogs_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {

// Message boxes belong to the main window while it is shown, and come to the front on
// their own while the program sits in the notification area.
class OwnerDialogs : public Dialogs {
 public:
  explicit OwnerDialogs(HWND main)
      : main_(main), owned_(MakeWin32Dialogs(main)), free_(MakeWin32Dialogs(nullptr)) {}
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    return Pick().ShowMessage(ToCrLf(text), title, icon, buttons);
  }
  std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
    return Pick().AskText(ToCrLf(prompt), title, initial);
  }
  std::optional<std::string> ChooseFolder(const std::string& prompt) override {
    return Pick().ChooseFolder(prompt);
  }
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override {
    return Pick().ChooseColour(initial);
  }
  // While the Options dialog is shown, what it asks belongs to it.
  void SetOptionsWindow(HWND options) {
    options_ = options;
    for_options_ = MakeWin32Dialogs(options);
  }

 private:
  Dialogs& Pick() {
    if (options_ && IsWindowVisible(options_)) return *for_options_;
    return IsWindowVisible(main_) && !IsIconic(main_) ? *owned_ : *free_;
  }
  HWND main_;
  HWND options_ = nullptr;
  std::unique_ptr<Dialogs> owned_, free_, for_options_;
};

}  // namespace qm
