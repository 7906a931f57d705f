// The strip along an edge of the screen: a borderless always-on-top window one pixel thick.
#include "quillet/menu/edge_strip_window_win32.h"

#include "platform/utf16_win32.h"

namespace qm {

EdgeStripWindow::~EdgeStripWindow() {
  Destroy();
  if (brush_) DeleteObject(brush_);
}

bool EdgeStripWindow::Create(HINSTANCE instance, const std::string& caption) {
  // A tool window has no taskbar button; it never takes the activation from the user's window.
  return CreatePlainWindow(
      instance,
      FrameClass{kEdgeStripClass, nullptr, nullptr,
                 reinterpret_cast<HBRUSH>(COLOR_ACTIVECAPTION + 1)},
      caption,
      FramePlacement{WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, WS_POPUP,
                     0, 0, 1, 1});
}

void EdgeStripWindow::Place(bool shown, const RECT& pixels) {
  if (!hwnd()) return;
  if (!shown) {
    SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    return;
  }
  ShowWindow(hwnd(), SW_HIDE);
  SetWindowPos(hwnd(), HWND_TOPMOST, pixels.left, pixels.top, pixels.right - pixels.left,
               pixels.bottom - pixels.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void EdgeStripWindow::SetColour(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  if (!brush) return;
  if (brush_) DeleteObject(brush_);
  brush_ = brush;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
}

std::optional<LRESULT> EdgeStripWindow::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_ERASEBKGND:
      if (brush_) {
        RECT r{};
        GetClientRect(hwnd(), &r);
        FillRect(reinterpret_cast<HDC>(wparam), &r, brush_);
        return 1;
      }
      break;
    case WM_DISPLAYCHANGE:
      if (on_display_change) on_display_change();
      break;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // a click must not make the strip the foreground window
    case WM_MOUSEMOVE:
      if (on_mouse_move) on_mouse_move();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (on_button_down) {
        on_button_down(message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4);
      }
      return 0;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace qm
