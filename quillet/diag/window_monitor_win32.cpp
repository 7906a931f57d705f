// The window monitor: a modeless dialog of our own class whose timer refreshes the list.
#include "quillet/diag/window_monitor_win32.h"

#include <algorithm>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Twips: the list across the top, below it "visible only" at the left and "Exit" at the
// right.
constexpr int kClientWidth = 8640, kClientHeight = 4920;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kRaiseMessage = WM_APP + 1;

std::vector<ControlRow> MonitorTable() {
  return {
      {kMonitorList, L"LISTBOX", "",
       LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
       120, 120, 8400, 4140},
      {CommandId(QuilletCommand::kMonitorVisibleOnly), L"BUTTON", "visible only",
       BS_AUTOCHECKBOX | WS_TABSTOP, 120, 4380, 3000, 420},
      {CommandId(QuilletCommand::kMonitorExit), L"BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, 7080,
       4380, 1440, 420},
  };
}

// Beside the main window: at its right where the screen has room, else at its left, else at
// the right edge of the screen, over a part of it.
void PlaceBesideMainWindow(HWND window, HWND main, SIZE size) {
  RECT anchor{};
  GetWindowRect(main, &anchor);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) {
    PlaceNearMainWindow(window, main, size);
    return;
  }
  const RECT& work = monitor.rcWork;
  int left = work.right - size.cx;
  if (anchor.right + size.cx <= work.right) {
    left = anchor.right;
  } else if (anchor.left - size.cx >= work.left) {
    left = anchor.left - size.cx;
  }
  left = std::max<int>(work.left, left);
  const int top = std::max<int>(work.top, std::min<int>(anchor.top, work.bottom - size.cy));
  SetWindowPos(window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::vector<ControlRow> WindowMonitor::Table() const {
  return MonitorTable();
}

SIZE WindowMonitor::ClientTwips() const {
  return {kClientWidth, kClientHeight};
}

void WindowMonitor::AfterLayout(bool) {
  UniqueFont list_font = CreatePointFont(L"Courier New", 9, dpi());
  HWND list = GetDlgItem(hwnd(), kMonitorList);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(list_font.get()), TRUE);
  // Wide enough for long titles, which the list scrolls sideways to.
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(TwipsToPixels(30000, dpi())), 0);
  // The old font goes only now that the list uses the new one.
  list_font_ = std::move(list_font);
}

void WindowMonitor::Show(HINSTANCE instance, HWND main) {
  if (hwnd()) {
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    SetForegroundWindow(hwnd());
    return;
  }
  // Owned by the main window, so that the main window never covers it where the screen has
  // no room beside it.
  if (!CreateModeless(instance, kMonitorClass, kModelessDialogStyle, WideToUtf8(kMonitorCaption),
                      main)) {
    return;
  }
  CheckDlgButton(hwnd(), CommandId(QuilletCommand::kMonitorVisibleOnly), BST_CHECKED);
  PlaceBesideMainWindow(hwnd(), main, OuterSize());
  Refresh();
  SetTimer(hwnd(), kTimerId, kMonitorIntervalMs, nullptr);
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  // At start-up the main window comes to the front after this; the monitor follows it there
  // once the program waits for input, without taking the focus.
  PostMessageW(hwnd(), kRaiseMessage, 0, 0);
}

void WindowMonitor::Refresh() {
  if (!hwnd()) return;
  HWND list = GetDlgItem(hwnd(), kMonitorList);
  if (lines) {
    const bool visible_only =
        IsDlgButtonChecked(hwnd(), CommandId(QuilletCommand::kMonitorVisibleOnly)) == BST_CHECKED;
    const std::vector<std::string> text = lines(visible_only);
    // Refilled in one go, staying where the user has scrolled to.
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : text) {
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(line).c_str()));
    }
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max<LRESULT>(top, 0)), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  if (caption) {
    if (const std::optional<std::string> text = caption(hwnd())) {
      if (GetWindowTextUtf8(hwnd()) != *text) SetWindowTextUtf8(hwnd(), *text);
    }
  }
}

std::optional<LRESULT> WindowMonitor::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message != kRaiseMessage) return std::nullopt;
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return 0;
}

void WindowMonitor::OnTimer(UINT_PTR id) {
  if (id == kTimerId) Refresh();
}

bool WindowMonitor::OnCommand(int id, int code) {
  switch (static_cast<QuilletCommand>(id)) {
    case QuilletCommand::kMonitorVisibleOnly:
      if (code == BN_CLICKED) Refresh();
      return true;
    case QuilletCommand::kMonitorExit:
      Destroy();
      return true;
    default:
      return false;
  }
}

}  // namespace qm
