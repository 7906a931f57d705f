// Opening the snippet menu from the notification-area icon and from the screen-edge strip.
#include "quillet/menu/activation.h"

namespace qm {
namespace {

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

void OnActivationClick(int button, const ActivationHooks& hooks) {
  if (button != kLeftButton) {
    if (hooks.main_window_visible && hooks.main_window_visible()) {
      Call(hooks.hide_main_window);
    } else {
      Call(hooks.show_main_window_normal);
    }
    return;
  }
  if (hooks.send_under_way && hooks.send_under_way()) return;
  Call(hooks.store_pending_edits);
  // Looked up on the desktop as the user left it: bringing the main window forward changes
  // the foreground window that the search starts from. A result of 0 is kept too, so that a
  // snippet never goes to the window of an earlier click.
  if (hooks.windows_nt && hooks.set_last_used_window) {
    hooks.set_last_used_window(hooks.find_last_used_window ? hooks.find_last_used_window() : 0);
  }
  // The click on the icon lets the program take the foreground; the menu and then the
  // target need that right handed on.
  Call(hooks.bring_main_window_to_front);
  Call(hooks.show_popup_menu);
}

void OnStripMouseMove(const PopupSettings& settings, const ActivationHooks& hooks) {
  if (settings.by_click == 0) OnActivationClick(kLeftButton, hooks);
}

void OnStripMouseDown(const PopupSettings& settings, int button, const ActivationHooks& hooks) {
  if (settings.by_click == 1) OnActivationClick(button, hooks);
}

}  // namespace qm
