// A modeless dialog of our own window class, built from a table of controls in twips in the
// system's message font: its creation, layout at the window's DPI, the DPI change, Esc and the
// close box (both close it), and the end of the window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/window_layout_win32.h"

namespace qm {

class ModelessDialog {
 public:
  virtual ~ModelessDialog();
  ModelessDialog(const ModelessDialog&) = delete;
  ModelessDialog& operator=(const ModelessDialog&) = delete;

  void Close();
  HWND hwnd() const { return window_; }

 protected:
  ModelessDialog(int client_width_twips, int client_height_twips)
      : width_(client_width_twips), height_(client_height_twips) {}

  // Creates the window, hidden, with its controls; `owner` may be null. False when it failed.
  bool Create(HINSTANCE instance, const wchar_t* window_class, const std::string& caption,
              HWND owner);
  // The window's outer size for its client area at its DPI.
  SIZE OuterSize() const;
  // Everything but creation, DPI, Esc, closing and destruction; true when handled.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  virtual std::vector<ControlRow> Table() const = 0;
  // After the controls are made or placed anew at the DPI (fonts beyond the message font).
  virtual void AfterLayout() {}

  HWND window_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void Layout(bool create);

  int width_, height_;
  UniqueFont font_;
};

}  // namespace qm
