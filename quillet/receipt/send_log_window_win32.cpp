// The send log's viewer: a modeless dialog of our own class with a virtual list view, so that
// a log of 10,000 sends opens at once; its rows are asked for only as they come into view.
#include "quillet/receipt/send_log_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/utf16_win32.h"
#include "quillet/commands.h"
#include "ui/layout_anchors.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

// Twips: the filter and the note across the top, the list, the buttons below it.
constexpr int kClientWidth = 9600, kClientHeight = 5400;
// The columns' widths in twips, in the order of the log's columns and the title's last.
constexpr int kColumnTwips[] = {1740, 1500, 1320, 1740, 780, 780, 1200, 2400};
constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;

std::vector<ControlRow> SendLogTable() {
  const unsigned below = kFollowsBottom;
  return {
      {kSendLogFilterLabel, WC_STATICW, "&Ergebnis:", SS_LEFT | WS_GROUP, 120, 165, 900, 240},
      {kSendLogFilter, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | kTab, 1080, 120, 2160,
       2400},
      {kSendLogNote, WC_STATICW, "", SS_LEFT | SS_NOPREFIX | WS_GROUP, 3420, 165, 6060, 240,
       kGrowsWide},
      {kSendLogList, WC_LISTVIEWW, "",
       LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER | kTab, 120, 540, 9360, 4200,
       kGrowsWide | kGrowsTall},
      {CommandId(QuilletCommand::kSendLogCopy), WC_BUTTONW, "&Kopieren", BS_PUSHBUTTON | kTab, 120,
       4860, 1500, 375, below},
      {CommandId(QuilletCommand::kSendLogOpenFolder), WC_BUTTONW, "&Ordner öffnen",
       BS_PUSHBUTTON | kTab, 1740, 4860, 1800, 375, below},
      {CommandId(QuilletCommand::kSendLogRefresh), WC_BUTTONW, "&Aktualisieren",
       BS_PUSHBUTTON | kTab, 3660, 4860, 1680, 375, below},
      {CommandId(QuilletCommand::kSendLogClose), WC_BUTTONW, "&Schließen", BS_PUSHBUTTON | kTab,
       7980, 4860, 1500, 375, below | kFollowsRight},
  };
}

}  // namespace

std::vector<ControlRow> SendLogWindow::Table() const {
  return SendLogTable();
}

SIZE SendLogWindow::ClientTwips() const {
  return {kClientWidth, kClientHeight};
}

void SendLogWindow::Show(HINSTANCE instance, HWND main, const std::string& caption,
                         const SendLogWindowServices& services) {
  s_.emplace(services);
  if (hwnd()) {
    Reload();
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    return;
  }
  // Made anew: nothing of the last one's columns and size stays.
  laid_out_ = false;
  column_count_ = 0;
  grown_ = {0, 0};
  // Owned by no window: it stays open while the main window hides, with a taskbar button.
  const DWORD style = kModelessDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;
  if (!CreateModeless(instance, kSendLogClass, style, caption, nullptr)) return;
  Reload();
  PlaceNearMainWindow(hwnd(), main, OuterSize());
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(GetDlgItem(hwnd(), kSendLogList));
}

