// Quillet's main window as real Win32 controls; the decisions are the model's.
#include "quillet/main_form_win32.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <set>

#include "platform/utf16_win32.h"
#include "quillet/glyph_text.h"
#include "quillet/layout_scaler.h"
#include "ui/tray_dispatch.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

// The client area the window is designed for, in twips.
constexpr int kDesignClientWidth = static_cast<int>(kDesignedMainClientWidth);
constexpr int kDesignClientHeight = static_cast<int>(kDesignedMainClientHeight);

// Containers: each control's position is relative to one of them.
enum Group { kWindow = -1, kListFrameG, kTextFrameG, kControlFrameG, kContainer1G, kContainer2G };

// The seven objects whose geometry follows the window's size, in the scaler's order.
constexpr int kSListFrame = kListenFrame, kSTextFrame = kTextFrame,
              kSControlFrame = kSteuerungsFrame, kSContainer1 = kContainer1,
              kSContainer2 = kContainer2, kSList = kLbEntryList, kSEditor = kQuilletTextTB;
constexpr std::size_t kScaledCount = kLayoutObjectCount;
constexpr Group kScaledParent[kScaledCount] = {kWindow,     kWindow,     kWindow,   kListFrameG,
                                               kTextFrameG, kListFrameG, kTextFrameG};

struct Control {
  int id;
  const wchar_t* window_class;
  const char* text;
  DWORD style;
  DWORD ex_style;
  Group group;
  int scaled;  // index into the scaled objects, or -1
  Rect rect;  // twips, relative to the group (scaled ones: the design geometry)
};

// Creation order is the tab order.
const std::vector<Control>& Controls() {
  static const std::vector<Control> table = {
      {kIdMenuLine, WC_STATICW, "", SS_ETCHEDHORZ, 0, kWindow, -1, {0, 0, kDesignClientWidth, 30}},
      {kIdListFrame, WC_BUTTONW, "Textbausteine", BS_GROUPBOX, 0, kWindow, kSListFrame, {}},
      {kIdList, WC_LISTBOXW, "",
       LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP |
           WS_GROUP,
       WS_EX_CLIENTEDGE, kListFrameG, kSList, {}},
      {kBtnBase + 8, WC_BUTTONW, "&Neu", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, kContainer1G, -1,
       {0, 120, 795, 615}},
      {kBtnBase + 2, WC_BUTTONW, "&Umbe- nennen", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 0,
       kContainer1G, -1, {870, 120, 795, 615}},
      {kBtnBase + 1, WC_BUTTONW, "&Löschen", BS_PUSHBUTTON | WS_TABSTOP, 0, kContainer1G, -1,
       {1740, 120, 795, 615}},
      {kIdTextFrame, WC_BUTTONW, "Bearbeitung", BS_GROUPBOX, 0, kWindow, kSTextFrame, {}},
      {kIdEditor, MSFTEDIT_CLASS, "",
       ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP |
           WS_GROUP,
       WS_EX_CLIENTEDGE, kTextFrameG, kSEditor, {}},
      {kIdLabel1, WC_STATICW, "Senden an das", SS_LEFT, 0, kContainer2G, -1, {0, 75, 1215, 255}},
      {kIdOptLastWindow, WC_BUTTONW, "zuletzt benutzte &Fenster ",
       BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, kContainer2G, -1, {1260, 30, 2355, 285}},
      {kIdOptTitle, WC_BUTTONW, "Fenster mit diesem &Titel:", BS_AUTORADIOBUTTON, 0, kContainer2G,
       -1, {1260, 345, 2355, 285}},
      {kIdTitleBox, WC_COMBOBOXW, "",
       CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {1260, 660, 3675, 2400}},
      {kIdCryptChk, WC_BUTTONW, "&Chiffrieren", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0,
       kContainer2G, -1, {3675, 30, 1260, 285}},
      {kIdDosBoxChk, WC_BUTTONW, "DOS-Bo&x", BS_AUTOCHECKBOX | WS_TABSTOP, 0, kContainer2G, -1,
       {3675, 345, 1260, 285}},
      // Key recording is always on; the switch stays hidden.
      {kIdKeyRecordChk, WC_BUTTONW, "&Steuertasten einfügen", BS_AUTOCHECKBOX, 0, kContainer2G, -1,
       {0, 660, 1215, 285}},
      {kIdControlFrame, WC_BUTTONW, "Steuerung", BS_GROUPBOX, 0, kWindow, kSControlFrame, {}},
      {kBtnBase + 4, WC_BUTTONW, "&Optionen", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0,
       kControlFrameG, -1, {120, 300, 795, 420}},
      {kBtnBase + 0, WC_BUTTONW, "Debu&g", BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1,
       {120, 780, 795, 420}},
      {kBtnBase + 3, WC_BUTTONW, "&OK", BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1,
       {120, 1260, 795, 420}},
      {kBtnBase + 10, WC_BUTTONW, "&Hilfe", BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1,
       {120, 1740, 795, 420}},
      {kBtnBase + 5, WC_BUTTONW, "&Info", BS_PUSHBUTTON | WS_TABSTOP, 0, kControlFrameG, -1,
       {120, 2220, 795, 420}},
  };
  return table;
}

