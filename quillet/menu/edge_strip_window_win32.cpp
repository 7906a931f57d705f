// The strip along an edge of the screen: a borderless always-on-top window one pixel thick.
#include "quillet/menu/edge_strip_window_win32.h"

#include "platform/utf16_win32.h"

namespace qm {

EdgeStripWindow::~EdgeStripWindow() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  if (brush_) DeleteObject(brush_);
}

bool EdgeStripWindow::Create(HINSTANCE instance, const std::string& caption) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_ACTIVECAPTION + 1);
  wc.lpszClassName = kEdgeStripClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // A tool window has no taskbar button; it never takes the activation from the user's window.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kEdgeStripClass,
                            Utf8ToWide(caption).c_str(), WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            instance, this);
  return window_ != nullptr;
}

void EdgeStripWindow::Place(bool shown, const RECT& pixels) {
  if (!window_) return;
  if (!shown) {
    SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    return;
  }
  ShowWindow(window_, SW_HIDE);
  SetWindowPos(window_, HWND_TOPMOST, pixels.left, pixels.top, pixels.right - pixels.left,
               pixels.bottom - pixels.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void EdgeStripWindow::SetColour(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  if (brush_) DeleteObject(brush_);
  brush_ = brush;
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK EdgeStripWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<EdgeStripWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    switch (message) {
      case WM_ERASEBKGND:
        if (self && self->brush_) {
          RECT r{};
          GetClientRect(window, &r);
          FillRect(reinterpret_cast<HDC>(wparam), &r, self->brush_);
          return 1;
        }
        break;
      case WM_DISPLAYCHANGE:
        if (self && self->on_display_change) self->on_display_change();
        break;
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a click must not make the strip the foreground window
      case WM_MOUSEMOVE:
        if (self && self->on_mouse_move) self->on_mouse_move();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        if (self && self->on_button_down) {
          self->on_button_down(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4);
        }
        return 0;
      default:
        break;
    }
  } catch (...) {
    // Nothing unwinds through the system's code; the event is lost.
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace qm
