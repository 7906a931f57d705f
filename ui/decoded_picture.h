// A picture as plain pixels, and fitting it into a box the way the dialogs show pictures.
#pragma once

#include <cstdint>
#include <vector>

namespace qm {

struct DecodedPicture {
  int width = 0;
  int height = 0;
  // Top-down rows of `width` pixels, each blue, green, red, 255: the layout of a 32-bit DIB.
  std::vector<std::uint8_t> pixels;
};

struct PictureColour {
  std::uint8_t red = 0, green = 0, blue = 0;
};

// `picture` scaled to fit into width x height pixels with its proportions kept, centred on
// `background`. The scaling filters (averages when shrinking, interpolates when growing), so
// that a photo stays smooth. An empty picture or box gives an empty result.
DecodedPicture FitPicture(const DecodedPicture& picture, int width, int height,
                          PictureColour background);

}  // namespace qm
