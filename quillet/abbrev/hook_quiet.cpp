// When the keyboard hook keeps out of the user's typing: a password field has the keyboard
// focus, or a full-screen program in front asks not to be disturbed.
#include "quillet/abbrev/hook_quiet.h"

#include "text/utf.h"

namespace qm {

bool IsClassicEdit(std::string_view window_class) {
  const std::string name = FoldCase(window_class);
  // Windows Forms names its controls after the system class they are made from.
  for (std::string_view prefix : {"richedit", "windowsforms10.edit.", "windowsforms10.richedit"}) {
    if (name.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return name == "edit";
}

bool IsPasswordField(const FocusFacts& facts) {
  if (facts.accessible_protected) return true;
  return IsClassicEdit(facts.window_class) && (facts.style & kPasswordStyle) != 0;
}

bool WantsQuiet(int notification_state) {
  // Busy, Direct3D full screen, presentation mode. A store app in front asks nothing of the
  // kind, and the quiet hours after the first sign-in are about notifications, not typing.
  return notification_state >= 2 && notification_state <= 4;
}

}  // namespace qm
