// The shared frame of our modeless dialogs.
#include "ui/modeless_dialog_win32.h"

namespace qm {

ModelessDialog::~ModelessDialog() {
  Close();
}

void ModelessDialog::Close() {
  HWND window = window_;
  window_ = nullptr;
  if (!window) return;
  // No message of its end reaches the object, which may be going itself.
  SetWindowLongPtrW(window, DWLP_USER, 0);
  DestroyWindow(window);
}

bool ModelessDialog::Create(HINSTANCE instance, const wchar_t* window_class,
                            const std::string& caption, HWND owner) {
  const bool own_class = RegisterDialogClass(instance, window_class);
  const std::vector<WORD> dialog_template =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
                          own_class ? window_class : L"", caption);
  window_ = CreateDialogIndirectParamW(instance,
                                       reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()),
                                       owner, DialogProc, reinterpret_cast<LPARAM>(this));
  return window_ != nullptr;
}

SIZE ModelessDialog::OuterSize() const {
  return WindowSizeForClient(window_, width_, height_, dpi_);
}

void ModelessDialog::Layout(bool create) {
  UniqueFont font = CreateMessageFont(dpi_);
  if (create) {
    CreateControls(window_, Table(), dpi_, font.get());
  } else {
    PlaceControls(window_, Table(), dpi_, font.get());
  }
  AfterLayout();
  // The old font goes only now that the controls use the new one.
  font_ = std::move(font);
}

INT_PTR CALLBACK ModelessDialog::DialogProc(HWND dialog, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      auto* self = reinterpret_cast<ModelessDialog*>(lparam);
      self->window_ = dialog;
      DisableAutomaticDialogScaling(dialog);
      self->dpi_ = WindowDpi(dialog);
      self->Layout(true);
      return FALSE;
    }
    auto* self = reinterpret_cast<ModelessDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDCANCEL) {  // Esc
          self->Close();
          return TRUE;
        }
        break;
      case WM_CLOSE:
        self->Close();
        return TRUE;
      case WM_DESTROY:
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        if (self->window_ == dialog) self->window_ = nullptr;
        return FALSE;
      case WM_DPICHANGED:
        self->dpi_ = HIWORD(wparam);
        self->Layout(false);
        MoveToSuggestedRect(dialog, *reinterpret_cast<const RECT*>(lparam), self->width_,
                            self->height_, self->dpi_);
        return TRUE;
      default:
        break;
    }
    return self->OnMessage(message, wparam, lparam) ? TRUE : FALSE;
  } catch (...) {
    // Nothing unwinds through the dialog manager.
    return TRUE;
  }
}

}  // namespace qm
