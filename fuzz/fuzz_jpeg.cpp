// Fuzzes the JPEG decoder: any bytes give a picture of the size it says, or none, and the
// picture fits into a box like the hint dialog's.
#include <cstddef>
#include <cstdint>

#include "ui/decoded_picture.h"
#include "ui/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto picture = qm::DecodeJpeg(data, size);
  if (!picture) return 0;
  if (picture->width < 1 || picture->height < 1 || picture->width > qm::kJpegMaxSide ||
      picture->height > qm::kJpegMaxSide ||
      picture->pixels.size() != static_cast<std::size_t>(picture->width) * picture->height * 4)
    __builtin_trap();
  const qm::DecodedPicture fitted = qm::FitPicture(*picture, 37, 23, {1, 2, 3});
  if (fitted.pixels.size() != 37u * 23u * 4u) __builtin_trap();
  return 0;
}
