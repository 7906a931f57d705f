// Quillet's Options dialog: its controls' state, and the events handed to the model.
#include "quillet/options/options_form_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "quillet/menu/edge_strip.h"
#include "quillet/options/built_in_rules_win32.h"
#include "quillet/options/delivery_settings.h"
#include "quillet/options/options_drawing_win32.h"
#include "quillet/options/options_form_table_win32.h"
#include "platform/utf16_win32.h"
#include "ui/message_pump_win32.h"
#include "ui/window_frame_win32.h"

namespace qm {

struct OptionsForm::Impl {
  std::int32_t colour = SystemColourValue(COLOR_BTNFACE);
  int edge = 0;
  bool modal = false;
  // Made with the dialog, after its own controls.
  std::unique_ptr<OptionsPanel> activation_panel, trigger_panel;
  // For the dialog still to be made: how, and what the model has set so far.
  bool pending = false;
  HINSTANCE instance = nullptr;
  std::string caption;
  std::optional<std::string> path;
  std::optional<int> activation, trigger;
  bool edge_set = false, colour_set = false;
  std::optional<bool> cascading, autostart;
  std::optional<BorderControls> border;
  std::optional<Hotkey> hotkey;
  std::optional<bool> searches_text, abbreviations, capitals;
  std::optional<std::vector<std::string>> keep_out;
  std::optional<std::pair<bool, bool>> send_log;  // kept, with titles
  std::optional<std::array<std::string, 3>> delivery;  // threshold, rules, built-in line
  bool setting_hotkey = false;  // the control's change is ours, not the user's
};

OptionsForm::OptionsForm() : impl_(std::make_unique<Impl>()) {}

OptionsForm::~OptionsForm() {
  Destroy();
}

bool OptionsForm::Create(HINSTANCE instance, HWND main, const std::string& caption,
                         bool when_shown) {
  Impl& m = *impl_;
  main_ = main;
  m.instance = instance;
  m.caption = caption;
  m.pending = when_shown;
  return when_shown || MakeWindow();
}

bool OptionsForm::MakeWindow() {
  Impl& m = *impl_;
  m.pending = false;
  // A fixed single border: a caption with the close box, no sizing frame.
  if (!CreateModeless(m.instance, kOptionsFormClass, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                      m.caption, main_)) {
    return false;
  }
  // Without its panels the dialog would have controls that no one can reach.
  if (!m.activation_panel || !m.activation_panel->hwnd() || !m.trigger_panel ||
      !m.trigger_panel->hwnd()) {
    Destroy();
    return false;
  }
  // What the model set while there was no dialog.
  if (m.path) SetPathText(*m.path);
  if (m.activation) SelectActivation(*m.activation);
  if (m.trigger) SelectTrigger(*m.trigger);
  if (m.edge_set) SelectEdge(m.edge);
  if (m.cascading) SetCascading(*m.cascading);
  if (m.autostart) SetAutostart(*m.autostart);
  if (m.colour_set) SetSampleColour(m.colour);
  if (m.border) ApplyBorderControls(*m.border);
  if (m.hotkey) SetPickerHotkey(*m.hotkey);
  if (m.searches_text) SetPickerSearchesText(*m.searches_text);
  if (m.abbreviations) SetAbbreviations(*m.abbreviations);
  if (m.capitals) SetCapitals(*m.capitals);
  if (m.keep_out) SetKeepOut(*m.keep_out);
  if (m.send_log) SetSendLog(m.send_log->first, m.send_log->second);
  SendMessageW(Control(kPasteFrom), EM_LIMITTEXT, 9, 0);
  if (m.delivery) SetDelivery((*m.delivery)[0], (*m.delivery)[1], (*m.delivery)[2]);
  if (on_created) on_created(hwnd());
  return true;
}

void OptionsForm::Destroy() {
  impl_->pending = false;  // the program is unloading its windows: none is made any more
  if (!hwnd()) return;
  if (impl_->modal && main_) EnableWindow(main_, TRUE);
  WindowFrame::Destroy();
}

HWND OptionsForm::Control(int id) const {
  if (!hwnd()) return nullptr;
  if (HWND c = GetDlgItem(hwnd(), id)) return c;
  if (id >= kActivationBase && id < kActivationBase + 2 && impl_->activation_panel) {
    return GetDlgItem(impl_->activation_panel->hwnd(), id);
  }
  if (id >= kTriggerBase && id < kTriggerBase + 2 && impl_->trigger_panel) {
    return GetDlgItem(impl_->trigger_panel->hwnd(), id);
  }
  return nullptr;
}

void OptionsForm::Show() {
  if (!hwnd() && (!impl_->pending || !MakeWindow())) return;
  if (!IsWindowVisible(hwnd())) {
    PlaceNearMainWindow(hwnd(), main_, OuterSize());
    ShowWindow(hwnd(), SW_SHOW);
  }
  SetForegroundWindow(hwnd());
}

void OptionsForm::ShowModal() {
  if (!hwnd() && (!impl_->pending || !MakeWindow())) return;
  Show();
  impl_->modal = true;
  EnableWindow(main_, FALSE);
  HWND dialog = hwnd();
  MSG msg;
  while (IsWindow(dialog) && IsWindowVisible(dialog)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program ends: the outer loop must see that too.
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchThreadMessage(msg);
  }
  impl_->modal = false;
  if (IsWindow(main_)) EnableWindow(main_, TRUE);
}

void OptionsForm::Hide() {
  if (!hwnd()) return;
  // The main window is usable again before the dialog goes, so that it, and not some other
  // program, becomes active.
  if (impl_->modal) EnableWindow(main_, TRUE);
  ShowWindow(hwnd(), SW_HIDE);
}

void OptionsForm::SetPathText(const std::string& path) {
  impl_->path = path;
  if (!hwnd()) return;
  SetWindowTextUtf8(Control(kDataFilePath), path);
}

void OptionsForm::SelectActivation(int index) {
  impl_->activation = index;
  CheckOneOf(kActivationBase, 2, index);
}

void OptionsForm::SelectTrigger(int index) {
  impl_->trigger = index;
  CheckOneOf(kTriggerBase, 2, index);
}

void OptionsForm::CheckOneOf(int first_id, int count, int index) {
  if (!hwnd()) return;
  for (int i = 0; i < count; ++i) {
    SendMessageW(Control(first_id + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void OptionsForm::SelectEdge(int index) {
  impl_->edge = index;
  impl_->edge_set = true;
  if (!hwnd()) return;
  for (int i = 0; i < 4; ++i) {
    HWND bar = Control(kEdgeBase + i);
    // Tab comes to the chosen edge, as to the chosen button of a group.
    LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
    style = i == index ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(bar, GWL_STYLE, style);
    InvalidateRect(bar, nullptr, TRUE);
  }
}

void OptionsForm::SetCascading(bool on) {
  impl_->cascading = on;
  if (!hwnd()) return;
  SendMessageW(Control(kCascadingCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetAutostart(bool on) {
  impl_->autostart = on;
  if (!hwnd()) return;
  SendMessageW(Control(kAutostartCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetSampleColour(std::int32_t colour) {
  impl_->colour = colour;
  impl_->colour_set = true;
  if (!hwnd()) return;
  for (int i = 0; i < 4; ++i) InvalidateRect(Control(kEdgeBase + i), nullptr, TRUE);
  InvalidateRect(Control(kColourSample), nullptr, TRUE);
}

void OptionsForm::ApplyBorderControls(const BorderControls& state) {
  impl_->border = state;
  if (!hwnd()) return;
  const int edge_show = state.edge_controls_visible ? SW_SHOWNA : SW_HIDE;
  for (int i = 0; i < 4; ++i) ShowWindow(Control(kEdgeBase + i), edge_show);
  ShowWindow(Control(CommandId(QuilletCommand::kOptColour)), edge_show);
  ShowWindow(Control(kColourSample), edge_show);
  ShowWindow(Control(kRedCircle), state.red_circle_visible ? SW_SHOWNA : SW_HIDE);
  for (int i = 0; i < 2; ++i) EnableWindow(Control(kTriggerBase + i), state.trigger_enabled);
}

void OptionsForm::SetPickerHotkey(const Hotkey& hotkey) {
  impl_->hotkey = hotkey;
  if (!hwnd()) return;
  SendMessageW(Control(kPickerHotkeyCheck), BM_SETCHECK,
               hotkey.none() ? BST_UNCHECKED : BST_CHECKED, 0);
  impl_->setting_hotkey = true;
  if (!hotkey.none()) SendMessageW(Control(kPickerHotkey), HKM_SETHOTKEY,
                                   HotkeyControlValue(hotkey), 0);
  impl_->setting_hotkey = false;
  EnableWindow(Control(kPickerHotkey), !hotkey.none());
  EnableWindow(Control(kPickerHotkeyLabel), !hotkey.none());
}

void OptionsForm::SetPickerSearchesText(bool on) {
  impl_->searches_text = on;
  if (!hwnd()) return;
  SendMessageW(Control(kPickerTextCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetAbbreviations(bool on) {
  impl_->abbreviations = on;
  if (!hwnd()) return;
  SendMessageW(Control(kAbbreviationsCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetCapitals(bool on) {
  impl_->capitals = on;
  if (!hwnd()) return;
  SendMessageW(Control(kCapitalsCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetKeepOut(const std::vector<std::string>& list) {
  impl_->keep_out = list;
  if (!hwnd()) return;
  HWND box = Control(kKeepOutList);
  const LRESULT selected = SendMessageW(box, LB_GETCURSEL, 0, 0);
  SendMessageW(box, LB_RESETCONTENT, 0, 0);
  // A long window class scrolls sideways.
  LONG widest = 0;
  {
    WindowDc dc(box);
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    for (const std::string& name : list) {
      const std::wstring text = Utf8ToWide(name);
      SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
      SIZE size{};
      if (GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) {
        widest = std::max(widest, size.cx);
      }
    }
  }
  SendMessageW(box, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Px(90)), 0);
  // The row taken out gives its place to the one after it.
  if (!list.empty() && selected >= 0) {
    SendMessageW(box, LB_SETCURSEL,
                 static_cast<WPARAM>(std::min(selected, static_cast<LRESULT>(list.size()) - 1)), 0);
  }
}

void OptionsForm::SetSendLog(bool on, bool titles) {
  impl_->send_log = {on, titles};
  if (!hwnd()) return;
  SendMessageW(Control(kSendLogCheck), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(Control(kSendLogTitlesCheck), BM_SETCHECK, titles ? BST_CHECKED : BST_UNCHECKED, 0);
  EnableWindow(Control(kSendLogTitlesCheck), on);
}

void OptionsForm::SetDelivery(const std::string& paste_from, const std::string& rules,
                              const std::string& built_in) {
  impl_->delivery = {paste_from, rules, built_in};
  if (!hwnd()) return;
  SetWindowTextUtf8(Control(kPasteFrom), paste_from);
  SetWindowTextUtf8(Control(kRules), rules);
  SetWindowTextUtf8(Control(kBuiltInRules), built_in);
}

std::string OptionsForm::PasteFromText() {
  if (!hwnd()) return impl_->delivery ? (*impl_->delivery)[0] : std::string();
  return GetWindowTextUtf8(Control(kPasteFrom));
}

std::string OptionsForm::RulesText() {
  if (!hwnd()) return impl_->delivery ? (*impl_->delivery)[1] : std::string();
  return GetWindowTextUtf8(Control(kRules));
}

void OptionsForm::FocusPasteFrom() {
  if (!hwnd()) return;
  HWND field = Control(kPasteFrom);
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

void OptionsForm::FocusRuleLine(int line) {
  if (!hwnd()) return;
  HWND rules = Control(kRules);
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(rules), TRUE);
  // The dialog manager selects the whole text on the way in; the bad line is what is meant.
  const LRESULT start = SendMessageW(rules, EM_LINEINDEX, static_cast<WPARAM>(line - 1), 0);
  if (start < 0) return;
  const LRESULT length = SendMessageW(rules, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageW(rules, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  SendMessageW(rules, EM_SCROLLCARET, 0, 0);
}

std::vector<ControlRow> OptionsForm::Table() const {
  return OptionsDialogTable();
}

SIZE OptionsForm::ClientTwips() const {
  return {kOptionsClientWidth, kOptionsClientHeight};
}

void OptionsForm::AfterLayout(bool create) {
  Impl& m = *impl_;
  if (create) {
    // The panels come in the tab order where their rows stand, after the folder's buttons.
    m.activation_panel = std::make_unique<OptionsPanel>(kActivationPanel);
    m.trigger_panel = std::make_unique<OptionsPanel>(kTriggerPanel);
    m.activation_panel->Create(hwnd(), dpi(),
                               GetDlgItem(hwnd(), CommandId(QuilletCommand::kOptOpenFolder)));
    m.trigger_panel->Create(hwnd(), dpi(), m.activation_panel->hwnd());
    // Drawn order: the circle over everything, the frames under everything; the picture
    // already lies under the bars, which come before it.
    SetWindowPos(GetDlgItem(hwnd(), kRedCircle), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int group :
         {kDeliveryGroup, kKeyboardGroup, kMenuActivationGroup, kStorageGroup, kSettingsGroup}) {
      SetWindowPos(GetDlgItem(hwnd(), group), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  } else {
    m.activation_panel->FollowDpi(dpi());
    m.trigger_panel->FollowDpi(dpi());
  }

  // The trigger's panel lies partly over the activation's, beside "Icon &und": the latter
  // gives way there, so that the trigger's buttons show and take the clicks.
  const RECT activation = PanelTwips(kActivationPanel), trigger = PanelTwips(kTriggerPanel);
  const RECT own{0, 0, Px(activation.right), Px(activation.bottom)};
  const int dx = Px(trigger.left - activation.left), dy = Px(trigger.top - activation.top);
  HRGN panel_region = CreateRectRgnIndirect(&own);
  HRGN overlap = CreateRectRgn(dx, dy, own.right, own.bottom);
  CombineRgn(panel_region, panel_region, overlap, RGN_DIFF);
  DeleteObject(overlap);
  SetWindowRgn(m.activation_panel->hwnd(), panel_region, TRUE);  // the window owns it now

  // The red circle is only its outline: what lies under its middle stays visible.
  const int w = Px(kRedCircleTwips.cx), h = Px(kRedCircleTwips.cy), pen = std::max(2, Px(30));
  HRGN ring = CreateEllipticRgn(0, 0, w, h);
  HRGN inner = CreateEllipticRgn(pen, pen, w - pen, h - pen);
  CombineRgn(ring, ring, inner, RGN_DIFF);
  DeleteObject(inner);
  SetWindowRgn(GetDlgItem(hwnd(), kRedCircle), ring, TRUE);
}

void OptionsForm::OnCreate() {
  SetClientSize(hwnd(), kOptionsClientWidth, kOptionsClientHeight, dpi(), 0, 0);
}

std::optional<LRESULT> OptionsForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DRAWITEM:
      DrawOptionsItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam), impl_->colour, impl_->edge,
                      dpi());
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // The path field is read-only, and shown in the menu's colour.
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd(), kDataFilePath)) {
        const HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, GetSysColor(COLOR_MENU));
        SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_MENU));
      }
      return std::nullopt;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) PlaceNearMainWindow(hwnd(), main_, OuterSize());
      return std::nullopt;  // the dialog manager gives the focus back to its control
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        if (model_) model_->OnClose();
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

bool OptionsForm::OnClose() {
  // Any close only hides: the dialog lives until the program ends.
  if (model_) model_->OnClose();
  return true;
}

bool OptionsForm::OnDpiChanged(const RECT& suggested) {
  WindowFrame::OnDpiChanged(suggested);
  InvalidateRect(hwnd(), nullptr, TRUE);
  return true;
}

bool OptionsForm::OnCommand(int id, int code) {
  if (!model_) return true;
  if (id == IDCANCEL) {
    model_->OnClose();
    return true;
  }
  if (id == IDOK) {  // Enter, where the focus is on no button
    model_->OnButton(QuilletCommand::kOptOk);
    return true;
  }
  const auto hotkey_value = [this] {
    return static_cast<unsigned>(
        SendMessageW(Control(kPickerHotkey), HKM_GETHOTKEY, 0, 0) & 0xFFFF);
  };
  if (id == kPickerHotkey) {
    if (code == EN_CHANGE && !impl_->setting_hotkey) model_->OnPickerHotkeyKeys(hotkey_value());
    return true;
  }
  if (code != BN_CLICKED) return true;
  auto checked = [this](int control) {
    return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  switch (static_cast<QuilletCommand>(id)) {
    case QuilletCommand::kOptChooseFolder:
    case QuilletCommand::kOptOk:
    case QuilletCommand::kOptDefault:
    case QuilletCommand::kOptOpenFolder:
    case QuilletCommand::kOptColour:
      model_->OnButton(static_cast<QuilletCommand>(id));
      return true;
    default:
      break;
  }
  if (id >= kActivationBase && id < kActivationBase + 2) {
    if (checked(id)) model_->OnActivationOption(id - kActivationBase);
  } else if (id >= kTriggerBase && id < kTriggerBase + 2) {
    if (checked(id)) model_->OnTriggerOption(id - kTriggerBase);
  } else if (id >= kEdgeBase && id < kEdgeBase + 4) {
    model_->OnEdgeOption(id - kEdgeBase);
  } else if (id == kCascadingCheck) {
    model_->OnCascading(checked(id));
  } else if (id == kAutostartCheck) {
    model_->OnAutostart(checked(id));
  } else if (id == kPickerHotkeyCheck) {
    model_->OnPickerHotkeySwitch(checked(id), hotkey_value());
  } else if (id == kPickerTextCheck) {
    model_->OnSearchesText(checked(id));
  } else if (id == kAbbreviationsCheck) {
    model_->OnAbbreviations(checked(id));
  } else if (id == kCapitalsCheck) {
    model_->OnCapitals(checked(id));
  } else if (id == kSendLogCheck) {
    model_->OnSendLog(checked(id));
  } else if (id == kSendLogTitlesCheck) {
    model_->OnSendLogTitles(checked(id));
  } else if (id == kKeepOutAdd) {
    model_->OnKeepOutAdd();
  } else if (id == kBuiltInRulesButton) {
    ShowBuiltInRules(hwnd(), "Eingebaute Regeln", BuiltInRuleRows());
  } else if (id == kKeepOutRemove) {
    model_->OnKeepOutRemove(static_cast<int>(SendMessageW(Control(kKeepOutList), LB_GETCURSEL, 0, 0)));
  }
  return true;
}

}  // namespace qm
