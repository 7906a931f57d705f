// The two About dialogs as windows; they open without blocking the program.
#include "ui/about_dialog_win32.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/utf16_win32.h"
#include "platform/windows_version.h"
#include "ui/help.h"
#include "ui/picture_win32.h"
#include "ui/resource_ids.h"
#include "ui/version_text.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

constexpr wchar_t kAboutDialogClass[] = L"QmAboutDialog";
constexpr const char* kYearSpan = "2024-2026";
// Button n of the dialog's button array has the control id kFirstButton + n.
constexpr int kFirstButton = 100, kLogo = 110, kText = 111, kSeparator = 112;
constexpr int kClientWidth = 7440;
constexpr int kTextTop = 240, kTextHeight = 1680, kTextWidth = 5280;
constexpr int kLogoSize = 1440;

struct AboutDialog {
  ProgramInfo program;
  AboutKind kind;
  Shell& shell;
  SystemInfo& system;
  AboutContent content;
  int dpi = USER_DEFAULT_SCREEN_DPI;
  int extra = 0;  // twips added below the text when it needs more room than planned
  UniqueFont font;
  UniqueBitmap logo;
};

// One About dialog per process, and the hook that gives it its keyboard while it is open.
HWND g_open_dialog = nullptr;
HHOOK g_keyboard_hook = nullptr;

int ClientHeight(AboutKind kind, int extra) {
  return kTextTop + kTextHeight + extra + (kind == AboutKind::kFreeware ? 2040 : 960);
}

// The text grows downwards by `extra`; everything below moves with it.
std::vector<ControlRow> AboutTable(const AboutDialog& d) {
  const int below = kTextTop + kTextHeight + d.extra;
  std::vector<ControlRow> t = {
      {kLogo, L"STATIC", "", SS_BITMAP | SS_NOTIFY, 240, 240, kLogoSize, kLogoSize},
      {kText, L"STATIC", d.content.text, SS_LEFT | SS_NOPREFIX, 1920, kTextTop, kTextWidth,
       kTextHeight + d.extra},
      {kSeparator, L"STATIC", "", SS_ETCHEDHORZ, 240, below + 180, 6960, 30},
  };
  for (const AboutButton& b : d.content.buttons) {
    ControlRow button{
        kFirstButton + b.index, L"BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 400};
    if (d.kind == AboutKind::kFreeware) {
      // The two long captions take the whole width; the close button sits at the right.
      button.left = b.index == kAboutCloseButton ? 4800 : 240;
      button.width = b.index == kAboutCloseButton ? 2400 : 6960;
      button.top = below + (b.index == kAboutCloseButton ? 1440 : 360 + 480 * b.index);
    } else {
      // The text points at the button at the bottom left.
      button.left = b.index == kAboutCloseButton ? 4320 : 240;
      button.width = 2880;
      button.top = below + 360;
    }
    if (b.index == kAboutCloseButton) button.style = BS_DEFPUSHBUTTON | WS_TABSTOP;
    t.push_back(button);
  }
  return t;
}

// Twips the text needs beyond its planned height in this font (another system font, a long
// translation).
int ExtraTextHeight(HWND dialog, const AboutDialog& d) {
  WindowDc dc(dialog);
  if (!dc.get()) return 0;
  SelectedObject font(dc.get(), d.font.get());
  std::wstring text = Utf8ToWide(d.content.text);
  RECT r{0, 0, TwipsToPixels(kTextWidth, d.dpi), 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  const int needed = MulDiv(r.bottom - r.top, kTwipsPerInch, d.dpi);
  return std::max(0, needed - kTextHeight);
}

void ShowLogo(HWND dialog, AboutDialog& d) {
  const int size = TwipsToPixels(kLogoSize, d.dpi);
  const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  SetControlPicture(
      GetDlgItem(dialog, kLogo),
      LoadPictureResource(module, QM_IDR_LOGO, size, size, GetSysColor(COLOR_BTNFACE)), d.logo);
}

void Layout(HWND dialog, AboutDialog& d, bool create) {
  d.font = CreateMessageFont(d.dpi);
  d.extra = ExtraTextHeight(dialog, d);
  const std::vector<ControlRow> table = AboutTable(d);
  if (create) {
    CreateControls(dialog, table, d.dpi, d.font.get());
  } else {
    PlaceControls(dialog, table, d.dpi, d.font.get());
  }
  ShowLogo(dialog, d);
}

void OnInit(HWND dialog, AboutDialog& d) {
  DisableAutomaticDialogScaling(dialog);
  d.dpi = WindowDpi(dialog);
  Layout(dialog, d, true);
  HWND logo = GetDlgItem(dialog, kLogo);
  AddTooltip(dialog, logo, kLogoTooltip);
  for (const AboutButton& b : d.content.buttons) {
    if (!b.tooltip.empty())
      AddTooltip(dialog, GetDlgItem(dialog, kFirstButton + b.index), b.tooltip);
  }
  const SIZE outer =
      WindowSizeForClient(dialog, kClientWidth, ClientHeight(d.kind, d.extra), d.dpi);
  const SIZE screen = PrimaryScreenSize();
  const Point at = AboutPosition(screen.cx, screen.cy, outer.cx, outer.cy);
  SetClientSize(dialog, kClientWidth, ClientHeight(d.kind, d.extra), d.dpi, at.x, at.y);
  SetFocus(GetDlgItem(dialog, kFirstButton + kAboutCloseButton));
}

void OnButton(HWND dialog, AboutDialog& d, int index) {
  const std::string windows = WindowsVersionString(d.system);
  if (index == kAboutCloseButton) {
    DestroyWindow(dialog);
  } else if (d.kind == AboutKind::kFreeware && index == kAboutMailButton) {
    d.shell.Open(
        AboutMailAddress(d.program, AppVersionString(VersionText::kShortInBrackets), windows),
        ShowMode::kNormal);
  } else if (d.kind == AboutKind::kFreeware && index == kAboutUpdateButton) {
    d.shell.Open(AboutUpdateAddress(d.program, AppVersionString(VersionText::kFull), windows),
                 ShowMode::kNormal);
  } else if (d.kind == AboutKind::kCommercial && index == kAboutWebButton) {
    OpenMakerWebSite(d.shell);
  }
}

void OnDestroy(HWND dialog) {
  auto* d = reinterpret_cast<AboutDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (d) SetControlPicture(GetDlgItem(dialog, kLogo), UniqueBitmap(), d->logo);
  delete d;
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
  if (g_open_dialog == dialog) g_open_dialog = nullptr;
  if (g_keyboard_hook) {
    UnhookWindowsHookEx(g_keyboard_hook);
    g_keyboard_hook = nullptr;
  }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      // From here on the window owns the dialog's state; WM_DESTROY deletes it.
      AboutDialog* d = reinterpret_cast<std::unique_ptr<AboutDialog>*>(lparam)->release();
      SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
      OnInit(dialog, *d);
      return FALSE;
    }
    auto* d = reinterpret_cast<AboutDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!d) return FALSE;
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wparam);
        if (id == IDCANCEL) {
          DestroyWindow(dialog);
        } else if (id == kLogo && HIWORD(wparam) == STN_CLICKED) {
          OpenMakerWebSite(d->shell);
        } else if (id >= kFirstButton && id <= kFirstButton + kAboutCloseButton) {
          OnButton(dialog, *d, id - kFirstButton);
        }
        return TRUE;
      }
      case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
      case WM_SETCURSOR:
        // The logo is a link.
        if (reinterpret_cast<HWND>(wparam) == GetDlgItem(dialog, kLogo)) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
        return FALSE;
      case WM_DPICHANGED: {
        d->dpi = HIWORD(wparam);
        Layout(dialog, *d, false);
        MoveToSuggestedRect(dialog, *reinterpret_cast<const RECT*>(lparam), kClientWidth,
                            ClientHeight(d->kind, d->extra), d->dpi);
        return TRUE;
      }
      case WM_DESTROY:
        OnDestroy(dialog);
        return FALSE;
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing may unwind through the dialog manager.
    return FALSE;
  }
}

