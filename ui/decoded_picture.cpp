// A picture as plain pixels, and fitting it into a box the way the dialogs show pictures.
#include "ui/decoded_picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace qm {
namespace {

// The source pixels, with their weights, that make up each target pixel along one axis.
struct Taps {
  std::vector<int> first;  // per target pixel: its first entry in `index` and `weight`
  std::vector<int> index;
  std::vector<float> weight;
};

// Shrinking averages the source pixels that a target pixel covers, in proportion to how much
// of each it covers; growing interpolates between the two nearest source pixels.
Taps MakeTaps(int source, int target) {
  Taps taps;
  const double scale = static_cast<double>(target) / source;
  for (int i = 0; i < target; ++i) {
    taps.first.push_back(static_cast<int>(taps.index.size()));
    auto add = [&](int j, double w) {
      taps.index.push_back(std::clamp(j, 0, source - 1));  // the edge pixel repeats outwards
      taps.weight.push_back(static_cast<float>(w));
    };
    if (scale < 1) {
      const double left = i / scale, right = (i + 1) / scale;
      for (int j = static_cast<int>(left); j < right && j < source; ++j)
        add(j, (std::min(right, j + 1.0) - std::max(left, static_cast<double>(j))) * scale);
    } else {
      const double centre = (i + 0.5) / scale - 0.5;
      const int j = static_cast<int>(std::floor(centre));
      add(j, 1 - (centre - j));
      add(j + 1, centre - j);
    }
  }
  taps.first.push_back(static_cast<int>(taps.index.size()));
  return taps;
}

}  // namespace

DecodedPicture FitPicture(const DecodedPicture& picture, int width, int height,
                          PictureColour background) {
  DecodedPicture out;
  if (picture.width <= 0 || picture.height <= 0 || width <= 0 || height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 4)
    return out;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < out.pixels.size(); i += 4) {
    out.pixels[i] = background.blue;
    out.pixels[i + 1] = background.green;
    out.pixels[i + 2] = background.red;
    out.pixels[i + 3] = 255;
  }

  const double scale = std::min(static_cast<double>(width) / picture.width,
                                static_cast<double>(height) / picture.height);
  const int w = std::clamp(static_cast<int>(picture.width * scale + 0.5), 1, width);
  const int h = std::clamp(static_cast<int>(picture.height * scale + 0.5), 1, height);
  const int left = (width - w) / 2, top = (height - h) / 2;
  const Taps across = MakeTaps(picture.width, w), down = MakeTaps(picture.height, h);

  // Rows first: every source row narrowed to w pixels of three channels.
  std::vector<float> rows(static_cast<std::size_t>(picture.height) * w * 3);
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* src = &picture.pixels[static_cast<std::size_t>(y) * picture.width * 4];
    float* dst = &rows[static_cast<std::size_t>(y) * w * 3];
    for (int x = 0; x < w; ++x) {
      float b = 0, g = 0, r = 0;
      for (int k = across.first[x]; k < across.first[x + 1]; ++k) {
        const std::uint8_t* p = src + static_cast<std::size_t>(across.index[k]) * 4;
        b += p[0] * across.weight[k];
        g += p[1] * across.weight[k];
        r += p[2] * across.weight[k];
      }
      dst[x * 3] = b;
      dst[x * 3 + 1] = g;
      dst[x * 3 + 2] = r;
    }
  }
  for (int y = 0; y < h; ++y) {
    std::uint8_t* dst = &out.pixels[(static_cast<std::size_t>(top + y) * width + left) * 4];
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        float v = 0;
        for (int k = down.first[y]; k < down.first[y + 1]; ++k)
          v += rows[(static_cast<std::size_t>(down.index[k]) * w + x) * 3 + c] * down.weight[k];
        dst[x * 4 + c] = static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
      }
    }
  }
  return out;
}

}  // namespace qm
