// The window-title debugger: a modeless dialog of our own class, built from a table in twips.
#include "quillet/diag/debugger_window_win32.h"

#include <algorithm>

#include "platform/utf16_win32.h"
#include "quillet/diag/debugger.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

// Twips: the list across the top, the hint below it, then the three buttons at full width.
constexpr int kClientWidth = 6000, kClientHeight = 5220;

std::vector<ControlRow> DebuggerTable() {
  std::vector<ControlRow> rows = {
      {kDebuggerList, L"LISTBOX", "",
       LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER |
           WS_TABSTOP,
       120, 120, 5760, 2400},
      {kDebuggerLabel, L"STATIC", kDebuggerHint, SS_LEFT | SS_NOPREFIX, 120, 2640, 5760, 960},
  };
  constexpr QuilletCommand kButtons[] = {QuilletCommand::kDebuggerIgnore,
                                         QuilletCommand::kDebuggerEditFile,
                                         QuilletCommand::kDebuggerClose};
  for (int i = 0; i < 3; ++i) {
    rows.push_back({CommandId(kButtons[i]), L"BUTTON", kDebuggerButtons[i],
                    BS_PUSHBUTTON | WS_TABSTOP, 120, 3720 + 480 * i, 5760, 420});
  }
  return rows;
}

}  // namespace

std::vector<ControlRow> DebuggerWindow::Table() const {
  return DebuggerTable();
}

SIZE DebuggerWindow::ClientTwips() const {
  return {kClientWidth, kClientHeight};
}

void DebuggerWindow::Show(HINSTANCE instance, HWND main, const std::string& caption,
                          const std::vector<DebuggerRow>& rows) {
  if (hwnd()) {
    SetRows(rows);
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return;
  }
  // Owned by no window: it stays open while the main window hides, with a taskbar button.
  if (!CreateModeless(instance, kDebuggerClass, kModelessDialogStyle, caption, nullptr)) return;
  SetRows(rows);
  PlaceNearMainWindow(hwnd(), main, OuterSize());
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(GetDlgItem(hwnd(), kDebuggerList));
}

void DebuggerWindow::SetRows(const std::vector<DebuggerRow>& rows) {
  if (!hwnd()) return;
  const std::optional<std::string> marked = Marked();
  rows_ = rows;
  HWND list = GetDlgItem(hwnd(), kDebuggerList);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int reselect = -1;
  // The notes make lines longer than the list is wide: it scrolls sideways to the longest.
  LONG widest = 0;
  HDC dc = GetDC(list);
  {
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const std::wstring line = Utf8ToWide(DebuggerLine(rows_[i]));
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
      SIZE size{};
      if (GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size)) {
        widest = std::max(widest, size.cx);
      }
      if (reselect < 0 && marked && rows_[i].title == *marked) reselect = static_cast<int>(i);
    }
  }
  ReleaseDC(list, dc);
  SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
  if (reselect >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(reselect), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

std::optional<std::string> DebuggerWindow::Marked() const {
  if (!hwnd()) return std::nullopt;
  const LRESULT pos = SendDlgItemMessageW(hwnd(), kDebuggerList, LB_GETCURSEL, 0, 0);
  if (pos < 0 || static_cast<std::size_t>(pos) >= rows_.size()) return std::nullopt;
  return rows_[static_cast<std::size_t>(pos)].title;
}

bool DebuggerWindow::OnCommand(int id, int) {
  switch (static_cast<QuilletCommand>(id)) {
    case QuilletCommand::kDebuggerIgnore:
      if (on_ignore) on_ignore(Marked());
      return true;
    case QuilletCommand::kDebuggerEditFile:
      if (on_edit_data_file) on_edit_data_file();
      return true;
    case QuilletCommand::kDebuggerClose:
      Destroy();
      return true;
    default:
      return false;
  }
}

}  // namespace qm