struct MenuDef {
  const char* caption;
  std::vector<const char*> items;  // "-" is a separator
};
const std::vector<MenuDef>& MenuBar() {
  static const std::vector<MenuDef> menus = {
      {"&Datei", {"&Ausblenden", "-", "&Beenden"}},
      {"&Bearbeiten",
       {"&Ausschneiden", "&Kopieren", "&Einfügen", "&Löschen", "-", "&Suchen...",
        "&Weitersuchen"}},
      {"&Texte", {"&Neu...", "&Umbenennen...", "&Löschen"}},
      {"&Extras", {"&Optionen...", "-", "&Debugger..."}},
      {"&Hilfe", {"&Hilfe", "-", "&Info"}},
  };
  return menus;
}

std::wstring ControlTextW(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

// Sorted lists are put in the order the list box itself compares in (CompareStringW, letter
// case ignored), so that items inserted in this order are where the control would have put
// them. A sort key per item compares byte by byte in that same order: one system call per
// item instead of one per comparison, which under Wine was most of filling a large list.
template <typename T, typename TextOf>
void SortAsListDoes(std::vector<T>& items, TextOf text_of) {
  std::vector<std::pair<std::string, std::size_t>> keys(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::wstring& text = text_of(items[i]);
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1, nullptr, 0);
    keys[i].first.resize(static_cast<std::size_t>(std::max(bytes, 0)));
    if (bytes > 0) {
      LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.c_str(), -1,
                   reinterpret_cast<LPWSTR>(keys[i].first.data()), bytes);
    }
    keys[i].second = i;
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (const auto& key : keys) sorted.push_back(std::move(items[key.second]));
  items = std::move(sorted);
}

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
  const std::size_t left = source->first->size() - source->second;
  const std::size_t n = std::min(left, static_cast<std::size_t>(size));
  std::copy_n(source->first->data() + source->second, n, buffer);
  source->second += n;
  *read = static_cast<LONG>(n);
  return 0;
}

}  // namespace

struct MainForm::Impl {
  HINSTANCE instance;
  HWND window = nullptr;
  HMODULE richedit = nullptr;
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
  bool replacing_editor = false;
  bool applying = false;
  // Until the editor exists: what it is to show, its selection and whether it is enabled.
  bool editor_pending = false;
  std::string pending_text;  // glyph text
  LONG pending_start = 0, pending_end = 0;
  bool pending_enabled = true;
  HWND last_focus = nullptr;  // the control that had the focus when the window went inactive

  HWND Item(int id) const { return GetDlgItem(window, id); }
  HWND editor() const { return Item(kIdEditor); }

  Rect GroupOrigin(Group g) const {
    switch (g) {
      case kWindow:
        return {};
      case kListFrameG:
        return scaled[kSListFrame];
      case kTextFrameG:
        return scaled[kSTextFrame];
      case kControlFrameG:
        return scaled[kSControlFrame];
      case kContainer1G: {
        const Rect& f = scaled[kSListFrame];
        const Rect& c = scaled[kSContainer1];
        return {f.left + c.left, f.top + c.top, c.width, c.height};
      }
      case kContainer2G: {
        const Rect& f = scaled[kSTextFrame];
        const Rect& c = scaled[kSContainer2];
        return {f.left + c.left, f.top + c.top, c.width, c.height};
      }
    }
    return {};
  }

  RECT PixelRect(const Control& c) const {
    const Rect r = c.scaled >= 0 ? scaled[static_cast<std::size_t>(c.scaled)] : c.rect;
    const Rect origin =
        GroupOrigin(c.scaled >= 0 ? kScaledParent[c.scaled] : c.group);
    const int left = Pixels(origin.left + r.left), top = Pixels(origin.top + r.top);
    return {left, top, left + Pixels(r.width), top + Pixels(r.height)};
  }

