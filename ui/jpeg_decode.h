// A small decoder of baseline JPEG files, so that our own pictures need no system codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ui/decoded_picture.h"

namespace qm {

// The largest width or height that is decoded; a larger picture is declined.
inline constexpr int kJpegMaxSide = 8192;

// Whether the bytes start like a JPEG file (its start-of-image marker).
bool LooksLikeJpeg(const std::uint8_t* data, std::size_t size);

// Decodes a sequential Huffman-coded JPEG with 8-bit samples and one (grey) or three (YCbCr,
// or RGB when the file says so) components, subsampled by whole factors up to 4, restart
// markers included. Anything else (progressive, arithmetic coding, 12-bit, CMYK, a damaged or
// truncated file) gives nothing, so that the caller can try another way.
std::optional<DecodedPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size);

}  // namespace qm
