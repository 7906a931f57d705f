// The strip one pixel thick along an edge of the screen that opens the snippet menu.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kEdgeStripClass[] = L"QuilletMoveOverFrm";

class EdgeStripWindow final : public WindowFrame {
 public:
  // The mouse moved over the strip; a button (1 left, 2 right, 4 middle) was pressed on it.
  std::function<void()> on_mouse_move;
  std::function<void(int button)> on_button_down;
  // The screen's size changed (another resolution, a monitor added or removed): the strip
  // is to be placed anew, or it would end short of the edge or stand inside the screen.
  std::function<void()> on_display_change;

  EdgeStripWindow() = default;
  ~EdgeStripWindow();
  EdgeStripWindow(const EdgeStripWindow&) = delete;
  EdgeStripWindow& operator=(const EdgeStripWindow&) = delete;

  // Borderless, without a taskbar button, hidden; `caption` is never shown but tells other
  // code that the window is one of the program's own.
  bool Create(HINSTANCE instance, const std::string& caption);
  // Shown at `pixels` in the always-on-top band, or hidden and out of it.
  void Place(bool shown, const RECT& pixels);
  void SetColour(COLORREF colour);

 private:
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  HBRUSH brush_ = nullptr;
};

}  // namespace qm
