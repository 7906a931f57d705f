// Quillet's main window as real Win32 controls; the decisions are the model's.
#include "quillet/main/main_form_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "platform/utf16_win32.h"
#include "quillet/main/glyph_editor_win32.h"
#include "quillet/main/list_controls_win32.h"
#include "quillet/main/main_form_state_win32.h"
#include "quillet/main/main_form_table_win32.h"
#include "quillet/main/main_layout.h"
#include "ui/file_dialogs_win32.h"
#include "ui/layout_anchors.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

bool KeyDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

bool IsPushButton(HWND control) {
  wchar_t name[8] = {};
  const auto type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
  return control && GetClassNameW(control, name, 8) && lstrcmpiW(name, WC_BUTTONW) == 0 &&
         (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

}  // namespace

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

std::vector<ControlRow> MainForm::Table() const {
  if (impl_->held) return {};  // the controls come later
  return MainFormTable();
}

SIZE MainForm::ClientTwips() const {
  return {static_cast<LONG>(kMainClientWidth), static_cast<LONG>(kMainClientHeight)};
}

SIZE MainForm::Grown() const {
  return impl_->grown;
}

void MainForm::AfterLayout(bool created) {
  // A rich edit control gives the font to all of its text: the glyphs would lose theirs.
  if (!created) impl_->editor_control.SetFont(font());
}

double MainForm::TwipsOf(int pixels) const {
  return pixels * 1440.0 / dpi();
}

int MainForm::Pixels(double twips) const {
  return static_cast<int>(twips * dpi() / 1440.0 + 0.5);
}

void MainForm::Relayout() {
  Impl& m = *impl_;
  if (!m.layout_ready) return;
  RECT outer{};
  GetWindowRect(m.window, &outer);
  const Growth growth =
      GrowthSinceStart(m.start.width, m.start.height, TwipsOf(outer.right - outer.left),
                       TwipsOf(outer.bottom - outer.top));
  if (growth.set_back) {
    // Never smaller than at start-up; the resize this raises lays the window out again.
    SetWindowPos(m.window, nullptr, 0, 0, Pixels(growth.window_width), Pixels(growth.window_height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  m.grown = {Pixels(growth.width), Pixels(growth.height)};
  PlaceControls(m.window, MainFormTable(), dpi(), nullptr, m.grown);
  InvalidateRect(m.window, nullptr, TRUE);
}

bool MainForm::Create(HICON icon, HICON small_icon, ControlCreation controls) {
  Impl& m = *impl_;
  m.menu = CreateMainMenuBar();
  if (controls == ControlCreation::kWhenNeeded) {
    // Kept in the order the list will sort in, so that the items go in as they stand.
    m.held.emplace([](const std::string& text) { return ListSortKey(Utf8ToWide(text)); });
  }

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

  // Made where the editor's row in the control table puts it at that time.
  auto editor_rect = [this] {
    const std::vector<ControlRow>& table = MainFormTable();
    const auto row = std::find_if(table.begin(), table.end(),
                                  [](const ControlRow& c) { return c.id == kIdEditor; });
    return ControlPixels(*row, dpi(), impl_->grown);
  };
  m.editor_control.Create({impl_->window, m.instance, kIdEditor, kIdEditingGroup, editor_rect},
                          font(), controls);
  m.editor_control.SetContextMenu(GetSubMenu(m.menu, 1));
  if (!m.held) PrepareControls();

  // Design size, in the middle of the primary screen; the saved geometry may move it. The
  // frame and the menu bar come on top of the client area, as the window has them now.
  // Twice: the menu bar's height depends on the width it gets.
  int width = 0, height = 0;
  for (int pass = 0; pass < 2; ++pass) {
    RECT outer{}, client{};
    GetWindowRect(impl_->window, &outer);
    GetClientRect(impl_->window, &client);
    width = Pixels(kMainClientWidth) + (outer.right - outer.left) - client.right;
    height = Pixels(kMainClientHeight) + (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(impl_->window, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const SIZE screen = PrimaryScreenSize();
  SetWindowPos(impl_->window, nullptr, (screen.cx - width) / 2, (screen.cy - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void MainForm::PrepareControls() {
  Impl& m = *impl_;
  // Key recording is always on; its switch stays hidden.
  ShowWindow(m.Item(kIdKeyRecordCheck), SW_HIDE);
  SetWindowSubclass(m.Item(kIdCipherCheck), CryptBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
  CheckRadioButton(impl_->window, kIdLastWindowOption, kIdTitleOption, kIdLastWindowOption);
  for (const char* caption : kDeliveryChoiceCaptions) {
    SendMessageW(m.Item(kIdDelivery), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf8ToWide(caption).c_str()));
  }
  SetDeliveryChoice(0);
}

void MainForm::EnsureControls() {
  Impl& m = *impl_;
  if (!m.held) return;
  HeldMainView held = std::move(*m.held);
  m.held.reset();
  Layout(true);
  m.editor_control.SetFont(font());
  PrepareControls();
  // What the model gave the controls while there were none.
  std::vector<std::pair<std::string, int>> items;
  items.reserve(held.items.size());
  for (HeldMainView::Item& i : held.items) items.emplace_back(std::move(i.text), i.data);
  if (!items.empty()) ListBoxAddAll(m.Item(kIdList), items);
  if (held.selection >= 0) ListSelect(held.selection);
  if (!held.titles.empty()) ComboBoxAddMissing(m.Item(kIdTitleBox), held.titles);
  SetTitleText(held.title_text);
  SetCryptChecked(held.crypt);
  SetDosBoxChecked(held.dosbox);
  SetDeliveryChoice(held.delivery);
  SetDestinationType(held.destination);
  SetAbbreviationText(held.abbreviation);
  SetAtOnceChecked(held.at_once);
  SetConflictText(held.conflicts);
  SetFieldProblemsText(held.field_problems);
  if (held.states_applied) ApplyControlStates(held.states);
  m.editor_control.Ensure();
}

bool MainForm::HasControls() const {
  return !impl_->held;
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
  m.start = Rect{TwipsOf(outer.left), TwipsOf(outer.top), TwipsOf(outer.right - outer.left),
                 TwipsOf(outer.bottom - outer.top)};
  m.layout_ready = true;
  Relayout();
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
  return {TwipsOf(r.left), TwipsOf(r.top), TwipsOf(r.right - r.left), TwipsOf(r.bottom - r.top)};
}

void MainForm::SetOuterTwips(const TwipsRect& r) {
  SetWindowPos(impl_->window, nullptr, Pixels(r.left), Pixels(r.top), Pixels(r.width),
               Pixels(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
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
    case QuilletCommand::kEditUndo:
    case QuilletCommand::kEditRedo:
    case QuilletCommand::kEditCut:
    case QuilletCommand::kEditCopy:
    case QuilletCommand::kEditPaste:
    case QuilletCommand::kEditDelete:
    case QuilletCommand::kEditFind:
    case QuilletCommand::kEditFindNext:
      if (m.model) m.model->OnEditCommand(command);
      return true;
    case QuilletCommand::kFormatBold:
    case QuilletCommand::kFormatItalic:
    case QuilletCommand::kFormatUnderline:
    case QuilletCommand::kFormatLink:
    case QuilletCommand::kFormatBullets:
    case QuilletCommand::kFormatNumbers:
    case QuilletCommand::kFormatClear:
      if (m.model) m.model->OnFormatCommand(command);
      return true;
    case QuilletCommand::kFormatPicture:
      ChoosePicture();
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
    case QuilletCommand::kMenuSendLog:
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
    case kIdDosBoxCheck:
      if (code == BN_CLICKED) m.model->OnDosBoxClick();
      break;
    case kIdDelivery:
      if (code == CBN_SELCHANGE) m.model->OnDeliveryChoice(DeliveryChoice());
      break;
    case kIdLastWindowOption:
    case kIdTitleOption:
      if (code == BN_CLICKED) m.model->OnDestinationTypeClick(id == kIdTitleOption ? 1 : 0);
      break;
    case kIdAbbreviation:
      if (code == EN_KILLFOCUS) m.model->OnAbbreviationLostFocus();
      break;
    case kIdAtOnceCheck:
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

void MainForm::ChoosePicture() {
  Impl& m = *impl_;
  if (!m.model || m.model->CurrentEntryNumber() <= 0) return;
  const std::optional<ChosenFile> chosen = MakeWin32FileDialogs(m.window)->ChooseFileToOpen(
      "Bild einfügen", {{"Bilder (PNG, JPEG)", "*.png;*.jpg;*.jpeg"}});
  if (chosen) m.model->InsertPicture(chosen->path);
}

void MainForm::OnTimer(UINT_PTR id) {
  if (impl_->commands.timer) impl_->commands.timer(id);
}

bool MainForm::OnClose() {
  if (impl_->commands.close_request) impl_->commands.close_request();
  return true;
}

bool MainForm::OnDpiChanged(const RECT& suggested) {
  // The controls take the font for the new DPI, the editor its own way (AfterLayout).
  Layout(false);
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Relayout();
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
      if (wparam != SIZE_MINIMIZED) Relayout();
      return 0;
    case WM_GETMINMAXINFO:
      if (m.layout_ready) {
        // Never smaller than at start-up.
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize.x = Pixels(m.start.width);
        info->ptMinTrackSize.y = Pixels(m.start.height);
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
      GetWindowRect(m.Item(kIdCommandsGroup), &control_frame);
      GetWindowRect(m.Item(kIdEditingGroup), &text_frame);
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
        // Hidden by its button "&OK", the window comes back with the list focused, not with
        // that button still framed as the one Enter presses.
        if (!IsWindowVisible(impl_->window) && IsPushButton(m.last_focus)) {
          m.last_focus = m.Item(kIdList);
        }
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
      // Shown by SetWindowPos, which sends no WM_SHOWWINDOW: the controls come first.
      if (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_SHOWWINDOW) {
        EnsureControls();
      }
      break;
    case WM_SHOWWINDOW:
      if (wparam) EnsureControls();
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

}  // namespace qm
