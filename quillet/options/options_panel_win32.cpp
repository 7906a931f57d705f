// The Options dialog's panels of option buttons.
#include "quillet/options/options_panel_win32.h"

#include "quillet/options/options_form_table_win32.h"

namespace qm {

bool OptionsPanel::Create(HWND dialog, int dpi, HWND after) {
  creation_dpi_ = dpi;
  const RECT r = PanelTwips(id_);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  // The dialog's keyboard handling goes into the panel: Tab, arrows, access keys.
  const FramePlacement placement{WS_EX_CONTROLPARENT,
                                 WS_CHILD | WS_VISIBLE | WS_GROUP | WS_CLIPSIBLINGS,
                                 TwipsToPixels(r.left, dpi),
                                 TwipsToPixels(r.top, dpi),
                                 TwipsToPixels(r.right, dpi),
                                 TwipsToPixels(r.bottom, dpi),
                                 dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_))};
  if (!CreatePlainWindow(instance, FrameClass{kOptionsPanelClass}, "", placement)) return false;
  SetWindowPos(hwnd(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

std::vector<ControlRow> OptionsPanel::Table() const {
  return OptionsPanelTable(id_);
}

bool OptionsPanel::OnCommand(int id, int code) {
  SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(hwnd(), id)));
  return true;
}

std::optional<LRESULT> OptionsPanel::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC) {
    return SendMessageW(GetParent(hwnd()), message, wparam, lparam);
  }
  return std::nullopt;
}

}  // namespace qm
