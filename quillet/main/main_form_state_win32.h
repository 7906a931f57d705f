// The main window's state, shared by the files that make up MainForm.
#pragma once

#include <windows.h>

#include <optional>

#include "quillet/main/glyph_editor_win32.h"
#include "quillet/main/held_main_view.h"
#include "quillet/main/main_form_win32.h"
#include "ui/rect.h"

namespace qm {

struct MainForm::Impl {
  HINSTANCE instance;
  HWND window = nullptr;
  MainModel* model = nullptr;
  MainFormCommands commands;
  HMENU menu = nullptr;
  // From InitLayout on, the outer rectangle at start-up in twips: the window gets no smaller.
  bool layout_ready = false;
  Rect start;
  SIZE grown{0, 0};  // pixels beyond the planned client area, which the anchored rows follow
  bool window_colour = false;  // list and editor backgrounds
  GlyphEditor editor_control;
  HWND last_focus = nullptr;  // the control that had the focus when the window went inactive
  // Until the window is first shown, its controls as data; then the controls themselves.
  std::optional<HeldMainView> held;

  HWND Item(int id) const { return GetDlgItem(window, id); }
  HWND editor() const { return editor_control.hwnd(); }
  HeldMainView* Held() { return held ? &*held : nullptr; }
};

}  // namespace qm
