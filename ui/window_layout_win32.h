// Windows built from tables of controls in twips, scaled to the window's DPI, in the system's
// message font.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

// Owns one GDI object (font, bitmap, brush, pen) and deletes it when it goes.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

using UniqueFont = GdiObject<HFONT>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;

// A device context from GetDC, released again on every path.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a DC for one scope, the previous one put back at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

inline constexpr int kTwipsPerInch = 1440;

// The DPI the window is shown with: per monitor where the system knows it, else the screen's.
int WindowDpi(HWND window);
int TwipsToPixels(int twips, int dpi);

// The message font of the system (as in message boxes), for `dpi`.
UniqueFont CreateMessageFont(int dpi);
// A font by face name and size in points, for `dpi`.
UniqueFont CreatePointFont(const wchar_t* face, int points, int dpi);

struct ControlRow {
  int id;
  // WC_BUTTON, WC_STATIC, ...; none for a control made by code of its own, which the table
  // only places: it is neither made here nor given the font.
  const wchar_t* window_class;
  std::string text;              // UTF-8
  DWORD style;                   // WS_CHILD and WS_VISIBLE are added
  int left, top, width, height;  // twips, in the parent's client area, as planned
  unsigned anchors = 0;          // how it follows a window larger than planned (Anchor)
  DWORD ex_style = 0;
};

// Where the user types in `window`: the caret on the screen (GetGUIThreadInfo, no message to
// the window), or the mouse where its thread shows none.
RECT CaretOrMouseOnScreen(HWND window);
// Registers the common controls' classes, once, before the first of them is made.
void EnsureCommonControls();
// A row's place in pixels at `dpi`, in a window `grown` pixels larger than planned.
RECT ControlPixels(const ControlRow& row, int dpi, SIZE grown = {});
// Creates the controls of `table` in `parent` at `dpi`, all in `font`.
void CreateControls(HWND parent, const std::vector<ControlRow>& table, int dpi, HFONT font,
                    SIZE grown = {});
// Moves and resizes the existing controls of `table` for `dpi` and a window `grown` pixels
// larger than planned, and gives them `font` where one is given: as when the window moves to
// a monitor with another DPI, or is resized.
void PlaceControls(HWND parent, const std::vector<ControlRow>& table, int dpi, HFONT font,
                   SIZE grown = {});
// Sizes the window so that its client area is the given twips at `dpi`, and moves it to
// `left`, `top` (pixels on the screen).
void SetClientSize(HWND window, int width_twips, int height_twips, int dpi, int left, int top);
// The window's outer size in pixels for a client area of the given twips.
SIZE WindowSizeForClient(HWND window, int width_twips, int height_twips, int dpi);

// Moves `window` (keeping its size, or giving it `size` when that is not empty) to 50 pixels
// at the window's DPI right of and below the main window's top-left corner, kept inside the
// work area of that monitor; `insert_after` as for SetWindowPos (null keeps the Z-order).
void PlaceNearMainWindow(HWND window, HWND main, SIZE size = {}, HWND insert_after = nullptr);

// After WM_DPICHANGED: the window at the system's suggested place (`suggested`, the message's
// lParam), sized for a client area of the given twips at the new `dpi`.
void MoveToSuggestedRect(HWND window, const RECT& suggested, int width_twips, int height_twips,
                         int dpi);

// The size of the primary screen in pixels.
SIZE PrimaryScreenSize();

// Where a window of `size` pixels stands over `owner` where the user looks at it, else in the
// middle of the work area; never partly off the monitor.
POINT CentredPosition(HWND owner, SIZE size);

// The twips `text` takes in `window`'s `font`, broken into lines `width` twips wide, rounded up
// so that the pixels of a grown label are never one short; 0 where the window has no DC.
int WrappedTextHeight(HWND window, HFONT font, const std::string& text, int width, int dpi);

// Sets a window's or control's text from UTF-8.
void SetWindowTextUtf8(HWND window, const std::string& text);
std::string GetWindowTextUtf8(HWND window);

// A static control breaks lines only at CR LF on every system: lone CR and lone LF become
// CR LF.
std::string ToCrLf(std::string_view text);

// A tooltip for `tool` (a child of `parent`); the tooltip window belongs to `parent` and goes
// with it. Static controls need SS_NOTIFY for their tooltip to show.
HWND AddTooltip(HWND parent, HWND tool, const std::string& text);

// A dialog template without controls, of the window class `window_class` (registered with
// RegisterDialogClass), for the Indirect dialog functions: the dialog manager then gives the
// window its keyboard handling (Tab, Enter, Escape) while the controls come from a table.
std::vector<WORD> EmptyDialogTemplate(DWORD style, const wchar_t* window_class,
                                      const std::string& caption);
// Registers `wc` (its procedure, instance, name, style, icons) once per process, with the
// arrow cursor and, where it names none, the dialog background; true when the class is there.
bool RegisterWindowClass(WNDCLASSEXW wc);
// A private class for dialogs, so that other programs and tests can find the window by it.
bool RegisterDialogClass(HINSTANCE instance, const wchar_t* window_class);

// Dialogs that place their own controls per DPI: the system's automatic rescaling of dialog
// contents (Windows 10 1703 and later) would fight with that.
void DisableAutomaticDialogScaling(HWND dialog);

}  // namespace qm
