// Windows built from tables of controls in twips, scaled to the window's DPI, in the system's
// message font.
#include "ui/window_layout_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/utf16_win32.h"
#include "ui/layout_anchors.h"

namespace qm {
namespace {

// The per-monitor DPI functions exist from Windows 10 1607 on; older systems (and older
// Wine versions) get the screen-wide fallbacks.
template <typename Fn>
Fn User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  // Through a generic function pointer: the compiler rightly distrusts a direct cast.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

int ScreenDpi() {
  WindowDc screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void AppendText(std::vector<WORD>& out, const std::wstring& text) {
  for (wchar_t ch : text) out.push_back(static_cast<WORD>(ch));
  out.push_back(0);
}

void AppendDword(std::vector<WORD>& out, DWORD value) {
  out.push_back(LOWORD(value));
  out.push_back(HIWORD(value));
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (get_dpi && window) {
    const UINT dpi = get_dpi(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int TwipsToPixels(int twips, int dpi) {
  return MulDiv(twips, dpi, kTwipsPerInch);
}

UniqueFont CreateMessageFont(int dpi) {
  using SpiForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  static const auto spi_for_dpi = User32Function<SpiForDpiFn>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (spi_for_dpi &&
      spi_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The system reports the font for its own DPI.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  return CreatePointFont(L"Segoe UI", 9, dpi);
}

UniqueFont CreatePointFont(const wchar_t* face, int points, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(points, dpi, 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return UniqueFont(CreateFontIndirectW(&lf));
}

RECT ControlPixels(const ControlRow& c, int dpi, SIZE grown) {
  const Rect planned{static_cast<double>(TwipsToPixels(c.left, dpi)),
                     static_cast<double>(TwipsToPixels(c.top, dpi)),
                     static_cast<double>(TwipsToPixels(c.width, dpi)),
                     static_cast<double>(TwipsToPixels(c.height, dpi))};
  const Rect r = Anchored(planned, c.anchors, grown.cx, grown.cy);
  const auto left = static_cast<LONG>(r.left), top = static_cast<LONG>(r.top);
  return {left, top, left + static_cast<LONG>(r.width), top + static_cast<LONG>(r.height)};
}

RECT CaretOrMouseOnScreen(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (window && GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
      info.hwndCaret) {
    RECT caret = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
    return caret;
  }
  POINT mouse{};
  GetCursorPos(&mouse);
  return {mouse.x, mouse.y, mouse.x, mouse.y};
}

void EnsureCommonControls() {
  // Bound on first use: a program that starts in the notification area makes no control
  // before its first window is shown, and never loads the library for nothing.
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// The window classes every program has without the common controls library: with the
// library's newer version in the program's activation context, creating one loads it anyway.
bool SystemClass(const wchar_t* window_class) {
  for (const wchar_t* name :
       {L"BUTTON", L"STATIC", L"EDIT", L"LISTBOX", L"COMBOBOX", L"SCROLLBAR"}) {
    if (lstrcmpiW(window_class, name) == 0) return true;
  }
  return false;
}

void CreateControls(HWND parent, const std::vector<ControlRow>& table, int dpi, HFONT font,
                    SIZE grown) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlRow& c : table) {
    if (!c.window_class) continue;
    if (!SystemClass(c.window_class)) EnsureCommonControls();
    const RECT r = ControlPixels(c, dpi, grown);
    HWND control = CreateWindowExW(
        c.ex_style, c.window_class, Utf8ToWide(c.text).c_str(), WS_CHILD | WS_VISIBLE | c.style,
        r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

void PlaceControls(HWND parent, const std::vector<ControlRow>& table, int dpi, HFONT font,
                   SIZE grown) {
  // All at once, so that the window is drawn once with every control in its new place; where
  // the system cannot collect the moves, which it then forgets, each control moves alone.
  HDWP moves = BeginDeferWindowPos(static_cast<int>(table.size()));
  for (const ControlRow& c : table) {
    HWND control = GetDlgItem(parent, c.id);
    if (!control || !moves) continue;
    const RECT r = ControlPixels(c, dpi, grown);
    moves = DeferWindowPos(moves, control, nullptr, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const bool moved = moves && EndDeferWindowPos(moves);
  for (const ControlRow& c : table) {
    HWND control = GetDlgItem(parent, c.id);
    if (!control) continue;
    if (!moved) {
      const RECT r = ControlPixels(c, dpi, grown);
      SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (font && c.window_class) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
  }
}

SIZE WindowSizeForClient(HWND window, int width_twips, int height_twips, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, TwipsToPixels(width_twips, dpi), TwipsToPixels(height_twips, dpi)};
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (!adjust_for_dpi || !adjust_for_dpi(&r, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  }
  return {r.right - r.left, r.bottom - r.top};
}

void SetClientSize(HWND window, int width_twips, int height_twips, int dpi, int left, int top) {
  const SIZE size = WindowSizeForClient(window, width_twips, height_twips, dpi);
  SetWindowPos(window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceNearMainWindow(HWND window, HWND main, SIZE size, HWND insert_after) {
  RECT outer{};
  GetWindowRect(window, &outer);
  if (size.cx <= 0 || size.cy <= 0) size = {outer.right - outer.left, outer.bottom - outer.top};
  RECT anchor{};
  GetWindowRect(main, &anchor);
  const int offset = MulDiv(50, WindowDpi(window), 96);
  int left = anchor.left + offset;
  int top = anchor.top + offset;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    left = std::max<int>(work.left, std::min<int>(left, work.right - size.cx));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - size.cy));
  }
  SetWindowPos(window, insert_after, left, top, size.cx, size.cy,
               SWP_NOACTIVATE | (insert_after ? 0 : SWP_NOZORDER));
}

void MoveToSuggestedRect(HWND window, const RECT& suggested, int width_twips, int height_twips,
                         int dpi) {
  const SIZE outer = WindowSizeForClient(window, width_twips, height_twips, dpi);
  SetWindowPos(window, nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE PrimaryScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

POINT CentredPosition(HWND owner, SIZE size) {
  const bool over_owner = owner && IsWindowVisible(owner) && !IsIconic(owner);
  HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area{0, 0, PrimaryScreenSize().cx, PrimaryScreenSize().cy};
  if (GetMonitorInfoW(monitor, &info)) area = info.rcWork;
  RECT around = area;
  if (over_owner) GetWindowRect(owner, &around);
  LONG left = around.left + (around.right - around.left - size.cx) / 2;
  LONG top = around.top + (around.bottom - around.top - size.cy) / 2;
  left = std::max(area.left, std::min(left, area.right - size.cx));
  top = std::max(area.top, std::min(top, area.bottom - size.cy));
  return {left, top};
}

int WrappedTextHeight(HWND window, HFONT font, const std::string& text, int width, int dpi) {
  WindowDc dc(window);
  if (!dc.get()) return 0;
  SelectedObject selected(dc.get(), font);
  const std::wstring wide = Utf8ToWide(text);
  RECT r{0, 0, TwipsToPixels(width, dpi), 0};
  DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  return ((r.bottom - r.top) * kTwipsPerInch + dpi - 1) / dpi;
}

void SetWindowTextUtf8(HWND window, const std::string& text) {
  SetWindowTextW(window, Utf8ToWide(text).c_str());
}

std::string GetWindowTextUtf8(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return WideToUtf8(text);
}

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

HWND AddTooltip(HWND parent, HWND tool, const std::string& text) {
  EnsureCommonControls();
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, nullptr);
  if (!tip) return nullptr;
  std::wstring wide = Utf8ToWide(text);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = parent;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = wide.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  // Long texts wrap instead of running across the screen.
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
  return tip;
}

std::vector<WORD> EmptyDialogTemplate(DWORD style, const wchar_t* window_class,
                                      const std::string& caption) {
  std::vector<WORD> t;
  AppendDword(t, style);  // DLGTEMPLATE: style, extended style, no items, zero size
  AppendDword(t, 0);
  for (int i = 0; i < 5; ++i) t.push_back(0);
  t.push_back(0);  // no menu
  AppendText(t, window_class);
  AppendText(t, Utf8ToWide(caption));
  return t;
}

bool RegisterWindowClass(WNDCLASSEXW wc) {
  wc.cbSize = sizeof wc;
  WNDCLASSEXW there{};
  there.cbSize = sizeof there;
  if (GetClassInfoExW(wc.hInstance, wc.lpszClassName, &there)) return true;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  if (!wc.hbrBackground) wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterDialogClass(HINSTANCE instance, const wchar_t* window_class) {
  WNDCLASSEXW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance;
  wc.lpszClassName = window_class;
  return RegisterWindowClass(wc);
}

void DisableAutomaticDialogScaling(HWND dialog) {
  using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
  static const auto set_behavior = User32Function<SetBehaviorFn>("SetDialogDpiChangeBehavior");
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  if (set_behavior) set_behavior(dialog, kDisableAll, kDisableAll);
}

}  // namespace qm
