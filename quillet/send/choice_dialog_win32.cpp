// The choice among several matching windows: a sorted list whose items carry the windows.
#include "quillet/send/choice_dialog_win32.h"

#include <vector>

#include "platform/utf16_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

// Twips: the list across the top, below it the hint with a narrow bar at its left edge and
// the two buttons at the right, "&Abbruch" above "&OK".
constexpr int kClientWidth = 6720, kClientHeight = 3540;

const char kHint[] =
    "Es wurden mehrere Fenster gefunden, die als Ziel in Frage kommen. Bitte wählen Sie aus "
    "der obigen Liste das entsprechende aus.";

struct ChoiceDialog {
  HWND main;
  const std::vector<ChoiceCandidate>* candidates;
  int dpi = USER_DEFAULT_SCREEN_DPI;
  UniqueFont font, bold;
  std::optional<std::uint64_t> chosen;
};

std::vector<ControlRow> Table(const ChoiceDialog&) {
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

void Layout(HWND dialog, ChoiceDialog& d, bool create) {
  d.font = CreateMessageFont(d.dpi);
  LOGFONTW lf{};
  GetObjectW(d.font.get(), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  d.bold = UniqueFont(CreateFontIndirectW(&lf));
  if (create) {
    CreateControls(dialog, Table(d), d.dpi, d.font.get());
  } else {
    PlaceControls(dialog, Table(d), d.dpi, d.font.get());
  }
  SendDlgItemMessageW(dialog, IDOK, WM_SETFONT, reinterpret_cast<WPARAM>(d.bold.get()), TRUE);
}

void Choose(HWND dialog, ChoiceDialog& d) {
  HWND list = GetDlgItem(dialog, kChoiceList);
  const LRESULT pos = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (pos != LB_ERR) {
    d.chosen = static_cast<std::uint64_t>(SendMessageW(list, LB_GETITEMDATA, pos, 0));
  }
  EndDialog(dialog, IDOK);
}

void OnInit(HWND dialog, ChoiceDialog& d) {
  DisableAutomaticDialogScaling(dialog);
  d.dpi = WindowDpi(dialog);
  Layout(dialog, d, true);
  HWND list = GetDlgItem(dialog, kChoiceList);
  for (const ChoiceCandidate& c : *d.candidates) {
    // Each item carries its own window, wherever the sorted list puts it.
    const LRESULT pos = SendMessageW(list, LB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(Utf8ToWide(c.title).c_str()));
    if (pos >= 0) SendMessageW(list, LB_SETITEMDATA, pos, static_cast<LPARAM>(c.window));
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  PlaceNearMainWindow(dialog, d.main,
                      WindowSizeForClient(dialog, kClientWidth, kClientHeight, d.dpi),
                      HWND_TOPMOST);
  SetFocus(list);
  SetForegroundWindow(dialog);
}

INT_PTR CALLBACK ChoiceProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      OnInit(dialog, *reinterpret_cast<ChoiceDialog*>(lparam));
      return FALSE;
    }
    auto* d = reinterpret_cast<ChoiceDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!d) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK ||
            (LOWORD(wparam) == kChoiceList && HIWORD(wparam) == LBN_DBLCLK)) {
          Choose(dialog, *d);
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
      case WM_DPICHANGED: {
        d->dpi = HIWORD(wparam);
        Layout(dialog, *d, false);
        MoveToSuggestedRect(dialog, *reinterpret_cast<const RECT*>(lparam), kClientWidth,
                            kClientHeight, d->dpi);
        return TRUE;
      }
      default:
        return FALSE;
    }
  } catch (...) {
    // Nothing unwinds through the dialog manager; a broken choice types nothing.
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace

std::optional<std::uint64_t> ShowChoiceDialog(HWND main, const std::string& caption,
                                              const std::vector<ChoiceCandidate>& candidates) {
  ChoiceDialog d{main, &candidates, USER_DEFAULT_SCREEN_DPI, {}, {}, std::nullopt};
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const bool own_class = RegisterDialogClass(instance, kChoiceDialogClass);
  const std::vector<WORD> dialog_template = EmptyDialogTemplate(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND,
      own_class ? kChoiceDialogClass : L"", caption);
  // Owned by no window: the main window is usually hidden, and the choice must stay in
  // front of the windows it names.
  const INT_PTR result =
      DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()),
                              nullptr, ChoiceProc, reinterpret_cast<LPARAM>(&d));
  if (result != IDOK) return std::nullopt;
  return d.chosen;
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