// A modeless dialog gets Tab, Enter and Escape only through IsDialogMessage in the message
// loop; the hook does that here, so that every owner's loop serves the dialog.
LRESULT CALLBACK KeyboardForDialog(int code, WPARAM wparam, LPARAM lparam) {
  auto* msg = reinterpret_cast<MSG*>(lparam);
  if (code >= 0 && wparam == PM_REMOVE && g_open_dialog && msg->message >= WM_KEYFIRST &&
      msg->message <= WM_KEYLAST &&
      (msg->hwnd == g_open_dialog || IsChild(g_open_dialog, msg->hwnd)) &&
      IsDialogMessageW(g_open_dialog, msg)) {
    msg->message = WM_NULL;  // handled; the loop must not translate it again
  }
  return CallNextHookEx(g_keyboard_hook, code, wparam, lparam);
}

}  // namespace

HWND ShowAboutDialog(HINSTANCE instance, HWND owner, const ProgramInfo& program, AboutKind kind,
                     Shell& shell, SystemInfo& system) {
  if (g_open_dialog && IsWindow(g_open_dialog)) {
    if (IsIconic(g_open_dialog)) ShowWindow(g_open_dialog, SW_RESTORE);
    SetForegroundWindow(g_open_dialog);
    return g_open_dialog;
  }
  if (!instance) instance = GetModuleHandleW(nullptr);
  const std::string version = AppVersionString(VersionText::kShortInBrackets);
  auto d = std::make_unique<AboutDialog>(
      AboutDialog{program,
                  kind,
                  shell,
                  system,
                  kind == AboutKind::kFreeware ? FreewareAbout(program, version, kYearSpan)
                                               : CommercialAbout(program, version, kYearSpan),
                  USER_DEFAULT_SCREEN_DPI,
                  0,
                  {},
                  {}});
  const bool own_class = RegisterDialogClass(instance, kAboutDialogClass);
  const std::vector<WORD> dialog_template =
      EmptyDialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                          own_class ? kAboutDialogClass : L"", d->content.caption);
  HWND dialog = CreateDialogIndirectParamW(
      instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()), owner, AboutDialogProc,
      reinterpret_cast<LPARAM>(&d));
  if (!dialog) return nullptr;
  g_open_dialog = dialog;
  g_keyboard_hook =
      SetWindowsHookExW(WH_GETMESSAGE, KeyboardForDialog, nullptr, GetCurrentThreadId());
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  return dialog;
}

}  // namespace qm
