// Opening the snippet menu from the notification-area icon and from the screen-edge strip.
#pragma once

#include <functional>

#include "platform/desktop.h"
#include "quillet/menu/popup_settings.h"

namespace qm {

// Mouse-button codes of the icon's and the strip's events.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// What activation asks of the program's windows; each may be empty in a test.
struct ActivationHooks {
  // On the NT family the last-used window is looked up at the click; elsewhere a poll timer
  // keeps it current and the click leaves it alone.
  bool windows_nt = true;
  // True while a snippet is being sent (its choice dialog open, its target being brought
  // forward or typed into): a left press then does nothing, for a menu opened now would take
  // the foreground from the target and could only offer snippets that cannot be sent.
  std::function<bool()> send_under_way;
  std::function<void()> store_pending_edits;
  std::function<WindowHandle()> find_last_used_window;
  std::function<void(WindowHandle)> set_last_used_window;
  std::function<void()> bring_main_window_to_front;  // visible or hidden alike
  std::function<void()> show_popup_menu;             // returns when the menu has closed
  std::function<bool()> main_window_visible;
  std::function<void()> hide_main_window;
  std::function<void()> show_main_window_normal;  // a minimised window is restored
};

// The left button opens the snippet menu, after storing what was just typed (the menu sends
// what is in the file) and noting the window the user was working in, which is the target of
// a snippet without a target title; while a send is under way it does nothing. Every other
// button shows the hidden main window or hides the visible one.
void OnActivationClick(int button, const ActivationHooks& hooks);

// The strip: in hover mode (by_click 0) any movement over it opens the menu and presses do
// nothing more; in click mode (1) the pressed button acts as on the icon.
void OnStripMouseMove(const PopupSettings& settings, const ActivationHooks& hooks);
void OnStripMouseDown(const PopupSettings& settings, int button, const ActivationHooks& hooks);

}  // namespace qm
