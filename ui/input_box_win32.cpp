// The programs' own input box: a prompt, one line of text, "OK" and "Abbrechen".
#include "ui/input_box_win32.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

// Twips. The prompt is planned for two lines of the message font; a longer one grows.
constexpr int kClientWidth = 6240, kMargin = 180, kInnerWidth = kClientWidth - 2 * kMargin;
constexpr int kPromptHeight = 480, kEditHeight = 330, kButtonWidth = 1560, kButtonHeight = 375;

int EditTop(int extra) {
  return kMargin + kPromptHeight + extra + 120;
}
int ButtonsTop(int extra) {
  return EditTop(extra) + kEditHeight + 210;
}
int ClientHeight(int extra) {
  return ButtonsTop(extra) + kButtonHeight + kMargin;
}

class InputBox final : public WindowFrame {
 public:
  InputBox(HWND owner, std::string prompt, std::string initial)
      : owner_(owner), prompt_(std::move(prompt)), initial_(std::move(initial)) {}
  const std::string& answer() const { return answer_; }

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override { return {kClientWidth, ClientHeight(extra_)}; }
  // The box will stand over its owner, so the owner's monitor sets its DPI.
  int DpiAtCreation() const override {
    return WindowDpi(owner_ && IsWindowVisible(owner_) ? owner_ : hwnd());
  }
  void BeforeLayout(HFONT font) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;

  HWND owner_;
  std::string prompt_;  // lines end in CR LF
  std::string initial_;
  int extra_ = 0;  // twips the prompt needs beyond its planned height
  std::string answer_;
};

// Everything below the prompt moves down by `extra`. The controls are created in this order,
// which is also the order of the Tab key.
std::vector<ControlRow> InputBox::Table() const {
  const int cancel_left = kClientWidth - kMargin - kButtonWidth;
  const int ok_left = cancel_left - 180 - kButtonWidth;
  return {
      {kInputBoxPrompt, L"STATIC", prompt_, SS_LEFT | SS_NOPREFIX, kMargin, kMargin, kInnerWidth,
       kPromptHeight + extra_},
      {kInputBoxEdit, L"EDIT", initial_, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kMargin,
       EditTop(extra_), kInnerWidth, kEditHeight},
      {IDOK, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, ok_left, ButtonsTop(extra_),
       kButtonWidth, kButtonHeight},
      {IDCANCEL, L"BUTTON", "Abbrechen", BS_PUSHBUTTON | WS_TABSTOP, cancel_left,
       ButtonsTop(extra_), kButtonWidth, kButtonHeight},
  };
}

// Twips the prompt needs beyond the two planned lines in this font (a long prompt, a larger
// system font).
void InputBox::BeforeLayout(HFONT font) {
  const int needed = WrappedTextHeight(hwnd(), font, prompt_, kInnerWidth, dpi());
  extra_ = std::max(0, needed - kPromptHeight);
}

void InputBox::OnCreate() {
  HWND edit = GetDlgItem(hwnd(), kInputBoxEdit);
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // no cut at 32,767 characters while typing
  const SIZE outer = OuterSize();
  const POINT at = CentredPosition(owner_, outer);
  SetWindowPos(hwnd(), nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  // A tray program usually has no active window; the box must not open behind another one.
  SetForegroundWindow(hwnd());
}

bool InputBox::OnCommand(int id, int) {
  if (id == IDOK) {
    answer_ = GetWindowTextUtf8(GetDlgItem(hwnd(), kInputBoxEdit));
    EndModal(IDOK);
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ShowInputBox(HWND owner, const std::string& prompt,
                                        const std::string& title, const std::string& initial) {
  InputBox box(owner, ToCrLf(prompt), initial);
  const INT_PTR result = box.RunModal(
      GetModuleHandleW(nullptr), kInputBoxClass,
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND, title, owner);
  if (result != IDOK) return std::nullopt;
  return box.answer();
}

}  // namespace qm
