// The picker window: its controls, the search at every keystroke, the keys that move the
// list from the search field, and its place at the user's caret.
#include "quillet/pick/picker_window_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/utf16_win32.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"

namespace qm {
namespace {

// Twips: the search field across the top, the list below it and the preview at the bottom,
// each under its label.
constexpr int kClientWidth = 5400, kClientHeight = 5040;
constexpr UINT_PTR kSearchSubclass = 1;
constexpr UINT_PTR kWarmUpTimer = 1;

}  // namespace

PickerWindow::~PickerWindow() {
  Destroy();
}

bool PickerWindow::Create(HINSTANCE instance, const std::string& caption, HWND owner) {
  if (hwnd()) return true;
  // Owned, so that the taskbar shows no button for a window that is gone again in a moment.
  return CreateModeless(instance, kPickerClass, WS_POPUP | WS_CAPTION | WS_SYSMENU, caption,
                        owner);
}

void PickerWindow::EnsureControls() {
  if (controls_made_) return;
  controls_made_ = true;
  Layout(true);
  SetWindowSubclass(GetDlgItem(hwnd(), kPickerSearch), SearchProc, kSearchSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  // Dialog units: about two thirds of the list's width.
  const int stop = 150;
  SendDlgItemMessageW(hwnd(), kPickerList, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
}

std::vector<ControlRow> PickerWindow::Table() const {
  if (!controls_made_) return {};
  const DWORD tab = WS_TABSTOP | WS_GROUP;
  return {
      {kPickerSearchLabel, WC_STATICW, "&Suchen:", SS_LEFT | WS_GROUP, 120, 150, 900, 240},
      {kPickerSearch, WC_EDITW, "", ES_AUTOHSCROLL | WS_BORDER | tab, 1020, 105, 4260, 330},
      {kPickerListLabel, WC_STATICW, "&Treffer:", SS_LEFT | WS_GROUP, 120, 540, 2400, 240},
      // Without scroll bars: under Wine each update of one costs milliseconds, and the list
      // changes at every keystroke. The keys and the mouse wheel scroll it all the same. Its
      // height is whole rows; an abbreviation stands at the tab stop beside its name.
      {kPickerList, WC_LISTBOXW, "", LBS_NOTIFY | LBS_USETABSTOPS | WS_BORDER | tab, 120, 780,
       5160, 2280},
      {kPickerPreviewLabel, WC_STATICW, "&Vorschau:", SS_LEFT | WS_GROUP, 120, 3180, 2400, 240},
      {kPickerPreview, WC_EDITW, "",  // the same for its scroll bar
       ES_MULTILINE | ES_READONLY | WS_BORDER | tab, 120, 3420,
       5160, 1500},
  };
}

SIZE PickerWindow::ClientTwips() const {
  return {kClientWidth, kClientHeight};
}

void PickerWindow::OnCreate() {
  SetClientSize(hwnd(), kClientWidth, kClientHeight, dpi(), 0, 0);
}

void PickerWindow::Open(PickIndex& index, std::shared_ptr<const IniDocument> doc,
                        const ScreenRect& anchor) {
  EnsureControls();
  index_ = &index;
  doc_ = std::move(doc);
  // Onto the anchor's monitor first: there the window takes that monitor's DPI and size.
  const RECT at{anchor.left, anchor.top, anchor.right, anchor.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromRect(&at, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& w = monitor.rcWork;
  SetWindowPos(hwnd(), nullptr, w.left, w.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const SIZE size = WindowSizeForClient(hwnd(), kClientWidth, kClientHeight, dpi());
  const ScreenRect place =
      PlacePicker(anchor, ScreenRect{w.left, w.top, w.right, w.bottom}, size.cx, size.cy);
  SetWindowPos(hwnd(), HWND_TOPMOST, place.left, place.top, place.width(), place.height(),
               SWP_NOACTIVATE);

  HWND search = GetDlgItem(hwnd(), kPickerSearch);
  open_ = false;  // setting the text is no keystroke of the user's
  SetWindowTextW(search, L"");
  Refill();
  open_ = true;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(search);
}

void PickerWindow::Close() {
  open_ = false;
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

void PickerWindow::Refill() {
  HWND list = GetDlgItem(hwnd(), kPickerList);
  const std::vector<std::size_t> matches =
      index_ ? index_->Search(GetWindowTextUtf8(GetDlgItem(hwnd(), kPickerSearch)))
             : std::vector<std::size_t>{};
  shown_.assign(matches.begin(),
                matches.begin() + static_cast<std::ptrdiff_t>(
                                      std::min(matches.size(), kPickerShownMatches)));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  SendMessageW(list, LB_INITSTORAGE, shown_.size(), shown_.size() * 64);
  for (std::size_t i : shown_) {
    const PickEntry& entry = index_->entries()[i];
    // A tab in a name would move its abbreviation; it shows as a blank.
    std::wstring item = Utf8ToWide(entry.name);
    std::replace(item.begin(), item.end(), L'\t', L' ');
    if (!entry.abbreviation.empty()) item += L"\t" + Utf8ToWide(entry.abbreviation);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  // "Keine Treffer" is said, not offered: the list takes no selection then.
  if (shown_.empty()) {
    SendMessageW(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf8ToWide(kPickerNoMatch).c_str()));
  }
  EnableWindow(list, !shown_.empty());
  SendMessageW(list, LB_SETCURSEL, shown_.empty() ? -1 : 0, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowPreview();
}

void PickerWindow::ShowPreview() {
  const LRESULT sel = SendDlgItemMessageW(hwnd(), kPickerList, LB_GETCURSEL, 0, 0);
  std::string preview;
  if (sel >= 0 && static_cast<std::size_t>(sel) < shown_.size() && doc_) {
    const std::string key = std::to_string(index_->entries()[shown_[sel]].number);
    const bool enciphered = NumericValue(doc_->Find("Crypt", key).value_or("")) != 0;
    preview = PreviewText(
        enciphered ? std::string() : UnescapeStoredText(doc_->Find("Text", key).value_or("")),
        enciphered);
  }
  SetWindowTextUtf8(GetDlgItem(hwnd(), kPickerPreview), preview);
}

void PickerWindow::Choose() {
  const LRESULT sel = SendDlgItemMessageW(hwnd(), kPickerList, LB_GETCURSEL, 0, 0);
  if (!open_ || sel < 0 || static_cast<std::size_t>(sel) >= shown_.size()) return;
  const PickEntry entry = index_->entries()[shown_[sel]];
  Close();
  if (on_chosen) on_chosen(entry.number, entry.name);
}

void PickerWindow::Cancel(bool give_back) {
  if (!open_) return;
  Close();
  if (on_cancelled) on_cancelled(give_back);
}

bool PickerWindow::OnCommand(int id, int code) {
  switch (id) {
    case IDOK:
      Choose();
      return true;
    case IDCANCEL:
      Cancel(true);
      return true;
    case kPickerSearch:
      if (code == EN_CHANGE && open_) Refill();
      return true;
    case kPickerList:
      if (code == LBN_SELCHANGE) ShowPreview();
      if (code == LBN_DBLCLK) Choose();
      return true;
    default:
      return false;
  }
}

void PickerWindow::WarmUpLater(unsigned ms) {
  if (hwnd()) SetTimer(hwnd(), kWarmUpTimer, ms, nullptr);
}

void PickerWindow::OnTimer(UINT_PTR id) {
  if (id != kWarmUpTimer) return;
  KillTimer(hwnd(), kWarmUpTimer);
  if (on_warm_up) on_warm_up();
}

bool PickerWindow::OnClose() {
  Cancel(true);
  return true;
}

std::optional<LRESULT> PickerWindow::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_HOTKEY) {
    if (on_hotkey) on_hotkey();
    return 0;
  }
  // A click into another window leaves that window in front.
  if (message == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE) Cancel(false);
  return std::nullopt;
}

LRESULT CALLBACK PickerWindow::SearchProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR self) {
  if (message == WM_KEYDOWN && (wparam == VK_UP || wparam == VK_DOWN || wparam == VK_PRIOR ||
                                wparam == VK_NEXT)) {
    // The list moves while the focus stays in the search field.
    auto* picker = reinterpret_cast<PickerWindow*>(self);
    SendDlgItemMessageW(picker->hwnd(), kPickerList, WM_KEYDOWN, wparam, lparam);
    picker->ShowPreview();
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, SearchProc, kSearchSubclass);
  return DefSubclassProc(edit, message, wparam, lparam);
}

}  // namespace qm
