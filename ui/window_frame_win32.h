// One way to make a window: a plain window, a modeless or a modal dialog, tied to its object,
// its messages handed to named handlers, its table of controls laid out at the window's DPI.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/tray_dispatch.h"
#include "ui/window_layout_win32.h"

namespace qm {

// A modeless dialog with a caption, the close box and a minimise box.
inline constexpr DWORD kModelessDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;

// A plain window's class, registered on the first window of that name.
struct FrameClass {
  const wchar_t* name;
  HICON icon = nullptr;
  HICON small_icon = nullptr;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

// Where and how a plain window is made.
struct FramePlacement {
  DWORD ex_style;
  DWORD style;
  int x, y, width, height;  // pixels, or CW_USEDEFAULT as for CreateWindowEx
  HWND owner = nullptr;  // the owner, or a child window's parent
  HMENU menu = nullptr;  // the menu bar, or a child window's id
};

// A frame is never deleted through this class: the windows are `final` classes of their own.
class WindowFrame {
 public:
  WindowFrame(const WindowFrame&) = delete;
  WindowFrame& operator=(const WindowFrame&) = delete;

  HWND hwnd() const { return window_; }
  int dpi() const { return dpi_; }
  // Destroys the window. No message of its end reaches the object, which may be going itself.
  void Destroy();
  // Shows the frame as a modal dialog of the private class `window_class` (see
  // CreateModeless); returns what EndModal was given (-1: it could not be made).
  INT_PTR RunModal(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                   const std::string& caption, HWND owner);

 protected:
  bool CreatePlainWindow(HINSTANCE instance, const FrameClass& window_class,
                         const std::string& caption, const FramePlacement& placement);
  // A dialog of the private class `window_class` from a template without controls: the
  // dialog manager gives it Tab, Enter and Esc, the controls come from Table(). Hidden.
  bool CreateModeless(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                      const std::string& caption, HWND owner);
  void EndModal(INT_PTR result);
  WindowFrame() = default;
  ~WindowFrame();

  // The table of controls in twips and the client area it plans; none by default.
  virtual std::vector<ControlRow> Table() const { return {}; }
  virtual SIZE ClientTwips() const { return {0, 0}; }
  // Pixels the window has grown beyond ClientTwips(), which the anchored rows follow.
  virtual SIZE Grown() const { return {0, 0}; }
  // The DPI a new dialog lays itself out at.
  virtual int DpiAtCreation() const { return WindowDpi(window_); }
  // Before the table is made or placed at dpi(), in `font` (measuring text that grows).
  virtual void BeforeLayout(HFONT) {}
  // After it (fonts beyond the message font, pictures, regions).
  virtual void AfterLayout(bool) {}
  // Makes the table's controls at dpi() in the message font, or places them anew.
  void Layout(bool create);
  // Takes `dpi` and places the table anew at it. A child frame follows its parent so: the
  // system tells only top-level windows of a new DPI.
  void FollowDpi(int dpi);
  HFONT font() const { return font_.get(); }
  // The window's outer size for ClientTwips() at its DPI.
  SIZE OuterSize() const;

  // Handlers. Those that return bool return whether the message was handled. What a dialog
  // leaves unhandled of Esc (IDCANCEL) and the close box ends a modal one with IDCANCEL and
  // destroys a modeless one.
  virtual void OnCreate() {}  // the window and its table's controls are there
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual bool OnClose() { return false; }
  // After dpi() has taken the new value; by default the table is placed anew and the window
  // takes the suggested place at the size of ClientTwips().
  virtual bool OnDpiChanged(const RECT& suggested);
  virtual void OnDestroy() {}
  // After the last message has reached the object: a window that owns its object deletes it.
  virtual void OnFinalMessage() {}
  virtual void OnTrayIcon(unsigned /*id*/, TrayEvent) {}
  virtual void OnTaskbarCreated() {}
  // Windows ends the session, or (`close_app`) an installer or the restart manager asks the
  // program to end.
  virtual void OnEndSession(bool /*close_app*/) {}
  // Every other message; nullopt leaves it to the system.
  virtual std::optional<LRESULT> OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

 private:
  // The window's object behind a handle, where the window is one of our frames.
  static WindowFrame* FromHandle(HWND window);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void Attach(HWND window);
  std::optional<LRESULT> Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  void Detach();
  void Dismiss();
  HWND MakeDialog(HINSTANCE instance, const wchar_t* window_class, DWORD style,
                  const std::string& caption, HWND owner, bool modal, INT_PTR* result);

  HWND window_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  bool dialog_ = false;
  bool modal_ = false;
  UniqueFont font_;
};

}  // namespace qm
