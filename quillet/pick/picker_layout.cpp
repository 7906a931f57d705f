// The picker's placement and preview text.
#include "quillet/pick/picker_layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace qm {
namespace {

bool StartsWithWord(std::string_view text, std::size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  }
  return true;
}

// A field's word as the preview shows it: "[Name]" for a text field or a choice, "[Name: "
// and "]" around an optional section; `length` is how much of `text` it stands for. Other
// words stay as written.
std::optional<std::string> ReadableField(std::string_view text, std::size_t at,
                                         std::size_t* length) {
  static constexpr std::array<std::string_view, 4> kFields = {"%eingabe=", "%mehrzeilig=",
                                                              "%auswahl=", "%optional="};
  if (StartsWithWord(text, at, "%/optional%")) {
    *length = 11;
    return "]";
  }
  for (const std::string_view word : kFields) {
    if (!StartsWithWord(text, at, word)) continue;
    const std::size_t close = text.find('%', at + word.size());
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view name = text.substr(at + word.size(), close - at - word.size());
    if (word == "%auswahl=") name = name.substr(0, name.find(':'));
    *length = close + 1 - at;
    return word == "%optional=" ? "[" + std::string(name) + ": " : "[" + std::string(name) + "]";
  }
  return std::nullopt;
}

}  // namespace

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
    std::size_t length = 0;
    if (c == '%') {
      if (const std::optional<std::string> field = ReadableField(text, i, &length)) {
        out += *field;
        i += length - 1;
        continue;
      }
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
