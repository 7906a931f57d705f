// The programs' own input box: a prompt, one line of text, "OK" and "Abbrechen".
#include "ui/input_box_win32.h"

#include <algorithm>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

// Twips. The prompt is planned for two lines of the message font; a longer one grows.
constexpr int kClientWidth = 6240, kMargin = 180, kInnerWidth = kClientWidth - 2 * kMargin;
constexpr int kPromptHeight = 480, kEditHeight = 330, kButtonWidth = 1560, kButtonHeight = 375;

struct InputBox {
  HWND owner;
  std::string prompt;  // lines end in CR LF
  std::string initial;
  int dpi = USER_DEFAULT_SCREEN_DPI;
  int extra = 0;  // twips the prompt needs beyond its planned height
  UniqueFont font;
  std::string answer;
};

int EditTop(int extra) {
  return kMargin + kPromptHeight + extra + 120;
}
int ButtonsTop(int extra) {
  return EditTop(extra) + kEditHeight + 210;
}
int ClientHeight(int extra) {
  return ButtonsTop(extra) + kButtonHeight + kMargin;
}

// Everything below the prompt moves down by `extra`. The controls are created in this order,
// which is also the order of the Tab key.
std::vector<ControlRow> InputBoxTable(const InputBox& b) {
  const int cancel_left = kClientWidth - kMargin - kButtonWidth;
  const int ok_left = cancel_left - 180 - kButtonWidth;
  return {
      {kInputBoxPrompt, L"STATIC", b.prompt, SS_LEFT | SS_NOPREFIX, kMargin, kMargin, kInnerWidth,
       kPromptHeight + b.extra},
      {kInputBoxEdit, L"EDIT", b.initial, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kMargin,
       EditTop(b.extra), kInnerWidth, kEditHeight},
      {IDOK, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, ok_left, ButtonsTop(b.extra),
       kButtonWidth, kButtonHeight},
      {IDCANCEL, L"BUTTON", "Abbrechen", BS_PUSHBUTTON | WS_TABSTOP, cancel_left,
       ButtonsTop(b.extra), kButtonWidth, kButtonHeight},
  };
}

// Twips the prompt needs beyond the two planned lines in this font (a long prompt, a larger
// system font).
int ExtraPromptHeight(HWND dialog, const InputBox& b) {
  WindowDc dc(dialog);
  if (!dc.get()) return 0;
  SelectedObject font(dc.get(), b.font.get());
  const std::wstring text = Utf8ToWide(b.prompt);
  RECT r{0, 0, TwipsToPixels(kInnerWidth, b.dpi), 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  // Rounded up, so that the pixels of the grown prompt are never one short.
  const int needed = ((r.bottom - r.top) * kTwipsPerInch + b.dpi - 1) / b.dpi;
  return std::max(0, needed - kPromptHeight);
}

void Layout(HWND dialog, InputBox& b, bool create) {
  b.font = CreateMessageFont(b.dpi);
  b.extra = ExtraPromptHeight(dialog, b);
  const std::vector<ControlRow> table = InputBoxTable(b);
  if (create) {
    CreateControls(dialog, table, b.dpi, b.font.get());
  } else {
    PlaceControls(dialog, table, b.dpi, b.font.get());
  }
}

// Over the owner where the user looks at it, else in the middle of the work area; never
// partly off the monitor.
POINT CentredPosition(HWND owner, SIZE size) {
  const bool over_owner = owner && IsWindowVisible(owner) && !IsIconic(owner);
  HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area{0, 0, PrimaryScreenSize().cx, PrimaryScreenSize().cy};
  if (GetMonitorInfoW(monitor, &info)) area = info.rcWork;
  RECT around = area;
  if (over_owner) GetWindowRect(owner, &around);
  LONG left = around.left + (around.right - around.left - size.cx) / 2;
  LONG top = around.top + (around.bottom - around.top - size.cy) / 2;
  left = std::max(area.left, std::min(left, area.right - size.cx));
  top = std::max(area.top, std::min(top, area.bottom - size.cy));
  return {left, top};
}

void OnInit(HWND dialog, InputBox& b) {
  DisableAutomaticDialogScaling(dialog);
  // The box will stand over its owner, so the owner's monitor sets its DPI.
  b.dpi = WindowDpi(b.owner && IsWindowVisible(b.owner) ? b.owner : dialog);
  Layout(dialog, b, true);
  HWND edit = GetDlgItem(dialog, kInputBoxEdit);
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // no cut at 32,767 characters while typing
  const SIZE outer = WindowSizeForClient(dialog, kClientWidth, ClientHeight(b.extra), b.dpi);
  const POINT at = CentredPosition(b.owner, outer);
  SetWindowPos(dialog, nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  // A tray program usually has no active window; the box must not open behind another one.
  SetForegroundWindow(dialog);
}

void OnDpiChanged(HWND dialog, InputBox& b, int dpi, const RECT& suggested) {
  b.dpi = dpi;
  Layout(dialog, b, false);
  MoveToSuggestedRect(dialog, suggested, kClientWidth, ClientHeight(b.extra), dpi);
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      OnInit(dialog, *reinterpret_cast<InputBox*>(lparam));
      return FALSE;  // the focus is set already
    }
    auto* b = reinterpret_cast<InputBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!b) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
          b->answer = GetWindowTextUtf8(GetDlgItem(dialog, kInputBoxEdit));
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      case WM_DPICHANGED:
        OnDpiChanged(dialog, *b, HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager; a broken box counts as cancelled.
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace

std::optional<std::string> ShowInputBox(HWND owner, const std::string& prompt,
                                        const std::string& title, const std::string& initial) {
  InputBox b{owner, ToCrLf(prompt), initial, USER_DEFAULT_SCREEN_DPI, 0, {}, {}};
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const bool own_class = RegisterDialogClass(instance, kInputBoxClass);
  const std::vector<WORD> dialog_template =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
                          own_class ? kInputBoxClass : L"", title);
  const INT_PTR result =
      DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()),
                              owner, InputBoxProc, reinterpret_cast<LPARAM>(&b));
  if (result != IDOK) return std::nullopt;
  return b.answer;
}

}  // namespace qm
