// The choice among several matching windows: a sorted list whose items carry the windows.
#include "quillet/send/choice_dialog_win32.h"

#include <utility>
#include <vector>

#include "platform/utf16_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

// Twips: the list across the top, below it the hint with a narrow bar at its left edge and
// the two buttons at the right, "&Abbruch" above "&OK".
constexpr int kClientWidth = 6720, kClientHeight = 3540;

const char kHint[] =
    "Es wurden mehrere Fenster gefunden, die als Ziel in Frage kommen. Bitte wählen Sie aus "
    "der obigen Liste das entsprechende aus.";

class ChoiceDialog final : public WindowFrame {
 public:
  ChoiceDialog(HWND main, const std::vector<ChoiceCandidate>& candidates)
      : main_(main), candidates_(candidates) {}
  std::optional<std::uint64_t> chosen() const { return chosen_; }

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override { return {kClientWidth, kClientHeight}; }
  void AfterLayout(bool created) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  void Choose();

  HWND main_;
  const std::vector<ChoiceCandidate>& candidates_;
  UniqueFont bold_;
  std::optional<std::uint64_t> chosen_;
};

std::vector<ControlRow> ChoiceDialog::Table() const {
  return {
      {kChoiceList, L"LISTBOX", "",
       LBS_SORT | LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
           WS_TABSTOP,
       120, 120, 6480, 2160},
      {kChoiceShape, L"STATIC", "", SS_BLACKRECT, 120, 2400, 60, 960},
      {kChoiceLabel, L"STATIC", kHint, SS_LEFT | SS_NOPREFIX, 300, 2400, 4680, 960},
      {IDCANCEL, L"BUTTON", "&Abbruch", BS_PUSHBUTTON | WS_TABSTOP, 5160, 2400, 1440, 420},
      {IDOK, L"BUTTON", "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 5160, 2940, 1440, 420},
  };
}

void ChoiceDialog::AfterLayout(bool) {
  LOGFONTW lf{};
  GetObjectW(font(), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  UniqueFont bold(CreateFontIndirectW(&lf));
  SendDlgItemMessageW(hwnd(), IDOK, WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), TRUE);
  std::swap(bold_, bold);
}

void ChoiceDialog::Choose() {
  HWND list = GetDlgItem(hwnd(), kChoiceList);
  const LRESULT pos = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (pos != LB_ERR) {
    chosen_ = static_cast<std::uint64_t>(SendMessageW(list, LB_GETITEMDATA, pos, 0));
  }
  EndModal(IDOK);
}

void ChoiceDialog::OnCreate() {
  HWND list = GetDlgItem(hwnd(), kChoiceList);
  for (const ChoiceCandidate& c : candidates_) {
    // Each item carries its own window, wherever the sorted list puts it.
    const LRESULT pos = SendMessageW(list, LB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(Utf8ToWide(c.title).c_str()));
    if (pos >= 0) SendMessageW(list, LB_SETITEMDATA, pos, static_cast<LPARAM>(c.window));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  PlaceNearMainWindow(hwnd(), main_, OuterSize(), HWND_TOPMOST);
  SetFocus(list);
  SetForegroundWindow(hwnd());
}

bool ChoiceDialog::OnCommand(int id, int code) {
  if (id == IDOK || (id == kChoiceList && code == LBN_DBLCLK)) {
    Choose();
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::uint64_t> ShowChoiceDialog(HWND main, const std::string& caption,
                                              const std::vector<ChoiceCandidate>& candidates) {
  ChoiceDialog dialog(main, candidates);
  // Owned by no window: the main window is usually hidden, and the choice must stay in
  // front of the windows it names.
  const INT_PTR result = dialog.RunModal(
      GetModuleHandleW(nullptr), kChoiceDialogClass,
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND, caption, nullptr);
  if (result != IDOK) return std::nullopt;
  return dialog.chosen();
}

namespace {

class Win32TargetChooser : public TargetChooser {
 public:
  explicit Win32TargetChooser(HWND main) : main_(main) {}
  std::optional<std::size_t> Choose(const std::vector<TargetCandidate>& candidates) override {
    std::vector<ChoiceCandidate> shown;
    for (const TargetCandidate& c : candidates) shown.push_back({c.title, c.window});
    const std::optional<std::uint64_t> window =
        ShowChoiceDialog(main_, "Auswahl - Quillet", shown);
    // Each item carries its own window: the index follows from it, whatever the order.
    for (std::size_t i = 0; window && i < candidates.size(); ++i) {
      if (candidates[i].window == *window) return i;
    }
    return std::nullopt;
  }

 private:
  HWND main_;
};

}  // namespace

std::unique_ptr<TargetChooser> MakeWin32TargetChooser(HWND main) {
  return std::make_unique<Win32TargetChooser>(main);
}

}  // namespace qm
