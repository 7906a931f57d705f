// Quillet's Options dialog: the controls, their drawing, and the events handed to the model.
#include "quillet/options/options_form_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "platform/utf16_win32.h"
#include "quillet/menu/edge_strip.h"
#include "ui/window_frame_win32.h"

namespace qm {
namespace {

constexpr int kClientWidth = 12600, kClientHeight = 6780;  // twips

// The frames' places in the client area: the controls inside them are given relative to them.
constexpr POINT kFrame0{120, 60}, kFrame1{120, 2160}, kFrame2{4260, 60}, kFrame3{120, 4860},
                kFrame4{8400, 60};
// The two borderless panels that keep their option buttons apart as groups of their own.
constexpr RECT kLayer{240, 300, 3615, 675}, kLayer2{1260, 600, 2595, 795};  // in frame 2
// The picture of a screen, and the screen's face inside it where the edge bars lie.
constexpr RECT kImage{600, 1560, 2820, 2610};  // in frame 2: left, top, width, height

constexpr DWORD kClip = WS_CLIPSIBLINGS;

ControlRow In(POINT frame, ControlRow row) {
  row.left += frame.x;
  row.top += frame.y;
  return row;
}

// The dialog's own children, in tab order. The frames, the picture and the red circle are
// moved in the Z-order afterwards (see Layout); none of them takes the focus.
std::vector<ControlRow> DialogTable() {
  const DWORD tab = WS_TABSTOP | WS_GROUP | kClip;
  const DWORD bar = BS_OWNERDRAW | kClip;
  return {
      In(kFrame0, {kOptAutoStartChk, WC_BUTTONW, "&Programm direkt beim Systemstart aufrufen",
                   BS_AUTOCHECKBOX | tab, 180, 360, 3555, 315}),
      In(kFrame0, {kOptPumModeChk, WC_BUTTONW, "&Textbaustein-Menü kaskadierend darstellen",
                   BS_AUTOCHECKBOX | tab, 180, 840, 3735, 315}),
      In(kFrame1, {kOptPathTB, WC_EDITW, "", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | tab, 180,
                   480, 3675, 315}),
      In(kFrame1, {CommandId(QuilletCommand::kOptChooseFolder), WC_BUTTONW,
                   "Speicherort selbst festlegen ...", BS_PUSHBUTTON | tab, 180, 1020, 2475, 375}),
      In(kFrame1, {CommandId(QuilletCommand::kOptDefault), WC_BUTTONW, "&Standard",
                   BS_PUSHBUTTON | tab, 2760, 1020, 1095, 375}),
      In(kFrame1, {CommandId(QuilletCommand::kOptOpenFolder), WC_BUTTONW,
                   "Betreffenden Ordner öffnen ...", BS_PUSHBUTTON | tab, 180, 1620, 2475, 375}),
      In(kFrame2, {kOptLayer, kOptionsPanelClass, "", WS_GROUP | kClip, kLayer.left, kLayer.top,
                   kLayer.right, kLayer.bottom}),
      In(kFrame2, {kOptLayer2, kOptionsPanelClass, "", WS_GROUP | kClip, kLayer2.left,
                   kLayer2.top, kLayer2.right, kLayer2.bottom}),
      // Wider than drawn in the form's design, where "Position:" lost its colon at 200 %;
      // nothing stands to its right.
      In(kFrame2, {kOptLabel1, WC_STATICW, "Position:", SS_LEFT | WS_GROUP | kClip, 240, 1260,
                   960, 195}),
      // The edge bars: a group of their own, reached with Tab and moved in with the arrows;
      // their texts are not drawn but name them for screen readers and automation.
      In(kFrame2, {kOptEdgeBase + 0, WC_BUTTONW, "Oben", bar | WS_GROUP, 840, 1680, 2355, 135}),
      In(kFrame2, {kOptEdgeBase + 1, WC_BUTTONW, "Unten", bar, 840, 3540, 2355, 135}),
      In(kFrame2, {kOptEdgeBase + 2, WC_BUTTONW, "Links", bar, 720, 1800, 135, 1755}),
      In(kFrame2, {kOptEdgeBase + 3, WC_BUTTONW, "Rechts", bar, 3180, 1800, 135, 1755}),
      In(kFrame2, {kOptImage1, WC_STATICW, "", SS_OWNERDRAW | WS_GROUP | kClip, kImage.left,
                   kImage.top, kImage.right, kImage.bottom}),
      In(kFrame2, {CommandId(QuilletCommand::kOptColour), WC_BUTTONW, "&Farbauswahl",
                   BS_PUSHBUTTON | tab, 660, 4200, 2295, 375}),
      In(kFrame2, {kOptColBtnSample, WC_STATICW, "", SS_OWNERDRAW | WS_GROUP | kClip, 3000, 4200,
                   375, 375}),
      // The keyboard: the accelerators avoid the letters taken above (P T S F O M K I U).
      In(kFrame3, {kOptPickerHotkeyChk, WC_BUTTONW, "&Auswahl per Tastenkürzel öffnen",
                   BS_AUTOCHECKBOX | tab, 180, 300, 3900, 315}),
      In(kFrame3, {kOptPickerHotkeyLabel, WC_STATICW, "Tastenkürzel &der Auswahl:",
                   SS_LEFT | WS_GROUP | kClip, 180, 795, 2340, 240}),
      In(kFrame3, {kOptPickerHotkey, HOTKEY_CLASSW, "", WS_BORDER | tab, 2580, 750, 1900, 315}),
      In(kFrame3, {kOptPickerTextChk, WC_BUTTONW, "Auswahl durchsucht auch den Te&xt",
                   BS_AUTOCHECKBOX | tab, 4560, 300, 3495, 315}),
      In(kFrame3, {kOptAbbreviationsChk, WC_BUTTONW, "Kürzel beim Tippen &ersetzen",
                   BS_AUTOCHECKBOX | tab, 4560, 750, 3495, 315}),
      // The delivery, in a column of its own so that the dialog grows wider, not taller: at
      // 200 % a taller one would not fit a small screen. The hint comes before the label, so
      // that the label's access key reaches the rules.
      In(kFrame4, {kOptPasteFromLabel, WC_STATICW, "Einfü&gen ab", SS_LEFT | WS_GROUP | kClip,
                   180, 360, 1140, 240}),
      In(kFrame4, {kOptPasteFrom, WC_EDITW, "", ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | tab,
                   1380, 315, 900, 315}),
      In(kFrame4, {kOptPasteFromUnit, WC_STATICW, "Zeichen (0 = nie)",
                   SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip, 2340, 360, 1620, 240}),
      In(kFrame4, {kOptRulesHint, WC_STATICW,
                   "je Zeile Programm oder Fensterklasse;Zustellung",
                   SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip, 180, 1035, 3780, 240}),
      In(kFrame4, {kOptRulesLabel, WC_STATICW, "&Regeln:", SS_LEFT | WS_GROUP | kClip, 180, 780,
                   3780, 240}),
      In(kFrame4, {kOptRules, WC_EDITW, "",
                   ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                       WS_HSCROLL | WS_BORDER | tab,
                   180, 1320, 3780, 2490}),
      In(kFrame4, {kOptBuiltInRules, WC_STATICW, "", SS_LEFT | SS_NOPREFIX | WS_GROUP | kClip,
                   180, 3900, 3780, 2040}),
      {CommandId(QuilletCommand::kOptOk), WC_BUTTONW, "&OK",
       BS_DEFPUSHBUTTON | tab, 5280, 6270, 2055, 375},
      In(kFrame2, {kOptRedCircle, WC_STATICW, "", SS_OWNERDRAW | kClip, 3180, 495, 555, 779}),
      {kOptFrame0, WC_BUTTONW, "Einstellungen", BS_GROUPBOX | WS_GROUP | kClip, kFrame0.x,
       kFrame0.y, 4035, 1935},
      {kOptFrame1, WC_BUTTONW, "Ablage der Textbausteine", BS_GROUPBOX | WS_GROUP | kClip,
       kFrame1.x, kFrame1.y, 4035, 2595},
      {kOptFrame2, WC_BUTTONW, "Aktivierung des PopUp-Menüs", BS_GROUPBOX | WS_GROUP | kClip,
       kFrame2.x, kFrame2.y, 4035, 4695},
      {kOptFrame3, WC_BUTTONW, "Tastatur", BS_GROUPBOX | WS_GROUP | kClip, kFrame3.x, kFrame3.y,
       8175, 1290},
      {kOptFrame4, WC_BUTTONW, "Zustellung", BS_GROUPBOX | WS_GROUP | kClip, kFrame4.x,
       kFrame4.y, 4080, 6090},
  };
}

// Relative to the panels.
std::vector<ControlRow> LayerTable() {
  return {
      {kOptActivationBase + 0, WC_BUTTONW, "nur per Klick auf &Icon in der Taskleiste",
       BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 3495, 195},
      {kOptActivationBase + 1, WC_BUTTONW, "Icon &und", BS_AUTORADIOBUTTON, 0, 300, 1695, 195},
  };
}
std::vector<ControlRow> Layer2Table() {
  return {
      {kOptTriggerBase + 0, WC_BUTTONW, "&Maus über Desktop-Rand",
       BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 2415, 195},
      {kOptTriggerBase + 1, WC_BUTTONW, "&Klick auf Bildschirmrand", BS_AUTORADIOBUTTON, 0, 300,
       2055, 195},
  };
}

// A panel hands its buttons' notifications on to the dialog, which owns the decisions.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return SendMessageW(GetParent(panel), message, wparam, lparam);
    default:
      return DefWindowProcW(panel, message, wparam, lparam);
  }
}

