// Quillet's main window as real Win32 controls; the decisions are the model's.
#include "quillet/main/main_form_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/utf16_win32.h"
#include "quillet/main/glyph_editor_win32.h"
#include "quillet/main/main_resize.h"
#include "quillet/main/main_form_table_win32.h"
#include "quillet/main/list_controls_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

std::wstring ControlTextW(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

}  // namespace

struct MainForm::Impl {
  HINSTANCE instance;
  HWND window = nullptr;
  MainModel* model = nullptr;
  MainFormCommands commands;
  int dpi = USER_DEFAULT_SCREEN_DPI;
  UniqueFont font;
  UniqueBrush window_brush;
  HMENU menu = nullptr;
  LayoutScaler scaler;
  bool layout_ready = false;
  LayoutRects scaled = kDesignedMainLayout;
  bool window_colour = false;  // list and editor backgrounds
  bool applying = false;
  GlyphEditor editor_control;
  HWND last_focus = nullptr;  // the control that had the focus when the window went inactive

  HWND Item(int id) const { return GetDlgItem(window, id); }
  HWND editor() const { return editor_control.hwnd(); }

  RECT PixelRect(const MainControl& c) const {
    const Rect r = MainControlTwips(c, scaled);
    const int left = Pixels(r.left), top = Pixels(r.top);
    return {left, top, left + Pixels(r.width), top + Pixels(r.height)};
  }