  void PlaceAll(bool create) {
    HDWP defer = create ? nullptr : BeginDeferWindowPos(static_cast<int>(Controls().size()));
    for (const Control& c : Controls()) {
      // An editor still to come is made where PixelRect says at that time.
      if (c.id == kIdEditor && (create ? editor_pending : !editor())) continue;
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
    for (const Control& c : Controls()) {
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
  impl_->model = nullptr;  // it may be gone already; the focus leaving is nothing to act on
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  if (impl_->richedit) FreeLibrary(impl_->richedit);
}

namespace {

constexpr UINT_PTR kEditorSubclass = 1, kCryptSubclass = 2;
SUBCLASSPROC kSubclassProc = nullptr;  // the controls' subclass, removed as they go

bool KeyDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

// The insertion format of the editor: glyph fonts and colours, or plain text.
void SetInsertionFormat(HWND editor, RunKind kind, bool whole_selection = true) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_COLOR | CFM_CHARSET;
  cf.crTextColor = kind == RunKind::kEnter ? RGB(255, 0, 0)
                   : kind == RunKind::kTab ? RGB(0, 0, 255)
                                           : RGB(0, 0, 0);
  cf.bCharSet = kind == RunKind::kText ? DEFAULT_CHARSET : SYMBOL_CHARSET;
  lstrcpynW(cf.szFaceName, kind == RunKind::kText ? L"Arial" : L"Wingdings", LF_FACESIZE);
  SendMessageW(editor, EM_SETCHARFORMAT, whole_selection ? SCF_SELECTION : SCF_SELECTION,
               reinterpret_cast<LPARAM>(&cf));
}

CHARRANGE Selection(HWND editor) {
  CHARRANGE range{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void Select(HWND editor, LONG start, LONG end) {
  CHARRANGE range{start, end};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::wstring EditorTextW(HWND editor) {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const auto units = static_cast<LONG>(
      SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
  std::wstring text(static_cast<std::size_t>(std::max<LONG>(units, 0)) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const auto got = SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
  return text;
}

// Gives every glyph in [start, end) its font and colour, and the rest plain text's.
void FormatGlyphs(HWND editor, LONG start, LONG end) {
  const std::wstring text = EditorTextW(editor);
  const CHARRANGE keep = Selection(editor);
  Select(editor, start, end);
  SetInsertionFormat(editor, RunKind::kText);
  for (LONG i = start; i < end && i < static_cast<LONG>(text.size()); ++i) {
    const wchar_t ch = text[static_cast<std::size_t>(i)];
    if (ch == kEnterGlyph || ch == kTabGlyph) {
      Select(editor, i, i + 1);
      SetInsertionFormat(editor, ch == kEnterGlyph ? RunKind::kEnter : RunKind::kTab);
    }
  }
  Select(editor, keep.cpMin, keep.cpMax);
}

// Enter and Tab pressed in the editor are recorded as their glyphs, each followed by a line
// break that only lays the text out.
void RecordKey(HWND editor, bool enter) {
  const std::wstring text = EditorTextW(editor);
  const CHARRANGE sel = Selection(editor);
  const auto caret = static_cast<LONG>(SkipControlGlyph(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
      static_cast<std::size_t>(sel.cpMin)));
  Select(editor, caret, caret);
  SetInsertionFormat(editor, enter ? RunKind::kEnter : RunKind::kTab);
  const wchar_t insert[] = {static_cast<wchar_t>(enter ? kEnterGlyph : kTabGlyph), L'\r', 0};
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert));
  SetInsertionFormat(editor, RunKind::kText);
}

void BeforeTypedCharacter(HWND editor) {
  const CHARRANGE sel = Selection(editor);
  if (sel.cpMin == sel.cpMax) {
    const std::wstring text = EditorTextW(editor);
    const auto caret = static_cast<LONG>(SkipControlGlyph(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
        static_cast<std::size_t>(sel.cpMin)));
    if (caret != sel.cpMin) Select(editor, caret, caret);
  }
  SetInsertionFormat(editor, RunKind::kText);
}

}  // namespace

bool MainForm::Create(HICON icon, HICON small_icon, EditorCreation editor) {
  Impl& m = *impl_;
  m.editor_pending = editor == EditorCreation::kWhenNeeded;
  if (!m.editor_pending) m.richedit = LoadLibraryW(L"Msftedit.dll");
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainForm*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (!self || !self->impl_->window) return DefWindowProcW(w, msg, wp, lp);
    try {
      return self->HandleMessage(msg, wp, lp);
    } catch (...) {
      // Nothing may unwind through the system's code; the event is lost, the program lives.
      return DefWindowProcW(w, msg, wp, lp);
    }
  };
  wc.hInstance = m.instance;
  wc.hIcon = icon;
  wc.hIconSm = small_icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainFormClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  m.menu = CreateMenu();
  for (std::size_t i = 0; i < MenuBar().size(); ++i) {
    HMENU popup = CreatePopupMenu();
    const MenuDef& def = MenuBar()[i];
    for (std::size_t k = 0; k < def.items.size(); ++k) {
      if (std::string_view(def.items[k]) == "-") {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuW(popup, MF_STRING,
                    static_cast<UINT_PTR>(MenuItemId(static_cast<int>(i) + 1,
                                                     static_cast<int>(k) + 1)),
                    Utf8ToWide(def.items[k]).c_str());
      }
    }
    AppendMenuW(m.menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                Utf8ToWide(def.caption).c_str());
  }

  // No WS_CLIPCHILDREN: the group boxes leave their inside to the window's background.
  const DWORD style = WS_OVERLAPPEDWINDOW;
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kMainFormClass, L"Quillet", style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, nullptr, m.menu, m.instance, this);
  if (!window_) return false;
  m.window = window_;
  m.dpi = WindowDpi(window_);
  m.font = CreateMessageFont(m.dpi);
  m.PlaceAll(true);

  auto subclass = [](HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                     DWORD_PTR data) -> LRESULT {
    auto* self = reinterpret_cast<MainForm*>(data);
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(w, kSubclassProc, id);
    LRESULT result = 0;
    try {
      if (self->HandleControlMessage(w, id, msg, wp, lp, &result)) return result;
    } catch (...) {
      // As in the window procedure: the event is lost, nothing unwinds into the system.
    }
    return DefSubclassProc(w, msg, wp, lp);
  };
  kSubclassProc = subclass;
  if (!m.editor_pending) PrepareEditor(m.editor());
  SetWindowSubclass(m.Item(kIdCryptChk), subclass, kCryptSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
  CheckRadioButton(window_, kIdOptLastWindow, kIdOptTitle, kIdOptLastWindow);

  // Design size, in the middle of the primary screen; the saved geometry may move it. The
  // frame and the menu bar come on top of the client area, as the window has them now.
  // Twice: the menu bar's height depends on the width it gets.
  int width = 0, height = 0;
  for (int pass = 0; pass < 2; ++pass) {
    RECT outer{}, client{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    width = m.Pixels(kDesignClientWidth) + (outer.right - outer.left) - client.right;
    height = m.Pixels(kDesignClientHeight) + (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const SIZE screen = PrimaryScreenSize();
  SetWindowPos(window_, nullptr, (screen.cx - width) / 2, (screen.cy - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool MainForm::HasEditor() const {
  return impl_->editor() != nullptr;
}

HWND MainForm::EnsureEditor() {
  Impl& m = *impl_;
  if (!m.editor_pending) return m.editor();
  m.editor_pending = false;
  if (!m.richedit) m.richedit = LoadLibraryW(L"Msftedit.dll");
  const auto row = std::find_if(Controls().begin(), Controls().end(),
                                [](const Control& c) { return c.id == kIdEditor; });
  const RECT r = m.PixelRect(*row);
  HWND editor = CreateWindowExW(row->ex_style, row->window_class, L"",
                                WS_CHILD | WS_VISIBLE | row->style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdEditor)),
                                m.instance, nullptr);
  if (!editor) return nullptr;
  // Its place in the tab order: behind its frame, as if made with the others.
  SetWindowPos(editor, m.Item(kIdTextFrame), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PrepareEditor(editor);
  EnableWindow(editor, m.pending_enabled);
  SendMessageW(editor, EM_SETBKGNDCOLOR, 0,
               static_cast<LPARAM>(GetSysColor(m.window_colour ? COLOR_WINDOW : COLOR_BTNFACE)));
  if (!m.pending_text.empty()) FillEditor(editor, m.pending_text, m.pending_start);
  Select(editor, m.pending_start, m.pending_end);
  m.pending_text.clear();
  return editor;
}

void MainForm::Attach(MainModel* model, MainFormCommands commands) {
  impl_->model = model;
  impl_->commands = std::move(commands);
}

void MainForm::PrepareEditor(HWND editor) {
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(impl_->font.get()), FALSE);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(editor, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SetInsertionFormat(editor, RunKind::kText);
  SetWindowSubclass(editor, kSubclassProc, kEditorSubclass, reinterpret_cast<DWORD_PTR>(this));
}

// A snippet goes into a new editor control in the old one's place: emptying a rich edit
// control that holds a long text costs more than the text's length (under Wine markedly),
// while destroying one and filling a fresh one grows with the text.
HWND MainForm::ReplaceEditor() {
  Impl& m = *impl_;
  HWND old = m.editor();
  const bool had_focus = GetFocus() == old;
  const bool enabled = IsWindowEnabled(old) != FALSE;
  RECT r{};
  GetWindowRect(old, &r);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
  HWND before = GetWindow(old, GW_HWNDPREV);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
  // Its focus leaving and its text going are no edits of the user's.
  m.replacing_editor = true;
  DestroyWindow(old);
  HWND editor = CreateWindowExW(ex_style, MSFTEDIT_CLASS, L"", style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdEditor)),
                                m.instance, nullptr);
  if (editor) {
    // Its place in the tab order is the old one's.
    SetWindowPos(editor, before ? before : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PrepareEditor(editor);
    EnableWindow(editor, enabled);
    SendMessageW(editor, EM_SETBKGNDCOLOR, 0,
                 static_cast<LPARAM>(GetSysColor(m.window_colour ? COLOR_WINDOW : COLOR_BTNFACE)));
    if (had_focus) SetFocus(editor);
  }
  m.replacing_editor = false;
  return editor;
}

void MainForm::DetachModel() {
  impl_->model = nullptr;
}

void MainForm::InitLayout() {
  Impl& m = *impl_;
  RECT outer{};
  GetWindowRect(window_, &outer);
  m.scaler.Remember(Rect{m.TwipsOf(outer.left), m.TwipsOf(outer.top),
                         m.TwipsOf(outer.right - outer.left), m.TwipsOf(outer.bottom - outer.top)},
                    kDesignedMainLayout);
  m.layout_ready = true;
  m.Relayout();
}

MainForm::TwipsRect MainForm::OuterTwips() const {
  RECT r{};
  GetWindowRect(window_, &r);
  if (IsIconic(window_)) {
    // A minimised window's rectangle is the icon's; the size it comes back to counts.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window_, &placement)) r = placement.rcNormalPosition;
  }
  return {impl_->TwipsOf(r.left), impl_->TwipsOf(r.top), impl_->TwipsOf(r.right - r.left),
          impl_->TwipsOf(r.bottom - r.top)};
}

void MainForm::SetOuterTwips(const TwipsRect& r) {
  auto px = [&](double t) { return static_cast<int>(t * impl_->dpi / 1440.0 + 0.5); };
  SetWindowPos(window_, nullptr, px(r.left), px(r.top), px(r.width), px(r.height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::SetCaption(const std::string& caption) {
  SetWindowTextUtf8(window_, caption);
}

bool MainForm::HandleControlMessage(HWND control, UINT_PTR id, UINT message, WPARAM wparam,
                                    LPARAM, LRESULT* result) {
  Impl& m = *impl_;
  if (m.replacing_editor) return false;
  if (id == kCryptSubclass) {
    if (message == WM_KILLFOCUS && m.model) m.model->OnCryptLostFocus();
    return false;
  }
  const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter and Tab belong to the editor: they are recorded, not used to leave it.
      *result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return true;
    case WM_LBUTTONDOWN:
      // The user is back in the editor, not just the focus restored after a message box.
      if (m.model) m.model->OnEditorUsed();
      return false;
    case WM_KEYDOWN:
      if (m.model) m.model->OnEditorUsed();
      if (wparam == VK_RETURN || wparam == VK_TAB) {
        RecordKey(control, wparam == VK_RETURN);
        return true;
      }
      // Clipboard keys take the same way as the menu's commands, so that glyphs travel as
      // glyphs and pasted text comes in unformatted.
      if (m.model && ctrl && !alt) {
        const int command = wparam == 'X'       ? kEditCut
                            : wparam == 'C'     ? kEditCopy
                            : wparam == 'V'     ? kEditPaste
                            : wparam == VK_INSERT ? kEditCopy
                                                  : 0;
        if (command) {
          m.model->OnEditCommand(command);
          return true;
        }
      }
      if (m.model && shift && !ctrl && !alt && (wparam == VK_INSERT || wparam == VK_DELETE)) {
        m.model->OnEditCommand(wparam == VK_INSERT ? kEditPaste : kEditCut);
        return true;
      }
      return false;
    case WM_CHAR:
      // The characters of Enter, Ctrl+Enter and Tab were recorded as glyphs at WM_KEYDOWN.
      if (wparam == '\r' || wparam == '\n' || wparam == '\t') return true;
      if (wparam >= 0x20) BeforeTypedCharacter(control);
      return false;
    case WM_PASTE:
      if (m.model) m.model->OnEditCommand(kEditPaste);
      return true;
    case WM_KILLFOCUS:
      if (m.model) m.model->OnEditorLostFocus();
      return false;
    case WM_RBUTTONDOWN:
      if (!ctrl && !shift && !alt && m.model) {
        SetFocus(control);  // the commands act on the editor, so it takes the focus
        m.model->UpdateControlStates();
        POINT p{};
        GetCursorPos(&p);
        TrackPopupMenu(GetSubMenu(m.menu, 1), TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0,
                       window_, nullptr);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void MainForm::OnCommand(int id, int code) {
  Impl& m = *impl_;
  if (id >= 1100 && id < 1600) {
    const int menu = id / 100 - 10, item = id % 100;
    if (menu == 2) {
      if (m.model) m.model->OnEditCommand(item);
    } else if (m.commands.menu) {
      m.commands.menu(menu, item);
    }
    return;
  }
  if (id >= kBtnBase && id <= kBtnBase + 10) {
    if (code == BN_CLICKED && m.commands.button) m.commands.button(id - kBtnBase);
    return;
  }
  if (!m.model) return;
  switch (id) {
    case kIdList:
      if (code == LBN_SELCHANGE) m.model->OnListClick();
      break;
    case kIdDosBoxChk:
      if (code == BN_CLICKED) m.model->OnDosBoxClick();
      break;
    case kIdOptLastWindow:
    case kIdOptTitle:
      if (code == BN_CLICKED) m.model->OnDestinationTypeClick(id == kIdOptTitle ? 1 : 0);
      break;
    case kIdTitleBox:
      if (code == CBN_DROPDOWN) m.model->OnTitleDropDown();
      if (code == CBN_KILLFOCUS) m.model->OnTitleLostFocus();
      break;
    default:
      break;
  }
}

LRESULT MainForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  Impl& m = *impl_;
  // Also while a message box of ours runs its own loop.
  static const UINT show_message = RegisterWindowMessageW(kShowMainWindowMessage);
  if (message == show_message) {
    if (m.commands.show_requested) m.commands.show_requested();
    return 0;
  }
  if (message == kTrayMessage) {
    if (m.commands.tray_icon) m.commands.tray_icon(static_cast<unsigned>(wparam), LOWORD(lparam));
    return 0;
  }
  static const UINT taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  if (message == taskbar_created && m.commands.taskbar_created) m.commands.taskbar_created();
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
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
    case WM_DPICHANGED: {
      m.dpi = HIWORD(wparam);
      // The controls let go of the old font before it is deleted.
      UniqueFont font = CreateMessageFont(m.dpi);
      std::swap(m.font, font);
      m.SetFontAll();
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      m.Relayout();
      return 0;
    }
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
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&control_frame), 2);
      MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&text_frame), 2);
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
        if (focus && IsChild(window_, focus)) m.last_focus = focus;
        break;
      }
      if (m.commands.activated) m.commands.activated();
      HWND back = m.last_focus;
      if (!HIWORD(wparam) && back && IsWindow(back) && IsChild(window_, back) &&
          IsWindowVisible(back) && IsWindowEnabled(back)) {
        SetFocus(back);
        return 0;
      }
      break;
    }
    case WM_WINDOWPOSCHANGING:
      // Shown by SetWindowPos, which sends no WM_SHOWWINDOW: the editor comes first.
      if (reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_SHOWWINDOW) EnsureEditor();
      break;
    case WM_SHOWWINDOW:
      if (wparam) EnsureEditor();
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
    case WM_CLOSE:
      if (m.commands.close_request) m.commands.close_request();
      return 0;
    case WM_QUERYENDSESSION:
      // Whatever is typed is stored before Windows may end the program.
      if (m.model) m.model->StorePendingEdits();
      return TRUE;
    case WM_ENDSESSION:
      if (wparam && m.commands.end_session) m.commands.end_session();
      return 0;
    case WM_DESTROY:
      if (m.commands.destroyed) m.commands.destroyed();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
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
  HWND list = impl_->Item(kIdList);
  std::vector<std::pair<std::wstring, int>> wide;
  wide.reserve(items.size());
  for (const auto& [name, number] : items) wide.emplace_back(Utf8ToWide(name), number);
  const bool empty = SendMessageW(list, LB_GETCOUNT, 0, 0) == 0;
  if (empty) {
    // Sorted here the way the list sorts, then appended: one sorted insertion per item
    // would compare each name with half the list.
    SortAsListDoes(wide, [](const auto& item) -> const std::wstring& { return item.first; });
  }
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_INITSTORAGE, wide.size(), wide.size() * 32);
  for (const auto& [name, number] : wide) {
    const auto pos = SendMessageW(list, empty ? LB_INSERTSTRING : LB_ADDSTRING,
                                  empty ? static_cast<WPARAM>(-1) : 0,
                                  reinterpret_cast<LPARAM>(name.c_str()));
    if (pos >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(pos), number);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void MainForm::ListSetData(int pos, int number) {
  SendMessageW(impl_->Item(kIdList), LB_SETITEMDATA, static_cast<WPARAM>(pos), number);
}

int MainForm::ListData(int pos) {
  return static_cast<int>(
      SendMessageW(impl_->Item(kIdList), LB_GETITEMDATA, static_cast<WPARAM>(pos), 0));
}

std::string MainForm::ListText(int pos) {
  HWND list = impl_->Item(kIdList);
  const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(pos), 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(
      0, SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(pos),
                      reinterpret_cast<LPARAM>(text.data())))));
  return WideToUtf8(text);
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
  HWND box = impl_->Item(kIdTitleBox);
  std::set<std::wstring> present;
  const auto count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(
                          std::max<LRESULT>(0, SendMessageW(box, CB_GETLBTEXTLEN, i, 0))) + 1,
                      L'\0');
    item.resize(static_cast<std::size_t>(std::max<LRESULT>(
        0, SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data())))));
    present.insert(item);
  }
  std::vector<std::wstring> add;
  for (const std::string& t : titles) {
    std::wstring w = Utf8ToWide(t);
    if (present.insert(w).second) add.push_back(std::move(w));
  }
  const bool empty = count == 0;
  if (empty) SortAsListDoes(add, [](const std::wstring& w) -> const std::wstring& { return w; });
  // As for the entry list: with redrawing on, each insertion also updates the hidden
  // drop-down list, which under Wine cost several times the insertion itself.
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  SendMessageW(box, CB_INITSTORAGE, add.size(), add.size() * 32);
  for (const std::wstring& w : add) {
    SendMessageW(box, empty ? CB_INSERTSTRING : CB_ADDSTRING, empty ? static_cast<WPARAM>(-1) : 0,
                 reinterpret_cast<LPARAM>(w.c_str()));
  }
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
}