bool RegisterPanelClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.lpfnWndProc = PanelProc;
  wc.hInstance = instance;
  wc.lpszClassName = kOptionsPanelClass;
  return RegisterWindowClass(wc);
}

COLORREF Rgb(std::int32_t colour) {
  return static_cast<COLORREF>(
      PlainColour(colour, [](int index) { return static_cast<std::uint32_t>(GetSysColor(index)); }));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void Frame(HDC dc, RECT r, COLORREF colour, int thickness) {
  UniqueBrush brush(CreateSolidBrush(colour));
  for (int i = 0; i < thickness && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
    FrameRect(dc, &r, brush.get());
    InflateRect(&r, -1, -1);
  }
}

}  // namespace

struct OptionsForm::Impl {
  std::int32_t colour = SystemColourValue(COLOR_BTNFACE);
  int edge = 0;
  bool modal = false;
  HWND layer = nullptr, layer2 = nullptr;
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
  std::optional<bool> searches_text, abbreviations;
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
  if (!RegisterPanelClass(m.instance)) return false;
  // A fixed single border: a caption with the close box, no sizing frame.
  if (!CreateModeless(m.instance, kOptionsFormClass, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                      m.caption, main_)) {
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
  SendMessageW(Control(kOptPasteFrom), EM_LIMITTEXT, 9, 0);
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
  if (id >= kOptActivationBase && id < kOptActivationBase + 2) {
    return GetDlgItem(impl_->layer, id);
  }
  if (id >= kOptTriggerBase && id < kOptTriggerBase + 2) return GetDlgItem(impl_->layer2, id);
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
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
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
  SetWindowTextUtf8(Control(kOptPathTB), path);
}

void OptionsForm::SelectActivation(int index) {
  impl_->activation = index;
  CheckOneOf(kOptActivationBase, 2, index);
}

void OptionsForm::SelectTrigger(int index) {
  impl_->trigger = index;
  CheckOneOf(kOptTriggerBase, 2, index);
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
    HWND bar = Control(kOptEdgeBase + i);
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
  SendMessageW(Control(kOptPumModeChk), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetAutostart(bool on) {
  impl_->autostart = on;
  if (!hwnd()) return;
  SendMessageW(Control(kOptAutoStartChk), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetSampleColour(std::int32_t colour) {
  impl_->colour = colour;
  impl_->colour_set = true;
  if (!hwnd()) return;
  for (int i = 0; i < 4; ++i) InvalidateRect(Control(kOptEdgeBase + i), nullptr, TRUE);
  InvalidateRect(Control(kOptColBtnSample), nullptr, TRUE);
}

void OptionsForm::ApplyBorderControls(const BorderControls& state) {
  impl_->border = state;
  if (!hwnd()) return;
  const int edge_show = state.edge_controls_visible ? SW_SHOWNA : SW_HIDE;
  for (int i = 0; i < 4; ++i) ShowWindow(Control(kOptEdgeBase + i), edge_show);
  ShowWindow(Control(CommandId(QuilletCommand::kOptColour)), edge_show);
  ShowWindow(Control(kOptColBtnSample), edge_show);
  ShowWindow(Control(kOptRedCircle), state.red_circle_visible ? SW_SHOWNA : SW_HIDE);
  for (int i = 0; i < 2; ++i) EnableWindow(Control(kOptTriggerBase + i), state.trigger_enabled);
}

void OptionsForm::SetPickerHotkey(const Hotkey& hotkey) {
  impl_->hotkey = hotkey;
  if (!hwnd()) return;
  SendMessageW(Control(kOptPickerHotkeyChk), BM_SETCHECK,
               hotkey.none() ? BST_UNCHECKED : BST_CHECKED, 0);
  impl_->setting_hotkey = true;
  if (!hotkey.none()) SendMessageW(Control(kOptPickerHotkey), HKM_SETHOTKEY,
                                   HotkeyControlValue(hotkey), 0);
  impl_->setting_hotkey = false;
  EnableWindow(Control(kOptPickerHotkey), !hotkey.none());
  EnableWindow(Control(kOptPickerHotkeyLabel), !hotkey.none());
}

void OptionsForm::SetPickerSearchesText(bool on) {
  impl_->searches_text = on;
  if (!hwnd()) return;
  SendMessageW(Control(kOptPickerTextChk), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetAbbreviations(bool on) {
  impl_->abbreviations = on;
  if (!hwnd()) return;
  SendMessageW(Control(kOptAbbreviationsChk), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionsForm::SetDelivery(const std::string& paste_from, const std::string& rules,
                              const std::string& built_in) {
  impl_->delivery = {paste_from, rules, built_in};
  if (!hwnd()) return;
  SetWindowTextUtf8(Control(kOptPasteFrom), paste_from);
  SetWindowTextUtf8(Control(kOptRules), rules);
  SetWindowTextUtf8(Control(kOptBuiltInRules), built_in);
}

std::string OptionsForm::PasteFromText() {
  if (!hwnd()) return impl_->delivery ? (*impl_->delivery)[0] : std::string();
  return GetWindowTextUtf8(Control(kOptPasteFrom));
}

std::string OptionsForm::RulesText() {
  if (!hwnd()) return impl_->delivery ? (*impl_->delivery)[1] : std::string();
  return GetWindowTextUtf8(Control(kOptRules));
}

void OptionsForm::FocusPasteFrom() {
  if (!hwnd()) return;
  HWND field = Control(kOptPasteFrom);
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

void OptionsForm::FocusRuleLine(int line) {
  if (!hwnd()) return;
  HWND rules = Control(kOptRules);
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(rules), TRUE);
  // The dialog manager selects the whole text on the way in; the bad line is what is meant.
  const LRESULT start = SendMessageW(rules, EM_LINEINDEX, static_cast<WPARAM>(line - 1), 0);
  if (start < 0) return;
  const LRESULT length = SendMessageW(rules, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageW(rules, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  SendMessageW(rules, EM_SCROLLCARET, 0, 0);
}

std::vector<ControlRow> OptionsForm::Table() const {
  return DialogTable();
}

SIZE OptionsForm::ClientTwips() const {
  return {kClientWidth, kClientHeight};
}

void OptionsForm::AfterLayout(bool create) {
  Impl& m = *impl_;
  if (create) {
    m.layer = GetDlgItem(hwnd(), kOptLayer);
    m.layer2 = GetDlgItem(hwnd(), kOptLayer2);
    for (HWND panel : {m.layer, m.layer2}) {
      // The dialog's keyboard handling goes into the panels: Tab, arrows, access keys.
      SetWindowLongPtrW(panel, GWL_EXSTYLE,
                        GetWindowLongPtrW(panel, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    }
    CreateControls(m.layer, LayerTable(), dpi(), font());
    CreateControls(m.layer2, Layer2Table(), dpi(), font());
    // Drawn order: the circle over everything, the frames under everything; the picture
    // already lies under the bars, which come before it.
    SetWindowPos(GetDlgItem(hwnd(), kOptRedCircle), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int frame : {kOptFrame4, kOptFrame3, kOptFrame2, kOptFrame1, kOptFrame0}) {
      SetWindowPos(GetDlgItem(hwnd(), frame), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  } else {
    PlaceControls(m.layer, LayerTable(), dpi(), font());
    PlaceControls(m.layer2, Layer2Table(), dpi(), font());
  }

  // The second panel lies partly over the first, beside "Icon &und": the first gives way
  // there, so that the second's buttons show and take the clicks.
  const RECT own{0, 0, Px(kLayer.right), Px(kLayer.bottom)};
  const int dx = Px(kLayer2.left - kLayer.left), dy = Px(kLayer2.top - kLayer.top);
  HRGN layer_region = CreateRectRgnIndirect(&own);
  HRGN overlap = CreateRectRgn(dx, dy, own.right, own.bottom);
  CombineRgn(layer_region, layer_region, overlap, RGN_DIFF);
  DeleteObject(overlap);
  SetWindowRgn(m.layer, layer_region, TRUE);  // the window owns the region now

  // The red circle is only its outline: what lies under its middle stays visible.
  const int w = Px(555), h = Px(779), pen = std::max(2, Px(30));
  HRGN ring = CreateEllipticRgn(0, 0, w, h);
  HRGN inner = CreateEllipticRgn(pen, pen, w - pen, h - pen);
  CombineRgn(ring, ring, inner, RGN_DIFF);
  DeleteObject(inner);
  SetWindowRgn(GetDlgItem(hwnd(), kOptRedCircle), ring, TRUE);
}

void OptionsForm::OnCreate() {
  SetClientSize(hwnd(), kClientWidth, kClientHeight, dpi(), 0, 0);
}

std::optional<LRESULT> OptionsForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DRAWITEM:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // The path field is read-only, and shown in the menu's colour.
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(hwnd(), kOptPathTB)) {
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
        SendMessageW(Control(kOptPickerHotkey), HKM_GETHOTKEY, 0, 0) & 0xFFFF);
  };
  if (id == kOptPickerHotkey) {
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
  if (id >= kOptActivationBase && id < kOptActivationBase + 2) {
    if (checked(id)) model_->OnActivationOption(id - kOptActivationBase);
  } else if (id >= kOptTriggerBase && id < kOptTriggerBase + 2) {
    if (checked(id)) model_->OnTriggerOption(id - kOptTriggerBase);
  } else if (id >= kOptEdgeBase && id < kOptEdgeBase + 4) {
    model_->OnEdgeOption(id - kOptEdgeBase);
  } else if (id == kOptPumModeChk) {
    model_->OnCascading(checked(id));
  } else if (id == kOptAutoStartChk) {
    model_->OnAutostart(checked(id));
  } else if (id == kOptPickerHotkeyChk) {
    model_->OnPickerHotkeySwitch(checked(id), hotkey_value());
  } else if (id == kOptPickerTextChk) {
    model_->OnSearchesText(checked(id));
  } else if (id == kOptAbbreviationsChk) {
    model_->OnAbbreviations(checked(id));
  }
  return true;
}

void OptionsForm::Draw(const DRAWITEMSTRUCT& item) {
  Impl& m = *impl_;
  const HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const int id = static_cast<int>(item.CtlID);
  const int one = std::max(1, Px(15));  // a pixel at 96 DPI
  if (id >= kOptEdgeBase && id < kOptEdgeBase + 4) {
    // In the strip's colour; the chosen edge framed black and white, which shows on every
    // colour, the others in a thin grey frame.
    Fill(dc, r, Rgb(m.colour));
    if (id - kOptEdgeBase == m.edge) {
      Frame(dc, r, RGB(0, 0, 0), one);
      RECT inner = r;
      InflateRect(&inner, -one, -one);
      Frame(dc, inner, RGB(255, 255, 255), one);
    } else {
      Frame(dc, r, GetSysColor(COLOR_BTNSHADOW), one);
    }
    if (item.itemState & ODS_FOCUS) {
      RECT focus = r;
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &focus);
    }
  } else if (id == kOptColBtnSample) {
    Fill(dc, r, Rgb(m.colour));
    Frame(dc, r, GetSysColor(COLOR_WINDOWTEXT), one);
  } else if (id == kOptRedCircle) {
    Fill(dc, r, RGB(255, 0, 0));  // the window's region makes this a ring
  } else if (id == kOptImage1) {
    // A monitor: a dark case whose face is where the edge bars lie, on a stand.
    const int width = r.right - r.left, height = r.bottom - r.top;
    auto x = [&](int twips) { return r.left + MulDiv(twips, width, kImage.right); };
    auto y = [&](int twips) { return r.top + MulDiv(twips, height, kImage.bottom); };
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    const RECT foot{x(780), y(2430), x(2040), y(2580)};
    const RECT neck{x(1230), y(2220), x(1590), y(2440)};
    Fill(dc, foot, RGB(96, 96, 96));
    Fill(dc, neck, RGB(128, 128, 128));
    const RECT case_rect{x(0), y(0), x(2820), y(2235)};
    UniqueBrush case_brush(CreateSolidBrush(RGB(64, 64, 64)));
    SelectedObject brush(dc, case_brush.get());
    SelectedObject pen(dc, GetStockObject(NULL_PEN));
    const int round = std::max(2, Px(90));
    RoundRect(dc, case_rect.left, case_rect.top, case_rect.right + 1, case_rect.bottom + 1,
              round, round);
    const RECT face{x(120), y(120), x(2715), y(2115)};
    Fill(dc, face, RGB(58, 110, 165));
    // A window on the desktop, so that the face reads as a screen.
    const RECT window{x(900), y(600), x(1950), y(1500)};
    Fill(dc, window, RGB(240, 240, 240));
    Fill(dc, RECT{window.left, window.top, window.right, window.top + Px(150)},
         RGB(0, 84, 166));
  }
}

}  // namespace qm
