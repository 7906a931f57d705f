// Pictures through the system's imaging component (WIC): encoding a bitmap as PNG, and
// decoding a PNG or JPEG file at the size it is to be shown in.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// A bitmap's header for rows of `bits` bits from the top, without compression.
inline BITMAPINFO TopDownBitmapInfo(int width, int height, WORD bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

// 24-bit rows from the top (blue, green, red; each `stride` bytes) as a PNG file; nullopt
// where the system cannot encode them.
std::optional<std::string> EncodePng(const std::string& rows, UINT width, UINT height,
                                     UINT stride);

// A PNG or JPEG file's picture scaled to `width` x `height`: premultiplied BGRA pixels, rows
// from the top; empty where it cannot be decoded.
std::vector<std::uint32_t> DecodePicture(std::string_view file, UINT width, UINT height);

}  // namespace qm