bool MainForm::TitleListHas(const std::string& title) {
  HWND box = impl_->Item(kIdTitleBox);
  const std::wstring wide = Utf8ToWide(title);
  // CB_FINDSTRINGEXACT ignores letter case; the list wants the exact text.
  for (LRESULT from = -1;;) {
    const LRESULT at = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(from),
                                    reinterpret_cast<LPARAM>(wide.c_str()));
    if (at == CB_ERR || at <= from) return false;
    std::wstring item(static_cast<std::size_t>(
                          std::max<LRESULT>(0, SendMessageW(box, CB_GETLBTEXTLEN, at, 0))) + 1,
                      L'\0');
    item.resize(static_cast<std::size_t>(std::max<LRESULT>(
        0, SendMessageW(box, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(item.data())))));
    if (item == wide) return true;
    from = at;
  }
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
  // Unseen, the editor holds exactly what it was given: the program asks for its text
  // whenever it stores pending edits, which should not load the control.
  if (impl_->editor_pending) return GlyphTextAsEditorText(impl_->pending_text);
  return WideToUtf8(EditorTextW(impl_->editor()));
}

void MainForm::ShowGlyphText(const std::string& glyph_text) {
  Impl& m = *impl_;
  if (m.editor_pending) {
    // The control clamps the caret it keeps to the new text's end; so does this.
    const auto length = static_cast<LONG>(Utf16Length(GlyphTextAsEditorText(glyph_text)));
    m.pending_text = glyph_text;
    m.pending_start = m.pending_end = std::min(m.pending_start, length);
    return;
  }
  const CHARRANGE before = Selection(m.editor());
  HWND editor = ReplaceEditor();
  if (!editor) return;
  FillEditor(editor, glyph_text, before.cpMin);
}

