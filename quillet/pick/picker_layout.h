// Where the picker opens and what its preview shows: plain decisions of the picker window.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Screen pixels, right and bottom exclusive.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// The picker's outer rect of `width` x `height` pixels (at the monitor's DPI): just below the
// text caret `anchor` (or the mouse, an empty rect), starting at its left; above it where
// there is no room below, so that the line being typed stays visible; kept fully inside the
// monitor's `work` area (its top-left corner wins where the window is larger).
ScreenRect PlacePicker(const ScreenRect& anchor, const ScreenRect& work, int width, int height);

// At most this many characters of a snippet are shown in the preview.
inline constexpr std::size_t kPreviewCharacters = 3000;

// The preview of an unescaped snippet text for a multi-line edit field: every line break
// (CR LF, CR or LF) shown as "¶" before a CR LF, every Tab as "→" before it; a field shown as
// "[Name]", an optional section as "[Name: …]", other placeholders as they are. A longer text is cut after kPreviewCharacters characters, with "…". An
// enciphered entry shows a note instead of its text.
std::string PreviewText(std::string_view text, bool enciphered);
inline constexpr const char* kEncipheredPreview =
    "(Dieser Textbaustein ist verschlüsselt; sein Text wird hier nicht gezeigt.)";

}  // namespace qm
