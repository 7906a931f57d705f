// The fields' form: its table of labels and controls from the plan, the values read back, the
// keys that confirm from a multi-line field, and the scrolling of a form taller than the screen.
#include "quillet/fill/field_form_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/keyboard_win32.h"
#include "platform/utf16_win32.h"
#include "quillet/fill/field_form_layout.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

constexpr UINT_PTR kLinesSubclass = 1;
constexpr int kChoiceItemHeight = 255;  // twips per item of an open drop-down list
constexpr std::size_t kChoiceItemsShown = 10;

HWND HandleOf(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

FormBox CaretOrMouse(HWND window) {
  const RECT r = CaretOrMouseOnScreen(window);
  return {r.left, r.top, r.right, r.bottom};
}

FormBox WorkAreaAt(const FormBox& anchor) {
  const RECT at{anchor.left, anchor.top, anchor.right, anchor.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromRect(&at, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& w = monitor.rcWork;
  return {w.left, w.top, w.right, w.bottom};
}

// A check box's text takes "&" as the mark of an access key; a field's name is only text.
std::string WithoutAccessKeys(const std::string& text) {
  std::string out;
  for (const char c : text) out += c == '&' ? std::string("&&") : std::string(1, c);
  return out;
}

class FieldForm final : public WindowFrame {
 public:
  FieldForm(const FieldRequest& request, FormBox anchor)
      : request_(request), anchor_(anchor), work_(WorkAreaAt(anchor)) {}
  const FieldValues& values() const { return values_; }

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override { return {kFormClientWidth, visible_height_}; }
  int DpiAtCreation() const override;
  void BeforeLayout(HFONT font) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool OnDpiChanged(const RECT& suggested) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  static LRESULT CALLBACK LinesProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR form);

  const SnippetField& field(std::size_t i) const { return request_.fields[i]; }
  std::size_t StartChoice(std::size_t i) const;
  SIZE OuterPixels() const;
  void SetScrollRange();
  void ScrollTo(int pixels);
  void ScrollIntoView(int id);
  void ReadValues();

  const FieldRequest& request_;
  FormBox anchor_, work_;
  FieldFormPlan plan_;
  int visible_height_ = 0;  // twips of the plan the client area shows
  bool scrolls_ = false;
  int scroll_ = 0;  // pixels the fields are scrolled up by
  FieldValues values_;
};

// The form takes the DPI of the monitor it will stand on.
int FieldForm::DpiAtCreation() const {
  SetWindowPos(hwnd(), nullptr, work_.left, work_.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return WindowDpi(hwnd());
}

// The label column from the widest label, each label's and check box's lines, and how much of
// the plan fits the work area below the caption.
void FieldForm::BeforeLayout(HFONT font) {
  int widest = 0;
  {
    WindowDc dc(hwnd());
    SelectedObject selected(dc.get(), font);
    for (const SnippetField& f : request_.fields) {
      if (f.kind == FieldKind::kOptional || !dc.get()) continue;
      const std::wstring label = Utf8ToWide(f.name + ":");
      RECT r{};
      DrawTextW(dc.get(), label.c_str(), static_cast<int>(label.size()), &r,
                DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      widest = std::max(widest, MulDiv(r.right - r.left, kTwipsPerInch, dpi()) + 30);
    }
  }
  const int label_width = FormLabelWidth(widest);
  std::vector<int> heights;
  for (const SnippetField& f : request_.fields) {
    heights.push_back(
        f.kind == FieldKind::kOptional
            ? WrappedTextHeight(hwnd(), font, f.name, FormCheckTextWidth(label_width), dpi())
            : WrappedTextHeight(hwnd(), font, f.name + ":", label_width, dpi()));
  }
  plan_ = PlanFieldForm(request_.fields, label_width, heights);
  const int frame = WindowSizeForClient(hwnd(), 0, 0, dpi()).cy;
  const int room = MulDiv(work_.height() - frame, kTwipsPerInch, dpi());
  scrolls_ = plan_.height > room;
  visible_height_ = scrolls_ ? std::max(room, kFormMargin) : plan_.height;
}

std::size_t FieldForm::StartChoice(std::size_t i) const {
  const std::vector<std::string>& choices = field(i).choices;
  const std::string& start = i < request_.start.size() ? request_.start[i].text : choices[0];
  const auto it = std::find(choices.begin(), choices.end(), start);
  return it == choices.end() ? 0 : static_cast<std::size_t>(it - choices.begin());
}

// In the fields' order, each label before its control, which is also the order of the Tab
// key and the one in which a screen reader names a control by the label before it.
std::vector<ControlRow> FieldForm::Table() const {
  std::vector<ControlRow> table;
  const DWORD tab = WS_TABSTOP | WS_GROUP;
  for (std::size_t i = 0; i < request_.fields.size(); ++i) {
    const SnippetField& f = field(i);
    const FieldRowPlan& row = plan_.rows[i];
    const int id = kFieldControlId + static_cast<int>(i);
    const std::string start = i < request_.start.size() ? request_.start[i].text : "";
    if (f.kind != FieldKind::kOptional) {
      table.push_back({kFieldLabelId + static_cast<int>(i), WC_STATICW, f.name + ":",
                       SS_LEFT | SS_NOPREFIX | WS_GROUP, plan_.label_left, row.label_top,
                       plan_.label_width, row.label_height});
    }
    const int left = plan_.control_left, width = plan_.control_width;
    switch (f.kind) {
      case FieldKind::kLine:
        table.push_back({id, WC_EDITW, start, ES_AUTOHSCROLL | WS_BORDER | tab, left, row.top,
                         width, row.control_height});
        break;
      case FieldKind::kLines:
        table.push_back(
            {id, WC_EDITW, start,
             ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | tab, left,
             row.top, width, row.control_height});
        break;
      case FieldKind::kChoice: {
        // The row's height is the list's when it is open; closed, the font sets it.
        const std::size_t shown = std::clamp<std::size_t>(f.choices.size(), 1, kChoiceItemsShown);
        table.push_back({id, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | tab, left, row.top,
                         width,
                         row.control_height + static_cast<int>(shown) * kChoiceItemHeight + 60});
        break;
      }
      case FieldKind::kOptional:
        table.push_back({id, WC_BUTTONW, WithoutAccessKeys(f.name),
                         BS_AUTOCHECKBOX | BS_MULTILINE | BS_NOTIFY | tab, left, row.top, width,
                         row.control_height});
        break;
    }
  }
  table.push_back({IDOK, WC_BUTTONW, "OK", BS_DEFPUSHBUTTON | BS_NOTIFY | tab, plan_.ok_left,
                   plan_.buttons_top, kFormButtonWidth, kFormButtonHeight});
  table.push_back({IDCANCEL, WC_BUTTONW, "Abbrechen", BS_PUSHBUTTON | BS_NOTIFY | tab,
                   plan_.cancel_left, plan_.buttons_top, kFormButtonWidth, kFormButtonHeight});
  return table;
}

void FieldForm::OnCreate() {
  for (std::size_t i = 0; i < request_.fields.size(); ++i) {
    HWND control = GetDlgItem(hwnd(), kFieldControlId + static_cast<int>(i));
    const SnippetField& f = field(i);
    if (f.kind == FieldKind::kLine || f.kind == FieldKind::kLines) {
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no cut at 32,767 characters
    }
    if (f.kind == FieldKind::kLines) {
      SetWindowSubclass(control, LinesProc, kLinesSubclass, reinterpret_cast<DWORD_PTR>(this));
    } else if (f.kind == FieldKind::kChoice) {
      for (const std::string& choice : f.choices) {
        SendMessageW(control, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Utf8ToWide(choice).c_str()));
      }
      if (!f.choices.empty()) SendMessageW(control, CB_SETCURSEL, StartChoice(i), 0);
    } else if (f.kind == FieldKind::kOptional && i < request_.start.size() &&
               request_.start[i].ticked) {
      SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }
  }
  SetScrollRange();
  const SIZE outer = OuterPixels();
  const FormBox place = PlaceFieldForm(anchor_, work_, outer.cx, outer.cy);
  // Topmost, as the picker: the form waits for the user, and nothing may cover it.
  SetWindowPos(hwnd(), HWND_TOPMOST, place.left, place.top, place.width(), place.height(),
               SWP_NOACTIVATE);
  HWND first =
      request_.fields.empty() ? GetDlgItem(hwnd(), IDOK) : GetDlgItem(hwnd(), kFieldControlId);
  SetFocus(first);
  if (!request_.fields.empty() && request_.fields[0].kind == FieldKind::kLine) {
    SendMessageW(first, EM_SETSEL, 0, -1);
  }
  // A tray program usually has no active window; the form must not open behind another one.
  SetForegroundWindow(hwnd());
}

SIZE FieldForm::OuterPixels() const {
  SIZE outer = OuterSize();
  if (scrolls_) outer.cx += MulDiv(GetSystemMetrics(SM_CXVSCROLL), dpi(), 96);
  return outer;
}

void FieldForm::SetScrollRange() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = scrolls_ ? TwipsToPixels(plan_.height, dpi()) - 1 : 0;
  info.nPage = static_cast<UINT>(scrolls_ ? TwipsToPixels(visible_height_, dpi()) : 0);
  info.nPos = scroll_;
  SetScrollInfo(hwnd(), SB_VERT, &info, TRUE);
  ShowScrollBar(hwnd(), SB_VERT, scrolls_);
}

void FieldForm::ScrollTo(int pixels) {
  if (!scrolls_) return;
  const int most = TwipsToPixels(plan_.height, dpi()) - TwipsToPixels(visible_height_, dpi());
  pixels = std::clamp(pixels, 0, std::max(0, most));
  if (pixels == scroll_) return;
  ScrollWindowEx(hwnd(), 0, scroll_ - pixels, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  scroll_ = pixels;
  SetScrollPos(hwnd(), SB_VERT, scroll_, TRUE);
}

// A field reached by Tab comes into view with its label.
void FieldForm::ScrollIntoView(int id) {
  if (!scrolls_) return;
  RECT r{};
  GetWindowRect(GetDlgItem(hwnd(), id), &r);
  if (HWND label = GetDlgItem(hwnd(), id - kFieldControlId + kFieldLabelId);
      label && id >= kFieldControlId) {
    RECT l{};
    GetWindowRect(label, &l);
    UnionRect(&r, &r, &l);
  }
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int margin = TwipsToPixels(kFormMargin, dpi());
  if (r.top < margin) {
    ScrollTo(scroll_ + r.top - margin);
  } else if (r.bottom > client.bottom - margin) {
    ScrollTo(scroll_ + r.bottom - client.bottom + margin);
  }
}

void FieldForm::ReadValues() {
  values_.clear();
  for (std::size_t i = 0; i < request_.fields.size(); ++i) {
    HWND control = GetDlgItem(hwnd(), kFieldControlId + static_cast<int>(i));
    const SnippetField& f = field(i);
    FieldValue value;
    if (f.kind == FieldKind::kChoice) {
      const LRESULT sel = SendMessageW(control, CB_GETCURSEL, 0, 0);
      if (sel >= 0 && static_cast<std::size_t>(sel) < f.choices.size()) value.text = f.choices[sel];
    } else if (f.kind == FieldKind::kOptional) {
      value.ticked = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    } else {
      value.text = GetWindowTextUtf8(control);
    }
    values_.push_back(std::move(value));
  }
}

bool FieldForm::OnCommand(int id, int code) {
  const bool is_field =
      id >= kFieldControlId && id < kFieldControlId + static_cast<int>(request_.fields.size());
  const bool button = id == IDOK || id == IDCANCEL ||
                      (is_field && field(id - kFieldControlId).kind == FieldKind::kOptional);
  if ((button && code == BN_SETFOCUS) ||
      (is_field && (code == EN_SETFOCUS || code == CBN_SETFOCUS) && !button)) {
    ScrollIntoView(id);
    return true;
  }
  if (id == IDOK && code == BN_CLICKED) {
    ReadValues();
    EndModal(IDOK);
    return true;
  }
  // Esc, "Abbrechen" and the close box end the form through the frame.
  return id != IDCANCEL || code != BN_CLICKED;
}

bool FieldForm::OnDpiChanged(const RECT& suggested) {
  // The table is placed anew at the new DPI, unscrolled, for the work area of the monitor
  // the form has come to.
  ScrollTo(0);
  work_ = WorkAreaAt({suggested.left, suggested.top, suggested.right, suggested.bottom});
  Layout(false);
  SetScrollRange();
  const SIZE outer = OuterPixels();
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

std::optional<LRESULT> FieldForm::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  const int line = TwipsToPixels(kFormLineHeight, dpi());
  if (message == WM_MOUSEWHEEL) {
    ScrollTo(scroll_ - GET_WHEEL_DELTA_WPARAM(wparam) * 3 * line / WHEEL_DELTA);
    return 0;
  }
  if (message != WM_VSCROLL) return std::nullopt;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(hwnd(), SB_VERT, &info);
  const int page = static_cast<int>(info.nPage);
  switch (LOWORD(wparam)) {
    case SB_LINEUP:
      ScrollTo(scroll_ - line);
      break;
    case SB_LINEDOWN:
      ScrollTo(scroll_ + line);
      break;
    case SB_PAGEUP:
      ScrollTo(scroll_ - page);
      break;
    case SB_PAGEDOWN:
      ScrollTo(scroll_ + page);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(info.nMax);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      ScrollTo(info.nTrackPos);
      break;
    default:
      break;
  }
  return 0;
}

// Inside a multi-line field Enter breaks the line and Ctrl+Enter confirms the form.
LRESULT CALLBACK FieldForm::LinesProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR form) {
  if (message == WM_KEYDOWN && wparam == VK_RETURN && GetKeyState(VK_CONTROL) < 0) {
    HWND dialog = reinterpret_cast<FieldForm*>(form)->hwnd();
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, LinesProc, kLinesSubclass);
  return DefSubclassProc(edit, message, wparam, lparam);
}

// The program's asker: the caption and the start values filled in, the values kept for the
// next send, and the Enter that confirmed the form let go before the sender types.
class Win32FieldAsker : public FieldAsker {
 public:
  Win32FieldAsker(HINSTANCE instance, UserSettings& settings, Pause& pause, CaptionOf caption)
      : instance_(instance), settings_(settings), pause_(pause), caption_(std::move(caption)) {}
  std::optional<FieldValues> Ask(const FieldRequest& request) override {
    FieldRequest asked = request;
    if (caption_) asked.caption = caption_(request.entry_name);
    asked.start = StartValues(settings_, request.entry_name, request.fields, request.enciphered);
    std::optional<FieldValues> values = AskFields(instance_, asked);
    if (!values) return values;
    RememberValues(settings_, request.entry_name, request.fields, *values, request.enciphered);
    if (!WaitForEnterRelease(pause_)) return std::nullopt;  // the program ends: nothing typed
    return values;
  }

 private:
  HINSTANCE instance_;
  UserSettings& settings_;
  Pause& pause_;
  CaptionOf caption_;
};

}  // namespace

std::optional<FieldValues> AskFields(HINSTANCE instance, const FieldRequest& request) {
  HWND came_from = HandleOf(request.came_from);
  FieldForm form(request, request.anchor ? *request.anchor : CaretOrMouse(came_from));
  const INT_PTR result =
      form.RunModal(instance, kFieldFormClass,
                    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                    request.caption, nullptr);
  if (result == IDOK) return form.values();
  if (came_from && IsWindow(came_from)) SetForegroundWindow(came_from);
  return std::nullopt;
}

std::unique_ptr<FieldAsker> MakeWin32FieldAsker(HINSTANCE instance, UserSettings& settings,
                                               Pause& pause, CaptionOf caption) {
  return std::make_unique<Win32FieldAsker>(instance, settings, pause, std::move(caption));
}

}  // namespace qm
