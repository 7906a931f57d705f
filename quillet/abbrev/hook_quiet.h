// When the keyboard hook keeps out of the user's typing: a password field has the keyboard
// focus, or a full-screen program in front asks not to be disturbed. The system's facts are
// gathered at a focus change or a window switch; what they mean is decided here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// What the system tells of the control with the keyboard focus.
struct FocusFacts {
  std::string window_class;           // its class, or the standard control it is made from
  std::uint32_t style = 0;            // its window style bits
  bool accessible_protected = false;  // its accessible object's state says "protected"
};

// The system's numbers: an edit's style bit that hides its text (ES_PASSWORD), and the
// accessible state of a field whose text is hidden (STATE_SYSTEM_PROTECTED).
inline constexpr std::uint32_t kPasswordStyle = 0x0020;
inline constexpr std::uint32_t kProtectedState = 0x20000000;

// An Edit or RichEdit control, or one made from them: its style tells whether it hides its
// text, and its accessible object need not be asked. The same bit means other things in
// other classes.
bool IsClassicEdit(std::string_view window_class);

bool IsPasswordField(const FocusFacts& facts);

// Whether the hook steps aside for the answer of SHQueryUserNotificationState (its numbers:
// 1 no one there, 2 busy with a full-screen program, 3 Direct3D full screen, 4 presentation
// mode, 5 accepts notifications, 6 quiet hours after the first sign-in, 7 a store app).
bool WantsQuiet(int notification_state);

}  // namespace qm
