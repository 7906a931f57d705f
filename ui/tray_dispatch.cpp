// The notification-area icon's mouse events, as the icon's window message carries them.
#include "ui/tray_dispatch.h"

#include "text/utf.h"

namespace qm {
namespace {

constexpr std::intptr_t kLeftDown = 0x0201, kLeftDouble = 0x0203, kRightDown = 0x0204,
                        kRightDouble = 0x0206;

}  // namespace

bool DispatchTrayMessage(unsigned message, std::uintptr_t wparam, std::intptr_t lparam,
                         const TrayCallbacks& callbacks) {
  if (message != kTrayMessage) return false;
  const auto id = static_cast<unsigned>(wparam);
  // Only the low word carries the mouse message; newer shells may put more in the high word.
  const std::intptr_t mouse = lparam & 0xFFFF;
  const std::function<void(unsigned)>* target = nullptr;
  if (mouse == kLeftDown) target = &callbacks.left_down;
  if (mouse == kRightDown) target = &callbacks.right_down;
  if (mouse == kLeftDouble || mouse == kRightDouble) target = &callbacks.double_click;
  if (target && *target) (*target)(id);
  return true;
}

std::string TrayTip(std::string_view text) {
  std::size_t pos = 0;
  for (int count = 0; pos < text.size() && count < 63; ++count) NextCodePoint(text, pos);
  return std::string(text.substr(0, pos));
}

}  // namespace qm
