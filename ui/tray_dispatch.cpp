// The notification-area icon's mouse events, as the icon's window message carries them.
#include "ui/tray_dispatch.h"

#include "text/utf.h"

namespace qm {
namespace {

constexpr std::intptr_t kLeftDown = 0x0201, kLeftDouble = 0x0203, kRightDown = 0x0204,
                        kRightDouble = 0x0206;

}  // namespace

TrayEvent TrayEventOf(std::intptr_t lparam) {
  // Only the low word carries the mouse message; newer shells may put more in the high word.
  switch (lparam & 0xFFFF) {
    case kLeftDown:
      return TrayEvent::kLeftDown;
    case kRightDown:
      return TrayEvent::kRightDown;
    case kLeftDouble:
    case kRightDouble:
      return TrayEvent::kDoubleClick;
    default:
      return TrayEvent::kNone;
  }
}

std::string TrayTip(std::string_view text) {
  std::size_t pos = 0;
  for (int count = 0; pos < text.size() && count < 63; ++count) NextCodePoint(text, pos);
  return std::string(text.substr(0, pos));
}

}  // namespace qm
