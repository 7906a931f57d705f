// The modal hint dialog of Mantello, with its picture and the switch to stop showing it.
#include "mantello/start_info_dialog_win32.h"

#include <utility>
#include <vector>

#include "mantello/hints.h"
#include "platform/paths.h"
#include "platform/utf16_win32.h"
#include "store/stored_text.h"
#include "ui/about.h"
#include "ui/picture_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

constexpr wchar_t kHintDialogClass[] = L"MantelloHintDialog";
constexpr int kNeverAgainBox = 1001, kInfoLabel = 1002, kPicture = 1003;
constexpr int kClientWidth = 4800, kClientHeight = 3240;  // twips
constexpr int kPictureSize = 1935;

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

class HintDialog final : public WindowFrame {
 public:
  HintDialog(const StartHintContext& ctx, std::string id, std::string text,
             std::string picture_path)
      : ctx_(ctx), id_(std::move(id)), text_(std::move(text)),
        picture_path_(std::move(picture_path)) {}

 private:
  std::vector<ControlRow> Table() const override { return HintTable(has_picture_); }
  // The picture is rendered for the DPI first: without one the label takes the full width.
  void BeforeLayout(HFONT) override;
  void AfterLayout(bool created) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool OnDpiChanged(const RECT& suggested) override;
  void OnDestroy() override {
    SetControlPicture(GetDlgItem(hwnd(), kPicture), UniqueBitmap(), picture_);
  }

  const StartHintContext& ctx_;
  std::string id_;
  std::string text_;
  std::string picture_path_;  // empty when there is no such file
  bool has_picture_ = false;
  UniqueBitmap next_picture_;  // rendered for the layout under way
  UniqueBitmap picture_;
};

void HintDialog::BeforeLayout(HFONT) {
  next_picture_ = UniqueBitmap();
  if (!picture_path_.empty()) {
    const int size = TwipsToPixels(kPictureSize, dpi());
    next_picture_ = LoadPictureFile(picture_path_, size, size, GetSysColor(COLOR_BTNFACE));
  }
  has_picture_ = static_cast<bool>(next_picture_);
}

void HintDialog::AfterLayout(bool created) {
  HWND control = GetDlgItem(hwnd(), kPicture);
  if (created) SetWindowTextUtf8(GetDlgItem(hwnd(), kInfoLabel), text_);
  SetControlPicture(control, std::move(next_picture_), picture_);
  ShowWindow(control, has_picture_ ? SW_SHOWNA : SW_HIDE);
}

void HintDialog::OnCreate() {
  if (ctx_.icon) {
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ctx_.icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ctx_.icon));
  }
  const SIZE outer = WindowSizeForClient(hwnd(), kClientWidth, kClientHeight, dpi());
  const SIZE screen = PrimaryScreenSize();
  const Point at = CenterPosition(screen.cx, screen.cy, outer.cx, outer.cy);
  SetClientSize(hwnd(), kClientWidth, kClientHeight, dpi(), at.x, at.y);
  SetFocus(GetDlgItem(hwnd(), IDOK));
  // A tray program starts in the background; its hint should still be seen.
  SetForegroundWindow(hwnd());
  MessageBeep(MB_OK);
}

bool HintDialog::OnDpiChanged(const RECT& suggested) {
  Layout(false);
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool HintDialog::OnCommand(int id, int) {
  if (id == IDOK) {
    if (IsDlgButtonChecked(hwnd(), kNeverAgainBox) == BST_CHECKED) {
      const Status stored = SwitchOffHint(ctx_.settings, id_, ctx_.plain_version);
      // The user asked for silence; when that cannot be kept, say so rather than pretend.
      if (!stored) {
        MessageBoxW(hwnd(), Utf8ToWide(stored.message).c_str(),
                    Utf8ToWide(kProgramTitleMantello).c_str(), MB_OK | MB_ICONEXCLAMATION);
      }
    }
    EndModal(IDOK);
    return true;
  }
  return false;
}

}  // namespace

void ShowStartHint(const StartHintContext& ctx, const std::string& text, const std::string& id,
                   const std::string& image) {
  if (HintSwitchedOff(ctx.settings, id, ctx.plain_version)) return;
  std::string picture_path;
  if (!image.empty() && FileExists(ctx.fs, ctx.app_dir + image)) picture_path = ctx.app_dir + image;
  HintDialog dialog(ctx, id, ToCrLf(FormatText(text)), picture_path);
  dialog.RunModal(ctx.instance, kHintDialogClass, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                  kProgramTitleMantello, ctx.owner);
}

}  // namespace qm
