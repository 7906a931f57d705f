// The two About dialogs as windows; they open without blocking the program, and the program's
// message loops give them their Tab, Enter and Esc (DispatchThreadMessage).
#include "ui/about_dialog_win32.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/utf16_win32.h"
#include "platform/windows_version.h"
#include "ui/help.h"
#include "ui/picture_win32.h"
#include "ui/resource_ids.h"
#include "ui/version_text.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

constexpr wchar_t kAboutDialogClass[] = L"QmAboutDialog";
constexpr const char* kYearSpan = "2024-2026";
// Button n of the dialog's button array has the control id kFirstButton + n.
constexpr int kFirstButton = 100, kLogo = 110, kText = 111, kSeparator = 112;
constexpr int kClientWidth = 7440;
constexpr int kTextTop = 240, kTextHeight = 1680, kTextWidth = 5280;
constexpr int kLogoSize = 1440;

int ClientHeight(AboutKind kind, int extra) {
  return kTextTop + kTextHeight + extra + (kind == AboutKind::kFreeware ? 2040 : 960);
}

// Opens without blocking and owns itself: it goes with its window.
class AboutDialog final : public WindowFrame {
 public:
  AboutDialog(const ProgramInfo& program, AboutKind kind, Shell& shell, SystemInfo& system,
              AboutContent content)
      : program_(program),
        kind_(kind),
        shell_(shell),
        system_(system),
        content_(std::move(content)) {}
  bool Open(HINSTANCE instance, HWND owner);

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override { return {kClientWidth, ClientHeight(kind_, extra_)}; }
  void BeforeLayout(HFONT font) override;
  void AfterLayout(bool created) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  void OnDestroy() override;
  void OnFinalMessage() override { delete this; }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnButton(int index);

  ProgramInfo program_;
  AboutKind kind_;
  Shell& shell_;
  SystemInfo& system_;
  AboutContent content_;
  int extra_ = 0;  // twips added below the text when it needs more room than planned
  UniqueBitmap logo_;
};

// The text grows downwards by `extra`; everything below moves with it.
std::vector<ControlRow> AboutDialog::Table() const {
  const int below = kTextTop + kTextHeight + extra_;
  std::vector<ControlRow> t = {
      {kLogo, L"STATIC", "", SS_BITMAP | SS_NOTIFY, 240, 240, kLogoSize, kLogoSize},
      {kText, L"STATIC", content_.text, SS_LEFT | SS_NOPREFIX, 1920, kTextTop, kTextWidth,
       kTextHeight + extra_},
      {kSeparator, L"STATIC", "", SS_ETCHEDHORZ, 240, below + 180, 6960, 30},
  };
  for (const AboutButton& b : content_.buttons) {
    ControlRow button{
        kFirstButton + b.index, L"BUTTON", b.caption, BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 0, 400};
    if (kind_ == AboutKind::kFreeware) {
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
void AboutDialog::BeforeLayout(HFONT font) {
  extra_ = 0;
  WindowDc dc(hwnd());
  if (!dc.get()) return;
  SelectedObject selected(dc.get(), font);
  std::wstring text = Utf8ToWide(content_.text);
  RECT r{0, 0, TwipsToPixels(kTextWidth, dpi()), 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  const int needed = MulDiv(r.bottom - r.top, kTwipsPerInch, dpi());
  extra_ = std::max(0, needed - kTextHeight);
}

void AboutDialog::AfterLayout(bool) {
  const int size = TwipsToPixels(kLogoSize, dpi());
  const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrW(hwnd(), GWLP_HINSTANCE));
  SetControlPicture(
      GetDlgItem(hwnd(), kLogo),
      LoadPictureResource(module, QM_IDR_LOGO, size, size, GetSysColor(COLOR_BTNFACE)), logo_);
}

void AboutDialog::OnCreate() {
  HWND logo = GetDlgItem(hwnd(), kLogo);
  AddTooltip(hwnd(), logo, kLogoTooltip);
  for (const AboutButton& b : content_.buttons) {
    if (!b.tooltip.empty())
      AddTooltip(hwnd(), GetDlgItem(hwnd(), kFirstButton + b.index), b.tooltip);
  }
  const SIZE outer = OuterSize();
  const SIZE screen = PrimaryScreenSize();
  const Point at = AboutPosition(screen.cx, screen.cy, outer.cx, outer.cy);
  SetClientSize(hwnd(), kClientWidth, ClientHeight(kind_, extra_), dpi(), at.x, at.y);
  SetFocus(GetDlgItem(hwnd(), kFirstButton + kAboutCloseButton));
}

void AboutDialog::OnButton(int index) {
  const std::string windows = WindowsVersionString(system_);
  if (index == kAboutCloseButton) {
    DestroyWindow(hwnd());
  } else if (kind_ == AboutKind::kFreeware && index == kAboutMailButton) {
    shell_.Open(
        AboutMailAddress(program_, AppVersionString(VersionText::kShortInBrackets), windows),
        ShowMode::kNormal);
  } else if (kind_ == AboutKind::kFreeware && index == kAboutUpdateButton) {
    shell_.Open(AboutUpdateAddress(program_, AppVersionString(VersionText::kFull), windows),
                ShowMode::kNormal);
  } else if (kind_ == AboutKind::kCommercial && index == kAboutWebButton) {
    OpenMakerWebSite(shell_);
  }
}

bool AboutDialog::OnCommand(int id, int code) {
  if (id == kLogo && code == STN_CLICKED) {
    OpenMakerWebSite(shell_);
  } else if (id >= kFirstButton && id <= kFirstButton + kAboutCloseButton) {
    OnButton(id - kFirstButton);
  } else {
    return id != IDCANCEL;  // Esc closes
  }
  return true;
}

std::optional<LRESULT> AboutDialog::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  // The logo is a link.
  if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wparam) == GetDlgItem(hwnd(), kLogo)) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return std::nullopt;
}

void AboutDialog::OnDestroy() {
  SetControlPicture(GetDlgItem(hwnd(), kLogo), UniqueBitmap(), logo_);
}

// The open About dialog of this thread, if there is one: one at a time.
HWND OpenAboutDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, static_cast<int>(std::size(name)));
        if (lstrcmpW(name, kAboutDialogClass) != 0) return TRUE;
        *reinterpret_cast<HWND*>(out) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool AboutDialog::Open(HINSTANCE instance, HWND owner) {
  if (!CreateModeless(instance, kAboutDialogClass,
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, content_.caption,
                      owner)) {
    return false;
  }
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  return true;
}

}  // namespace

HWND ShowAboutDialog(HINSTANCE instance, HWND owner, const ProgramInfo& program, AboutKind kind,
                     Shell& shell, SystemInfo& system) {
  if (HWND open = OpenAboutDialog()) {
    if (IsIconic(open)) ShowWindow(open, SW_RESTORE);
    SetForegroundWindow(open);
    return open;
  }
  const std::string version = AppVersionString(VersionText::kShortInBrackets);
  auto dialog = std::make_unique<AboutDialog>(program, kind, shell, system,
                                              kind == AboutKind::kFreeware
                                                  ? FreewareAbout(program, version, kYearSpan)
                                                  : CommercialAbout(program, version, kYearSpan));
  if (!dialog->Open(instance, owner)) return nullptr;
  // The window owns the dialog now.
  return dialog.release()->hwnd();
}

}  // namespace qm
