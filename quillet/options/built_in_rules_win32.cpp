// The built-in delivery rules' window.
#include "quillet/options/built_in_rules_win32.h"

#include "platform/utf16_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

// Twips.
constexpr int kClientWidth = 6600, kClientHeight = 4200, kMargin = 180;
constexpr int kButtonWidth = 1560, kButtonHeight = 375;

class BuiltInRules final : public WindowFrame {
 public:
  BuiltInRules(HWND owner, const std::vector<std::pair<std::string, std::string>>& rules)
      : owner_(owner), rules_(rules) {}

 private:
  std::vector<ControlRow> Table() const override {
    return {
        {kBuiltInRulesList + 1, L"STATIC",
         "Nach Ihren eigenen Regeln gelten diese, von oben nach unten:", SS_LEFT | SS_NOPREFIX,
         kMargin, kMargin, kClientWidth - 2 * kMargin, 240},
        {kBuiltInRulesList, L"LISTBOX", "",
         LBS_NOSEL | LBS_USETABSTOPS | WS_VSCROLL | WS_BORDER | WS_TABSTOP, kMargin, 480,
         kClientWidth - 2 * kMargin, kClientHeight - 480 - kButtonHeight - 2 * kMargin},
        {IDOK, L"BUTTON", "Schließen", BS_DEFPUSHBUTTON | WS_TABSTOP,
         kClientWidth - kMargin - kButtonWidth, kClientHeight - kMargin - kButtonHeight,
         kButtonWidth, kButtonHeight},
    };
  }
  SIZE ClientTwips() const override { return {kClientWidth, kClientHeight}; }
  int DpiAtCreation() const override { return WindowDpi(owner_ ? owner_ : hwnd()); }
  void OnCreate() override {
    HWND list = GetDlgItem(hwnd(), kBuiltInRulesList);
    const int stop = 160;  // dialog units: past the longest window class
    SendMessageW(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
    for (const auto& [pattern, delivery] : rules_) {
      SendMessageW(list, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Utf8ToWide(pattern + "\t" + delivery).c_str()));
    }
    const SIZE outer = OuterSize();
    const POINT at = CentredPosition(owner_, outer);
    SetWindowPos(hwnd(), nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    SetFocus(list);
  }
  bool OnCommand(int id, int) override {
    if (id != IDOK) return false;
    EndModal(IDOK);
    return true;
  }

  HWND owner_;
  const std::vector<std::pair<std::string, std::string>>& rules_;
};

}  // namespace

void ShowBuiltInRules(HWND owner, const std::string& title,
                      const std::vector<std::pair<std::string, std::string>>& rules) {
  BuiltInRules window(owner, rules);
  window.RunModal(GetModuleHandleW(nullptr), kBuiltInRulesClass,
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, title, owner);
}

}  // namespace qm