  void PlaceAll(bool create) {
    HDWP defer = create ? nullptr : BeginDeferWindowPos(static_cast<int>(MainControls().size()));
    for (const MainControl& c : MainControls()) {
      // The glyph editor makes its control itself, where PixelRect says at that time.
      if (c.id == kIdEditor && (create || !editor())) continue;
      const RECT r = PixelRect(c);
      if (create) {
        HWND control = CreateWindowExW(
            c.ex_style, c.window_class, Utf8ToWide(c.text).c_str(),
            WS_CHILD | (c.id == kIdKeyRecordChk ? 0 : WS_VISIBLE) | c.style, r.left, r.top,
            r.right - r.left, r.bottom - r.top, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), 0);
      } else if (defer) {
        defer = DeferWindowPos(defer, Item(c.id), nullptr, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
    if (defer) EndDeferWindowPos(defer);
  }

  double TwipsOf(int pixels) const { return pixels * 1440.0 / dpi; }
  int Pixels(double twips) const { return static_cast<int>(twips * dpi / 1440.0 + 0.5); }

  void Relayout() {
    if (!layout_ready) return;
    RECT outer{};
    GetWindowRect(window, &outer);
    const LayoutResult result =
        scaler.Apply(TwipsOf(outer.right - outer.left), TwipsOf(outer.bottom - outer.top));
    if (result.resize_window) {
      // Never smaller than at start-up; the resize this raises lays the window out again.
      SetWindowPos(window, nullptr, 0, 0, Pixels(result.window_width),
                   Pixels(result.window_height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    }
    scaled = result.controls;
    PlaceAll(false);
    InvalidateRect(window, nullptr, TRUE);
  }

  void SetFontAll() {
    for (const MainControl& c : MainControls()) {
      // A rich edit control gives the font to all of its text: the glyphs would lose theirs.
      if (c.id == kIdEditor) continue;
      SendMessageW(Item(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
  }
};

MainForm::MainForm(HINSTANCE instance) : impl_(std::make_unique<Impl>()) {
  impl_->instance = instance;
}

MainForm::~MainForm() {
  // The model may be gone already; the focus leaving is nothing to act on.
  impl_->model = nullptr;
  impl_->editor_control.SetModel(nullptr);
  tray_.RemoveAll();
  Destroy();
}

namespace {

bool KeyDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

}  // namespace

bool MainForm::Create(HICON icon, HICON small_icon, EditorCreation editor) {
  Impl& m = *impl_;
  m.menu = CreateMainMenuBar();

  // No WS_CLIPCHILDREN: the group boxes leave their inside to the window's background.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  if (!CreatePlainWindow(m.instance, FrameClass{kMainFormClass, icon, small_icon}, "Quillet",
                         FramePlacement{WS_EX_CONTROLPARENT, style,
                                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                                        m.menu})) {
    return false;
  }
  m.window = hwnd();
  tray_.SetWindow(m.window);
  m.dpi = WindowDpi(impl_->window);
  m.font = CreateMessageFont(m.dpi);
  m.PlaceAll(true);

  // Made where the editor's row in the control table puts it at that time.
  auto editor_rect = [&m] {
    const auto row = std::find_if(MainControls().begin(), MainControls().end(),
                                  [](const MainControl& c) { return c.id == kIdEditor; });
    return m.PixelRect(*row);
  };
  m.editor_control.Create({impl_->window, m.instance, kIdEditor, kIdTextFrame, editor_rect},
                          m.font.get(), editor);
  m.editor_control.SetContextMenu(GetSubMenu(m.menu, 1));
  SetWindowSubclass(m.Item(kIdCryptChk), CryptBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
  CheckRadioButton(impl_->window, kIdOptLastWindow, kIdOptTitle, kIdOptLastWindow);
  for (const char* caption : kDeliveryChoiceCaptions) {
    SendMessageW(m.Item(kIdDelivery), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf8ToWide(caption).c_str()));
  }
  SetDeliveryChoice(0);

  // Design size, in the middle of the primary screen; the saved geometry may move it. The
  // frame and the menu bar come on top of the client area, as the window has them now.
  // Twice: the menu bar's height depends on the width it gets.
  int width = 0, height = 0;
  for (int pass = 0; pass < 2; ++pass) {
    RECT outer{}, client{};
    GetWindowRect(impl_->window, &outer);
    GetClientRect(impl_->window, &client);
    width = m.Pixels(kDesignedMainClientWidth) + (outer.right - outer.left) - client.right;
    height = m.Pixels(kDesignedMainClientHeight) + (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(impl_->window, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const SIZE screen = PrimaryScreenSize();
  SetWindowPos(impl_->window, nullptr, (screen.cx - width) / 2, (screen.cy - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool MainForm::HasEditor() const {
  return impl_->editor() != nullptr;
}

void MainForm::Attach(MainModel* model, MainFormCommands commands) {
  impl_->model = model;
  impl_->editor_control.SetModel(model);
  impl_->commands = std::move(commands);
}

void MainForm::DetachModel() {
  impl_->model = nullptr;
  impl_->editor_control.SetModel(nullptr);
}

void MainForm::InitLayout() {
  Impl& m = *impl_;
  RECT outer{};
  GetWindowRect(impl_->window, &outer);
  m.scaler.Remember(Rect{m.TwipsOf(outer.left), m.TwipsOf(outer.top),
                         m.TwipsOf(outer.right - outer.left), m.TwipsOf(outer.bottom - outer.top)},
                    kDesignedMainLayout);
  m.layout_ready = true;
  m.Relayout();
}

MainForm::TwipsRect MainForm::OuterTwips() const {
  RECT r{};
  GetWindowRect(impl_->window, &r);
  if (IsIconic(impl_->window)) {
    // A minimised window's rectangle is the icon's; the size it comes back to counts.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(impl_->window, &placement)) r = placement.rcNormalPosition;
  }
  return {impl_->TwipsOf(r.left), impl_->TwipsOf(r.top), impl_->TwipsOf(r.right - r.left),
          impl_->TwipsOf(r.bottom - r.top)};
}

void MainForm::SetOuterTwips(const TwipsRect& r) {
  auto px = [&](double t) { return static_cast<int>(t * impl_->dpi / 1440.0 + 0.5); };
  SetWindowPos(impl_->window, nullptr, px(r.left), px(r.top), px(r.width), px(r.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::SetCaption(const std::string& caption) {
  SetWindowTextUtf8(impl_->window, caption);
}

LRESULT CALLBACK MainForm::CryptBoxProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<MainForm*>(data);
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, CryptBoxProc, id);
  if (message == WM_KILLFOCUS && self->impl_->model) {
    try {
      self->impl_->model->OnCryptLostFocus();
    } catch (...) {
      // As in the window procedure: the event is lost, nothing unwinds into the system.
    }
  }
  return DefSubclassProc(box, message, wparam, lparam);
}

bool MainForm::OnCommand(int id, int code) {
  Impl& m = *impl_;
  const auto command = static_cast<QuilletCommand>(id);
  switch (command) {
    case QuilletCommand::kEditCut:
    case QuilletCommand::kEditCopy:
    case QuilletCommand::kEditPaste:
    case QuilletCommand::kEditDelete:
    case QuilletCommand::kEditFind:
    case QuilletCommand::kEditFindNext:
      if (m.model) m.model->OnEditCommand(command);
      return true;
    case QuilletCommand::kMenuImport:
    case QuilletCommand::kMenuExport:
    case QuilletCommand::kMenuHide:
    case QuilletCommand::kMenuQuit:
    case QuilletCommand::kMenuExportEntry:
    case QuilletCommand::kMenuNewEntry:
    case QuilletCommand::kMenuRenameEntry:
    case QuilletCommand::kMenuDeleteEntry:
    case QuilletCommand::kMenuOptions:
    case QuilletCommand::kMenuDebugger:
    case QuilletCommand::kMenuHelp:
    case QuilletCommand::kMenuAbout:
      if (m.commands.command) m.commands.command(command);
      return true;
    case QuilletCommand::kDebugger:
    case QuilletCommand::kDeleteEntry:
    case QuilletCommand::kRenameEntry:
    case QuilletCommand::kHideMain:
    case QuilletCommand::kOptions:
    case QuilletCommand::kAbout:
    case QuilletCommand::kNewEntry:
    case QuilletCommand::kHelp:
      if (code == BN_CLICKED && m.commands.command) m.commands.command(command);
      return true;
    default:
      break;
  }
  if (!m.model) return true;
  switch (id) {
    case kIdList:
      if (code == LBN_SELCHANGE) m.model->OnListClick();
      break;
    case kIdDosBoxChk:
      if (code == BN_CLICKED) m.model->OnDosBoxClick();
      break;
    case kIdDelivery:
      if (code == CBN_SELCHANGE) m.model->OnDeliveryChoice(DeliveryChoice());
      break;
    case kIdOptLastWindow:
    case kIdOptTitle:
      if (code == BN_CLICKED) m.model->OnDestinationTypeClick(id == kIdOptTitle ? 1 : 0);
      break;
    case kIdAbbreviation:
      if (code == EN_KILLFOCUS) m.model->OnAbbreviationLostFocus();
      break;
    case kIdAtOnceChk:
      if (code == BN_CLICKED) m.model->OnAtOnceClick();
      break;
    case kIdTitleBox:
      if (code == CBN_DROPDOWN) m.model->OnTitleDropDown();
      if (code == CBN_KILLFOCUS) m.model->OnTitleLostFocus();
      break;
    default:
      break;
  }
  return true;
}

void MainForm::OnTimer(UINT_PTR id) {
  if (impl_->commands.timer) impl_->commands.timer(id);
}

bool MainForm::OnClose() {
  if (impl_->commands.close_request) impl_->commands.close_request();
  return true;
}

bool MainForm::OnDpiChanged(const RECT& suggested) {
  Impl& m = *impl_;
  m.dpi = dpi();
  // The controls let go of the old font before it is deleted.
  UniqueFont font = CreateMessageFont(m.dpi);
  std::swap(m.font, font);
  m.editor_control.SetFont(m.font.get());
  m.SetFontAll();
  SetWindowPos(m.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  m.Relayout();
  return true;
}

void MainForm::OnEndSession(bool) {
  if (impl_->commands.end_session) impl_->commands.end_session();
}

void MainForm::OnDestroy() {
  tray_.RemoveAll();  // the icons do not outlive their window
  if (impl_->commands.destroyed) impl_->commands.destroyed();
}

void MainForm::OnTrayIcon(unsigned, TrayEvent event) {
  if (impl_->commands.tray_icon) impl_->commands.tray_icon(event);
}

void MainForm::OnTaskbarCreated() {
  tray_.AddAgain();
}

std::optional<LRESULT> MainForm::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  Impl& m = *impl_;
  // Until the window is made, the system answers for it.
  if (!m.window) return std::nullopt;
  // Also while a message box of ours runs its own loop.
  static const UINT show_message = RegisterWindowMessageW(kShowMainWindowMessage);
  if (message == show_message) {
    if (m.commands.show_requested) m.commands.show_requested();
    return 0;
  }
  switch (message) {
    case WM_INITMENUPOPUP:
      // The edit menu shows what can be done right now.
      if (m.model && reinterpret_cast<HMENU>(wparam) == GetSubMenu(m.menu, 1)) {
        m.model->UpdateControlStates();
      }
      return 0;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) m.Relayout();
      return 0;
    case WM_GETMINMAXINFO:
      if (m.layout_ready) {
        // Never smaller than at start-up.
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize.x = m.Pixels(m.scaler.window().width);
        info->ptMinTrackSize.y = m.Pixels(m.scaler.window().height);
        return 0;
      }
      break;
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lparam) == m.Item(kIdList)) {
        const int colour = m.window_colour ? COLOR_WINDOW : COLOR_BTNFACE;
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(colour));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // A press on the frames with Ctrl+Alt ("Steuerung") or Shift+Ctrl ("Bearbeitung")
      // opens the window monitor.
      const POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
      RECT control_frame{}, text_frame{};
      GetWindowRect(m.Item(kIdControlFrame), &control_frame);
      GetWindowRect(m.Item(kIdTextFrame), &text_frame);
      MapWindowPoints(nullptr, impl_->window, reinterpret_cast<POINT*>(&control_frame), 2);
      MapWindowPoints(nullptr, impl_->window, reinterpret_cast<POINT*>(&text_frame), 2);
      const bool gesture = (PtInRect(&control_frame, p) && ctrl && alt && !shift) ||
                           (PtInRect(&text_frame, p) && shift && ctrl && !alt);
      if (gesture && m.commands.monitor_gesture) m.commands.monitor_gesture();
      return 0;
    }
    case WM_ACTIVATE: {
      // As a dialog does: the control that had the focus gets it back, where the default
      // would give it to the window itself, and typing would go nowhere.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(impl_->window, focus)) m.last_focus = focus;
        break;
      }
      if (m.commands.activated) m.commands.activated();
      HWND back = m.last_focus;
      if (!HIWORD(wparam) && back && IsWindow(back) && IsChild(impl_->window, back) &&
          IsWindowVisible(back) && IsWindowEnabled(back)) {
        SetFocus(back);
        return 0;
      }
      break;
    }
    case WM_WINDOWPOSCHANGING:
      // Shown by SetWindowPos, which sends no WM_SHOWWINDOW: the editor comes first.
      if (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_SHOWWINDOW) {
        m.editor_control.Ensure();
      }
      break;
    case WM_SHOWWINDOW:
      if (wparam) m.editor_control.Ensure();
      if (wparam && m.commands.activated) m.commands.activated();
      break;
    case WM_SYSCOMMAND:
      // The window's own close (its box, its system menu, Alt+F4) arrives here first; a
      // WM_CLOSE without it comes from elsewhere.
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        if (m.commands.close_box) m.commands.close_box();
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      // Whatever is typed is stored before Windows may end the program.
      if (m.model) m.model->StorePendingEdits();
      return TRUE;
    default:
      break;
  }
  return std::nullopt;
}

// ---- MainView ----

void MainForm::ListClear() {
  SendMessageW(impl_->Item(kIdList), LB_RESETCONTENT, 0, 0);
}

int MainForm::ListAdd(const std::string& name) {
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(Utf8ToWide(name).c_str())));
}

void MainForm::ListAddAll(const std::vector<std::pair<std::string, int>>& items) {
  ListBoxAddAll(impl_->Item(kIdList), items);
}

void MainForm::ListSetData(int pos, int number) {
  SendMessageW(impl_->Item(kIdList), LB_SETITEMDATA, static_cast<WPARAM>(pos), number);
}

int MainForm::ListData(int pos) {
  return static_cast<int>(
      SendMessageW(impl_->Item(kIdList), LB_GETITEMDATA, static_cast<WPARAM>(pos), 0));
}

std::string MainForm::ListText(int pos) {
  return ListBoxText(impl_->Item(kIdList), pos);
}

int MainForm::ListCount() {
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_GETCOUNT, 0, 0));
}

void MainForm::ListRemove(int pos) {
  SendMessageW(impl_->Item(kIdList), LB_DELETESTRING, static_cast<WPARAM>(pos), 0);
}

int MainForm::ListSelection() {
  return static_cast<int>(SendMessageW(impl_->Item(kIdList), LB_GETCURSEL, 0, 0));
}

void MainForm::ListSelect(int pos) {
  SendMessageW(impl_->Item(kIdList), LB_SETCURSEL, static_cast<WPARAM>(pos), 0);
}

void MainForm::TitleListAdd(const std::string& title) {
  SendMessageW(impl_->Item(kIdTitleBox), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(Utf8ToWide(title).c_str()));
}

void MainForm::TitleListAddAll(const std::vector<std::string>& titles) {
  ComboBoxAddMissing(impl_->Item(kIdTitleBox), titles);
}

bool MainForm::TitleListHas(const std::string& title) {
  return ComboBoxHasExact(impl_->Item(kIdTitleBox), title);
}

std::string MainForm::TitleText() {
  return WideToUtf8(ControlTextW(impl_->Item(kIdTitleBox)));
}

void MainForm::SetTitleText(const std::string& text) {
  SetWindowTextW(impl_->Item(kIdTitleBox), Utf8ToWide(text).c_str());
}

void MainForm::FocusTitleBox() {
  SetFocus(impl_->Item(kIdTitleBox));
}

std::string MainForm::EditorText() {
  return impl_->editor_control.Text();
}

void MainForm::ShowGlyphText(const std::string& glyph_text) {
  impl_->editor_control.ShowGlyphText(glyph_text);
}

void MainForm::ClearEditor() {
  impl_->editor_control.Clear();
}

std::size_t MainForm::EditorCaret() {
  return impl_->editor_control.Caret();
}

std::size_t MainForm::EditorSelectionLength() {
  return impl_->editor_control.SelectionLength();
}

std::string MainForm::EditorSelectedText() {
  return impl_->editor_control.SelectedText();
}

void MainForm::EditorReplaceSelection(const std::string& text) {
  impl_->editor_control.ReplaceSelection(text);
}

void MainForm::EditorSelect(std::size_t start, std::size_t length) {
  impl_->editor_control.Select(start, length);
}

void MainForm::FocusEditor() {
  SetFocus(impl_->editor_control.Ensure());
}

bool MainForm::CryptChecked() {
  return IsDlgButtonChecked(impl_->window, kIdCryptChk) == BST_CHECKED;
}

void MainForm::SetCryptChecked(bool on) {
  CheckDlgButton(impl_->window, kIdCryptChk, on ? BST_CHECKED : BST_UNCHECKED);
}

bool MainForm::DosBoxChecked() {
  return IsDlgButtonChecked(impl_->window, kIdDosBoxChk) == BST_CHECKED;
}

void MainForm::SetDosBoxChecked(bool on) {
  CheckDlgButton(impl_->window, kIdDosBoxChk, on ? BST_CHECKED : BST_UNCHECKED);
}

int MainForm::DeliveryChoice() {
  const LRESULT index = SendMessageW(impl_->Item(kIdDelivery), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(index);
}

void MainForm::SetDeliveryChoice(int index) {
  SendMessageW(impl_->Item(kIdDelivery), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int MainForm::DestinationType() {
  return IsDlgButtonChecked(impl_->window, kIdOptTitle) == BST_CHECKED ? 1 : 0;
}

void MainForm::SetDestinationType(int index) {
  CheckRadioButton(impl_->window, kIdOptLastWindow, kIdOptTitle,
                   index == 1 ? kIdOptTitle : kIdOptLastWindow);
}

std::string MainForm::AbbreviationText() {
  return WideToUtf8(ControlTextW(impl_->Item(kIdAbbreviation)));
}

void MainForm::SetAbbreviationText(const std::string& text) {
  SetWindowTextW(impl_->Item(kIdAbbreviation), Utf8ToWide(text).c_str());
}

bool MainForm::AtOnceChecked() {
  return IsDlgButtonChecked(impl_->window, kIdAtOnceChk) == BST_CHECKED;
}

void MainForm::SetAtOnceChecked(bool on) {
  CheckDlgButton(impl_->window, kIdAtOnceChk, on ? BST_CHECKED : BST_UNCHECKED);
}

void MainForm::SetConflictText(const std::string& text) {
  SetWindowTextW(impl_->Item(kIdConflicts), Utf8ToWide(text).c_str());
}

void MainForm::FocusAbbreviation() {
  // Left for another program, the field gets the focus when the window is active again.
  HWND field = impl_->Item(kIdAbbreviation);
  impl_->last_focus = field;
  if (GetActiveWindow() == impl_->window) SetFocus(field);
}

void MainForm::ApplyControlStates(const ControlStates& s) {
  Impl& m = *impl_;
  auto menu_item = [&](QuilletCommand command, bool on) {
    EnableMenuItem(m.menu, static_cast<UINT>(CommandId(command)),
                   MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  menu_item(QuilletCommand::kEditCut, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditCopy, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditPaste, s.paste);
  menu_item(QuilletCommand::kEditDelete, s.cut_copy_delete);
  menu_item(QuilletCommand::kEditFind, s.find);
  menu_item(QuilletCommand::kEditFindNext, s.find_next);
  menu_item(QuilletCommand::kMenuRenameEntry, s.entry_controls);
  menu_item(QuilletCommand::kMenuDeleteEntry, s.entry_controls);
  menu_item(QuilletCommand::kMenuExportEntry, s.entry_controls);
  for (int id : {static_cast<int>(kIdOptLastWindow), static_cast<int>(kIdOptTitle),
                 static_cast<int>(kIdLabel1), static_cast<int>(kIdList),
                 CommandId(QuilletCommand::kDeleteEntry), CommandId(QuilletCommand::kRenameEntry),
                 static_cast<int>(kIdEditor), static_cast<int>(kIdCryptChk),
                 static_cast<int>(kIdDosBoxChk), static_cast<int>(kIdAbbreviationLabel),
                 static_cast<int>(kIdAbbreviation), static_cast<int>(kIdAtOnceChk),
                 static_cast<int>(kIdConflicts), static_cast<int>(kIdDeliveryLabel),
                 static_cast<int>(kIdDelivery)}) {
    HWND control = m.Item(id);
    if (!control) {
      if (id == kIdEditor) m.editor_control.SetPendingEnabled(s.entry_controls);  // not made yet
      continue;
    }
    // Disabling the control with the focus would leave the keyboard nowhere.
    if (!s.entry_controls && GetFocus() == control) {
      SetFocus(m.Item(CommandId(QuilletCommand::kNewEntry)));
    }
    EnableWindow(control, s.entry_controls);
  }
  EnableWindow(m.Item(kIdTitleBox), s.title_box);
  if (m.window_colour != s.window_colour) {
    m.window_colour = s.window_colour;
    InvalidateRect(m.Item(kIdList), nullptr, TRUE);
  }
  m.editor_control.SetWindowColour(s.window_colour);
}

MainView::Focus MainForm::FocusedControl() {
  Impl& m = *impl_;
  HWND focus = GetFocus();
  if (!focus) return Focus::kOther;
  if (m.editor() && focus == m.editor()) return Focus::kEditor;
  if (focus == m.Item(kIdCryptChk)) return Focus::kCryptBox;
  HWND box = m.Item(kIdTitleBox);
  if (focus == box || GetParent(focus) == box) return Focus::kTitleBox;
  return Focus::kOther;
}

}  // namespace qm
