// The frame every window and dialog of the programs is made with.
#include "ui/window_frame_win32.h"

#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool DialogReturnsDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON || message == WM_INITDIALOG;
}

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

WindowFrame::~WindowFrame() {
  Destroy();
}

void WindowFrame::Destroy() {
  HWND window = window_;
  if (!window) return;
  window_ = nullptr;
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

WindowFrame* WindowFrame::FromHandle(HWND window) {
  return window ? reinterpret_cast<WindowFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA))
                : nullptr;
}

void WindowFrame::Attach(HWND window) {
  window_ = window;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void WindowFrame::Detach() {
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  window_ = nullptr;
  OnFinalMessage();
}

bool WindowFrame::CreatePlainWindow(HINSTANCE instance, const FrameClass& window_class,
                                    const std::string& caption, const FramePlacement& p) {
  WNDCLASSEXW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = window_class.icon;
  wc.hIconSm = window_class.small_icon;
  wc.hbrBackground = window_class.background;
  wc.lpszClassName = window_class.name;
  if (!RegisterWindowClass(wc)) return false;
  dialog_ = false;
  return CreateWindowExW(p.ex_style, window_class.name, Utf8ToWide(caption).c_str(), p.style,
                         p.x, p.y, p.width, p.height, p.owner, p.menu, instance,
                         this) != nullptr &&
         window_ != nullptr;
}

HWND WindowFrame::MakeDialog(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                             const std::string& caption, HWND owner, bool modal,
                             INT_PTR* result) {
  if (!instance) instance = GetModuleHandleW(nullptr);
  const bool own_class = RegisterDialogClass(instance, window_class);
  const std::vector<WORD> dialog_template =
      EmptyDialogTemplate(style, own_class ? window_class : L"", caption);
  const auto* data = reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data());
  dialog_ = true;
  modal_ = modal;
  if (modal) {
    *result = DialogBoxIndirectParamW(instance, data, owner, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
    return nullptr;
  }
  return CreateDialogIndirectParamW(instance, data, owner, DialogProc,
                                    reinterpret_cast<LPARAM>(this));
}

bool WindowFrame::CreateModeless(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                                 const std::string& caption, HWND owner) {
  return MakeDialog(instance, window_class, style, caption, owner, false, nullptr) != nullptr &&
         window_ != nullptr;
}

INT_PTR WindowFrame::RunModal(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                              const std::string& caption, HWND owner) {
  INT_PTR result = -1;
  MakeDialog(instance, window_class, style, caption, owner, true, &result);
  return result;
}

void WindowFrame::EndModal(INT_PTR result) {
  if (window_) EndDialog(window_, result);
}

void WindowFrame::Dismiss() {
  if (modal_) {
    EndDialog(window_, IDCANCEL);
  } else {
    DestroyWindow(window_);
  }
}

void WindowFrame::Layout(bool create) {
  UniqueFont font = CreateMessageFont(dpi_);
  BeforeLayout(font.get());
  const std::vector<ControlRow> table = Table();
  if (create) {
    CreateControls(window_, table, dpi_, font.get(), Grown());
  } else {
    PlaceControls(window_, table, dpi_, font.get(), Grown());
  }
  // The old font goes only at the end of this scope, once the controls use the new one.
  std::swap(font_, font);
  AfterLayout(create);
}

void WindowFrame::FollowDpi(int dpi) {
  dpi_ = dpi;
  Layout(false);
}

SIZE WindowFrame::OuterSize() const {
  const SIZE client = ClientTwips();
  return WindowSizeForClient(window_, client.cx, client.cy, dpi_);
}

bool WindowFrame::OnDpiChanged(const RECT& suggested) {
  const SIZE client = ClientTwips();
  if (client.cx == 0) return false;
  Layout(false);
  MoveToSuggestedRect(window_, suggested, client.cx, client.cy, dpi_);
  return true;
}

std::optional<LRESULT> WindowFrame::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam), HIWORD(wparam))) return 0;
      if (dialog_ && LOWORD(wparam) == IDCANCEL) {  // Esc
        Dismiss();
        return 0;
      }
      return std::nullopt;
    case WM_TIMER:
      if (lparam) break;  // a timer with its own callback, which the system calls
      OnTimer(wparam);
      return 0;
    case WM_CLOSE:
      if (OnClose()) return 0;
      if (dialog_) {
        Dismiss();
        return 0;
      }
      return std::nullopt;
    case WM_DPICHANGED:
      dpi_ = HIWORD(wparam);
      if (OnDpiChanged(*reinterpret_cast<const RECT*>(lparam))) return 0;
      return std::nullopt;
    case WM_ENDSESSION:
      if (wparam) OnEndSession((lparam & ENDSESSION_CLOSEAPP) != 0);
      return 0;
    case WM_DESTROY: {
      OnDestroy();
      // A plain window still needs the system's answer; the object is gone after this.
      Detach();
      return std::nullopt;
    }
    default:
      break;
  }
  // The icon's messages: WM_USER is a message of the dialog manager in dialogs.
  if (!dialog_ && message == kTrayMessage) {
    const TrayEvent event = TrayEventOf(lparam);
    if (event != TrayEvent::kNone) OnTrayIcon(static_cast<unsigned>(wparam), event);
    return 0;
  }
  if (!dialog_ && message == TaskbarCreatedMessage()) OnTaskbarCreated();
  return OnMessage(message, wparam, lparam);
}

LRESULT CALLBACK WindowFrame::WindowProc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    static_cast<WindowFrame*>(create->lpCreateParams)->Attach(window);
  }
  WindowFrame* self = FromHandle(window);
  if (!self || self->window_ != window) return DefWindowProcW(window, message, wparam, lparam);
  try {
    if (message == WM_CREATE) {
      self->dpi_ = self->DpiAtCreation();
      if (!self->Table().empty()) self->Layout(true);
      self->OnCreate();
      return 0;
    }
    if (const std::optional<LRESULT> result = self->Dispatch(message, wparam, lparam)) {
      return *result;
    }
  } catch (...) {
    // Nothing unwinds through the system's code; the message is lost.
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

INT_PTR CALLBACK WindowFrame::DialogProc(HWND dialog, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  WindowFrame* self = nullptr;
  try {
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<WindowFrame*>(lparam);
      self->Attach(dialog);
      DisableAutomaticDialogScaling(dialog);
      self->dpi_ = self->DpiAtCreation();
      self->Layout(true);
      self->OnCreate();
      return FALSE;  // the focus is set already
    }
    self = FromHandle(dialog);
    if (!self || self->window_ != dialog) return FALSE;
    const std::optional<LRESULT> result = self->Dispatch(message, wparam, lparam);
    if (!result) return FALSE;
    if (DialogReturnsDirectly(message)) return static_cast<INT_PTR>(*result);
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, *result);
    return TRUE;
  } catch (...) {
    // Nothing unwinds through the dialog manager; a broken modal dialog counts as cancelled.
    if (self && self->modal_) EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace qm