void MainForm::FillEditor(HWND editor, const std::string& glyph_text, LONG caret) {
  // The whole snippet in one step, as rich text, so that a long one appears at once.
  const std::string rtf = GlyphTextToRtf(glyph_text);
  std::pair<const std::string*, std::size_t> source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = StreamFromString;
  SendMessageW(editor, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  Select(editor, caret, caret);
  SetInsertionFormat(editor, RunKind::kText);
  SendMessageW(editor, EM_SETMODIFY, FALSE, 0);
  SendMessageW(editor, EM_EMPTYUNDOBUFFER, 0, 0);
}

void MainForm::ClearEditor() {
  Impl& m = *impl_;
  if (m.editor_pending) {
    m.pending_text.clear();
    m.pending_start = m.pending_end = 0;
    return;
  }
  SetWindowTextW(m.editor(), L"");
}

std::size_t MainForm::EditorCaret() {
  Impl& m = *impl_;
  if (m.editor_pending) return static_cast<std::size_t>(m.pending_start);
  return static_cast<std::size_t>(std::max<LONG>(0, Selection(m.editor()).cpMin));
}

std::size_t MainForm::EditorSelectionLength() {
  Impl& m = *impl_;
  if (m.editor_pending) return static_cast<std::size_t>(m.pending_end - m.pending_start);
  const CHARRANGE r = Selection(m.editor());
  return r.cpMax > r.cpMin ? static_cast<std::size_t>(r.cpMax - r.cpMin) : 0;
}

std::string MainForm::EditorSelectedText() {
  HWND editor = EnsureEditor();
  const CHARRANGE r = Selection(editor);
  const std::wstring text = EditorTextW(editor);
  const auto start = std::min(static_cast<std::size_t>(std::max<LONG>(r.cpMin, 0)), text.size());
  const auto end = std::min(static_cast<std::size_t>(std::max<LONG>(r.cpMax, 0)), text.size());
  // Paragraph ends go out as the line breaks other programs expect.
  return ToCrLf(WideToUtf8(text.substr(start, end > start ? end - start : 0)));
}

void MainForm::EditorReplaceSelection(const std::string& text) {
  HWND editor = EnsureEditor();
  // Pasted like typed text: never between a glyph and its line break.
  if (!text.empty()) {
    BeforeTypedCharacter(editor);
  } else {
    SetInsertionFormat(editor, RunKind::kText);
  }
  const LONG start = Selection(editor).cpMin;
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
  const LONG end = Selection(editor).cpMax;
  // Pasted text comes in unformatted; glyphs in it keep their look.
  if (end > start) FormatGlyphs(editor, start, end);
}

void MainForm::EditorSelect(std::size_t start, std::size_t length) {
  Impl& m = *impl_;
  if (m.editor_pending) {
    // Clamped to the text. The control may keep one more position for its final paragraph
    // mark; the model selects only within the text.
    const auto end = static_cast<LONG>(Utf16Length(GlyphTextAsEditorText(m.pending_text)));
    m.pending_start = std::min(static_cast<LONG>(start), end);
    m.pending_end = std::min(static_cast<LONG>(start + length), end);
    return;
  }
  Select(m.editor(), static_cast<LONG>(start), static_cast<LONG>(start + length));
}

void MainForm::FocusEditor() {
  SetFocus(EnsureEditor());
}

bool MainForm::CryptChecked() {
  return IsDlgButtonChecked(window_, kIdCryptChk) == BST_CHECKED;
}

void MainForm::SetCryptChecked(bool on) {
  CheckDlgButton(window_, kIdCryptChk, on ? BST_CHECKED : BST_UNCHECKED);
}

bool MainForm::DosBoxChecked() {
  return IsDlgButtonChecked(window_, kIdDosBoxChk) == BST_CHECKED;
}

void MainForm::SetDosBoxChecked(bool on) {
  CheckDlgButton(window_, kIdDosBoxChk, on ? BST_CHECKED : BST_UNCHECKED);
}

int MainForm::DestinationType() {
  return IsDlgButtonChecked(window_, kIdOptTitle) == BST_CHECKED ? 1 : 0;
}

void MainForm::SetDestinationType(int index) {
  CheckRadioButton(window_, kIdOptLastWindow, kIdOptTitle,
                   index == 1 ? kIdOptTitle : kIdOptLastWindow);
}

void MainForm::ApplyControlStates(const ControlStates& s) {
  Impl& m = *impl_;
  auto menu_item = [&](int menu, int item, bool on) {
    EnableMenuItem(m.menu, static_cast<UINT>(MenuItemId(menu, item)),
                   MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  menu_item(2, 1, s.cut_copy_delete);
  menu_item(2, 2, s.cut_copy_delete);
  menu_item(2, 3, s.paste);
  menu_item(2, 4, s.cut_copy_delete);
  menu_item(2, 6, s.find);
  menu_item(2, 7, s.find_next);
  menu_item(3, 2, s.entry_controls);
  menu_item(3, 3, s.entry_controls);
  for (int id : {static_cast<int>(kIdOptLastWindow), static_cast<int>(kIdOptTitle),
                 static_cast<int>(kIdLabel1), static_cast<int>(kIdList), kBtnBase + 1,
                 kBtnBase + 2, static_cast<int>(kIdEditor), static_cast<int>(kIdCryptChk),
                 static_cast<int>(kIdDosBoxChk)}) {
    HWND control = m.Item(id);
    if (!control) {
      if (id == kIdEditor) m.pending_enabled = s.entry_controls;  // not made yet
      continue;
    }
    // Disabling the control with the focus would leave the keyboard nowhere.
    if (!s.entry_controls && GetFocus() == control) SetFocus(m.Item(kBtnBase + 8));
    EnableWindow(control, s.entry_controls);
  }
  EnableWindow(m.Item(kIdTitleBox), s.title_box);
  if (m.window_colour != s.window_colour) {
    m.window_colour = s.window_colour;
    InvalidateRect(m.Item(kIdList), nullptr, TRUE);
  }
  if (HWND editor = m.editor()) {
    SendMessageW(editor, EM_SETBKGNDCOLOR, 0,
                 static_cast<LPARAM>(GetSysColor(s.window_colour ? COLOR_WINDOW : COLOR_BTNFACE)));
  }
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
