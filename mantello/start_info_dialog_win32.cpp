// The modal hint dialog of Mantello, with its picture and the switch to stop showing it.
#include "mantello/start_info_dialog_win32.h"

#include <vector>

#include "mantello/hints.h"
#include "platform/paths.h"
#include "platform/utf16_win32.h"
#include "store/stored_text.h"
#include "ui/about.h"
#include "ui/picture_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

constexpr wchar_t kHintDialogClass[] = L"MantelloHintDialog";
constexpr int kNeverAgainBox = 1001, kInfoLabel = 1002, kPicture = 1003;
constexpr int kClientWidth = 4800, kClientHeight = 3240;  // twips
constexpr int kPictureSize = 1935;

struct HintDialog {
  const StartHintContext& ctx;
  std::string id;
  std::string text;
  std::string picture_path;  // empty when there is no such file
  int dpi = USER_DEFAULT_SCREEN_DPI;
  bool has_picture = false;
  UniqueFont font;
  UniqueBitmap picture;
};

std::vector<ControlRow> HintTable(bool with_picture) {
  return {
      {kInfoLabel, L"STATIC", "", SS_LEFT | SS_NOPREFIX, 120, 120, with_picture ? 2475 : 4575,
       1875},
      {kPicture, L"STATIC", "", SS_BITMAP, 2760, 60, kPictureSize, kPictureSize},
      {kNeverAgainBox, L"BUTTON", kNeverShowAgainCaption, BS_AUTOCHECKBOX | WS_TABSTOP, 120, 2220,
       4575, 255},
      {IDOK, L"BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 1493, 2760, 1815, 375},
  };
}

// Renders the picture for the current DPI; the label takes the full width without one.
UniqueBitmap LoadPicture(HintDialog& d) {
  UniqueBitmap picture;
  if (!d.picture_path.empty()) {
    const int size = TwipsToPixels(kPictureSize, d.dpi);
    picture = LoadPictureFile(d.picture_path, size, size, GetSysColor(COLOR_BTNFACE));
  }
  d.has_picture = static_cast<bool>(picture);
  return picture;
}

void ShowPicture(HWND dialog, HintDialog& d, UniqueBitmap picture) {
  HWND control = GetDlgItem(dialog, kPicture);
  SetControlPicture(control, std::move(picture), d.picture);
  ShowWindow(control, d.has_picture ? SW_SHOWNA : SW_HIDE);
}

void OnInit(HWND dialog, HintDialog& d) {
  DisableAutomaticDialogScaling(dialog);
  d.dpi = WindowDpi(dialog);
  d.font = CreateMessageFont(d.dpi);
  UniqueBitmap picture = LoadPicture(d);
  const std::vector<ControlRow> table = HintTable(d.has_picture);
  CreateControls(dialog, table, d.dpi, d.font.get());
  SetWindowTextUtf8(GetDlgItem(dialog, kInfoLabel), d.text);
  ShowPicture(dialog, d, std::move(picture));
  if (d.ctx.icon) {
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(d.ctx.icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(d.ctx.icon));
  }
  const SIZE outer = WindowSizeForClient(dialog, kClientWidth, kClientHeight, d.dpi);
  const SIZE screen = PrimaryScreenSize();
  const Point at = CenterPosition(screen.cx, screen.cy, outer.cx, outer.cy);
  SetClientSize(dialog, kClientWidth, kClientHeight, d.dpi, at.x, at.y);
  SetFocus(GetDlgItem(dialog, IDOK));
  // A tray program starts in the background; its hint should still be seen.
  SetForegroundWindow(dialog);
  MessageBeep(MB_OK);
}

void OnDpiChanged(HWND dialog, HintDialog& d, int dpi, const RECT& suggested) {
  d.dpi = dpi;
  d.font = CreateMessageFont(dpi);
  UniqueBitmap picture = LoadPicture(d);
  PlaceControls(dialog, HintTable(d.has_picture), dpi, d.font.get());
  ShowPicture(dialog, d, std::move(picture));
  SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnOk(HWND dialog, HintDialog& d) {
  if (IsDlgButtonChecked(dialog, kNeverAgainBox) == BST_CHECKED) {
    const Status stored = SwitchOffHint(d.ctx.settings, d.id, d.ctx.plain_version);
    // The user asked for silence; when that cannot be kept, say so rather than pretend.
    if (!stored) {
      MessageBoxW(dialog, Utf8ToWide(stored.message).c_str(),
                  Utf8ToWide(kProgramTitleMantello).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
  }
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK HintDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      OnInit(dialog, *reinterpret_cast<HintDialog*>(lparam));
      return FALSE;  // the focus is set already
    }
    auto* d = reinterpret_cast<HintDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!d) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
          OnOk(dialog, *d);
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
        OnDpiChanged(dialog, *d, HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return TRUE;
      case WM_DESTROY:
        SetControlPicture(GetDlgItem(dialog, kPicture), UniqueBitmap(), d->picture);
        return FALSE;
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager; a broken dialog is closed instead.
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace

void ShowStartHint(const StartHintContext& ctx, const std::string& text, const std::string& id,
                   const std::string& image) {
  if (HintSwitchedOff(ctx.settings, id, ctx.plain_version)) return;
  HintDialog d{ctx, id, ToCrLf(FormatText(text)), {}, USER_DEFAULT_SCREEN_DPI, false, {}, {}};
  if (!image.empty() && FileExists(ctx.fs, ctx.app_dir + image)) {
    d.picture_path = ctx.app_dir + image;
  }
  HINSTANCE instance = ctx.instance ? ctx.instance : GetModuleHandleW(nullptr);
  const bool own_class = RegisterDialogClass(instance, kHintDialogClass);
  const std::vector<WORD> dialog_template =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                          own_class ? kHintDialogClass : L"", kProgramTitleMantello);
  DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()),
                          ctx.owner, HintDialogProc, reinterpret_cast<LPARAM>(&d));
}

}  // namespace qm
