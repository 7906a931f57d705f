// The picker's placement and preview text.
#include "quillet/pick/picker_layout.h"

#include <algorithm>

namespace qm {

ScreenRect PlacePicker(const ScreenRect& anchor, const ScreenRect& work, int width, int height) {
  int left = anchor.left;
  int top = anchor.bottom;
  if (top + height > work.bottom && anchor.top - height >= work.top) top = anchor.top - height;
  // The right and bottom edges first, so that a window larger than the work area keeps its
  // top-left corner (its caption and search field) on the screen.
  left = std::max(std::min(left, work.right - width), work.left);
  top = std::max(std::min(top, work.bottom - height), work.top);
  return {left, top, left + width, top + height};
}

std::string PreviewText(std::string_view text, bool enciphered) {
  if (enciphered) return kEncipheredPreview;
  std::string out;
  out.reserve(std::min(text.size(), kPreviewCharacters * 2) + 16);
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // A character is counted at its first byte, so that a cut never splits one.
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && characters++ == kPreviewCharacters) {
      out += "…";
      break;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "¶\r\n";
    } else if (c == '\t') {
      out += "→\t";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qm
