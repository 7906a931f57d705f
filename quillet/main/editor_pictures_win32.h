// Pictures in the snippet editor. The control keeps a picture as its mark, a large
// symbol-font glyph in the picture's colour; after the control has painted, each mark in view
// is painted over with its picture, scaled into the glyph's box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

class EditorPictures {
 public:
  // The pictures' PNG or JPEG files, by the index their mark's colour carries.
  void Set(std::vector<std::string> files);
  bool empty() const { return files_.empty(); }
  // Paints the pictures over the marks in view in `editor`, on `background`.
  void Paint(HWND editor, COLORREF background);

 private:
  struct Shown {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // premultiplied BGRA, as decoded; empty: not decodable
    bool tried = false;
  };
  // The picture fitted into `box` at its bottom left, over the mark's `glyph`.
  void Draw(HDC dc, const RECT& box, const RECT& glyph, std::size_t index, COLORREF background,
            bool selected);

  std::vector<std::string> files_;
  std::vector<Shown> shown_;  // each decoded at the size it was last shown
};

}  // namespace qm