void SendLogWindow::OnCreate() {
  HWND list = GetDlgItem(hwnd(), kSendLogList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  HWND filter = GetDlgItem(hwnd(), kSendLogFilter);
  for (const char* choice : kSendLogFilters) {
    const std::wstring text = Utf8ToWide(choice);
    SendMessageW(filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  SendMessageW(filter, CB_SETCURSEL, 0, 0);
  laid_out_ = true;
}

void SendLogWindow::Reload() {
  if (!hwnd() || !s_) return;
  const std::string path = s_->log_path ? s_->log_path() : std::string();
  // A missing log, or one that cannot be read now, is an empty list with its note, never an
  // error: the viewer changes nothing.
  view_.Load(path.empty() ? std::nullopt : s_->fs.ReadAll(path));
  ShowColumns();
  ShowRows();
}

void SendLogWindow::ShowColumns() {
  HWND list = GetDlgItem(hwnd(), kSendLogList);
  const std::vector<std::string> columns = view_.Columns();
  if (static_cast<int>(columns.size()) == column_count_) return;
  while (column_count_ > 0) SendMessageW(list, LVM_DELETECOLUMN, --column_count_, 0);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::wstring text = Utf8ToWide(columns[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = i == 5 ? LVCFMT_RIGHT : LVCFMT_LEFT;  // the characters, a number
    column.cx = TwipsToPixels(kColumnTwips[std::min(i, std::size(kColumnTwips) - 1)], dpi());
    column.pszText = text.data();
    column.iSubItem = static_cast<int>(i);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  column_count_ = static_cast<int>(columns.size());
}

void SendLogWindow::ShowRows() {
  HWND list = GetDlgItem(hwnd(), kSendLogList);
  // The rows are new: no old selection may stand for one of them.
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  SendMessageW(list, LVM_SETITEMCOUNT, view_.RowCount(), 0);
  if (view_.RowCount() > 0) SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
  InvalidateRect(list, nullptr, TRUE);
  SetWindowTextUtf8(GetDlgItem(hwnd(), kSendLogNote), view_.Note());
  FollowSelection();
}

void SendLogWindow::FollowSelection() {
  const LRESULT selected = SendDlgItemMessageW(hwnd(), kSendLogList, LVM_GETSELECTEDCOUNT, 0, 0);
  EnableWindow(GetDlgItem(hwnd(), CommandId(QuilletCommand::kSendLogCopy)), selected > 0);
}

void SendLogWindow::Copy() {
  HWND list = GetDlgItem(hwnd(), kSendLogList);
  std::vector<std::size_t> rows;
  for (LRESULT i = -1; (i = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                         LVNI_SELECTED)) >= 0;) {
    rows.push_back(static_cast<std::size_t>(i));
  }
  const std::string text = view_.CopyText(rows);
  if (text.empty() || !s_) return;
  if (!s_->clipboard.WriteText(text)) MessageBeep(MB_ICONEXCLAMATION);
}

void SendLogWindow::OpenFolder() {
  if (!s_ || !s_->log_path) return;
  const std::string path = s_->log_path();
  if (path.empty()) return;
  // As the Options open the data file's folder: the file manager with the log selected, or
  // the folder alone while there is no log yet.
  if (s_->fs.Stat(path).exists) {
    s_->shell.Run(FileManagerCommand(path));
  } else {
    s_->shell.Open(path.substr(0, path.find_last_of('\\')), ShowMode::kNormal);
  }
}

bool SendLogWindow::OnCommand(int id, int code) {
  if (id == kSendLogFilter) {
    if (code == CBN_SELCHANGE) {
      view_.SetFilter(
          static_cast<int>(SendDlgItemMessageW(hwnd(), kSendLogFilter, CB_GETCURSEL, 0, 0)));
      ShowRows();
    }
    return true;
  }
  switch (static_cast<QuilletCommand>(id)) {
    case QuilletCommand::kSendLogCopy:
      Copy();
      return true;
    case QuilletCommand::kSendLogOpenFolder:
      OpenFolder();
      return true;
    case QuilletCommand::kSendLogRefresh:
      Reload();
      return true;
    case QuilletCommand::kSendLogClose:
      Destroy();
      return true;
    default:
      return false;
  }
}

void SendLogWindow::AfterLayout(bool created) {
  if (created) return;
  // The columns keep their share of the list at the new DPI.
  HWND list = GetDlgItem(hwnd(), kSendLogList);
  for (int i = 0; i < column_count_; ++i) {
    const int twips = kColumnTwips[std::min<std::size_t>(i, std::size(kColumnTwips) - 1)];
    SendMessageW(list, LVM_SETCOLUMNWIDTH, i, TwipsToPixels(twips, dpi()));
  }
}

std::optional<LRESULT> SendLogWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE: {
      if (!laid_out_ || wparam == SIZE_MINIMIZED) return std::nullopt;
      const LONG width = LOWORD(lparam), height = HIWORD(lparam);
      grown_ = {std::max(0L, width - TwipsToPixels(kClientWidth, dpi())),
                std::max(0L, height - TwipsToPixels(kClientHeight, dpi()))};
      PlaceControls(hwnd(), Table(), dpi(), nullptr, grown_);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // Never smaller than planned at the window's DPI.
      const SIZE least = OuterSize();
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom != static_cast<UINT_PTR>(kSendLogList)) return std::nullopt;
      if (header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lparam)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
          const std::wstring text = Utf8ToWide(view_.Cell(static_cast<std::size_t>(item.iItem),
                                                          static_cast<std::size_t>(item.iSubItem)));
          lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
        return 0;
      }
      if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) {
        FollowSelection();
        return 0;
      }
      if (header->code == LVN_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000)) {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lparam)->wVKey;
        if (key == 'C') Copy();
        if (key == 'A') {
          LVITEMW all{};
          all.state = all.stateMask = LVIS_SELECTED;
          SendMessageW(header->hwndFrom, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(&all));
        }
        return 0;
      }
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace qm
