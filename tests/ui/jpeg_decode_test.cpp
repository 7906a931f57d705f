// The JPEG decoder against pictures that ImageMagick decoded once, damaged and unsupported
// files, and fitting a decoded picture into a box.
#include "ui/jpeg_decode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/decoded_picture.h"

namespace qm {
namespace {

// 16 x 16, 4:2:0; red, green over blue, white quarters.
const char kQuarters[] =
    "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb\x00"
    "\x43"
    "\x00\x03\x02\x02\x03\x02\x02\x03\x03\x03\x03\x04\x03\x03\x04\x05\x08\x05\x05\x04\x04\x05\x0a"
    "\x07"
    "\x07\x06\x08\x0c\x0a\x0c\x0c\x0b\x0a\x0b\x0b\x0d\x0e\x12\x10\x0d\x0e\x11\x0e\x0b\x0b\x10\x16"
    "\x10"
    "\x11\x13\x14\x15\x15\x15\x0c\x0f\x17\x18\x16\x14\x18\x12\x14\x15\x14\xff\xdb\x00\x43\x01\x03"
    "\x04"
    "\x04\x05\x04\x05\x09\x05\x05\x09\x14\x0d\x0b\x0d\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
    "\x14"
    "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\xff\xc0\x00\x11\x08\x00\x10\x00\x10"
    "\x03"
    "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xc4\x00\x16\x00\x01\x01\x01\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x08\x09\x0a\xff\xc4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x01\xff\xc4\x00\x25\x11\x00\x01\x03\x01\x06\x07\x00\x00\x00\x00\x00\x00"
    "\x00"
    "\x00\x00\x00\x13\x11\x12\x14\x07\x00\x01\x03\x05\x41\x61\x16\x17\x21\x22\x25\x43\x63\xff\xda"
    "\x00"
    "\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00\x3a\x18\xc9\x78\xd2\xd9\x53\x28\x5f\x0e\x43\xf2"
    "\x44"
    "\x21\x3d\x4d\x46\xb3\xeb\x7a\xaa\xda\x56\x1c\xcf\x9d\x10\x3b\x22\x44\x2e\xa5\x79\x47\xb6\x1b"
    "\x5a"
    "\x3d\xd5\x74\x4e\xbf\xff\xd9";

// 48 x 8 grey, six flat blocks of 16, 200, 90, 240, 128, 30, a restart marker after every two.
const char kRestarts[] =
    "\xff\xd8\xff\xdb\x00\x43\x00\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\xff"
    "\xc0\x00\x0b\x08\x00\x08\x00\x30\x01\x01\x11\x00\xff\xc4\x00\x1f\x00\x00\x00\x00\x0c\x00\x00"
    "\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\xff\xc4"
    "\x00"
    "\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xdd\x00\x04"
    "\x00"
    "\x02\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00\xa1\xfd\x77\x01\xff\xd0\x96\x7a\xe5\x83\xff\xd1"
    "\x05"
    "\x1d\xef\xff\xd9";

std::string Bytes(const char* literal, std::size_t size) {
  return std::string(literal, size - 1);
}

std::optional<DecodedPicture> Decode(const std::string& bytes) {
  return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

struct Pixel {
  int x, y, red, green, blue;
};

// The decoded colours within what rounding in the inverse transform may change.
void ExpectPixels(const DecodedPicture& picture, std::initializer_list<Pixel> expected) {
  for (const Pixel& p : expected) {
    const std::uint8_t* got = &picture.pixels[(p.y * picture.width + p.x) * 4];
    EXPECT_LE(std::abs(got[2] - p.red), 3) << p.x << "," << p.y;
    EXPECT_LE(std::abs(got[1] - p.green), 3) << p.x << "," << p.y;
    EXPECT_LE(std::abs(got[0] - p.blue), 3) << p.x << "," << p.y;
    EXPECT_EQ(got[3], 255);
  }
}

TEST(JpegDecodeTest, DecodesLikeAReferenceDecoder) {
  std::ifstream file(QM_SOURCE_DIR "/mantello/hints/SID1.jpg", std::ios::binary);
  const std::string hint((std::istreambuf_iterator<char>(file)), {});
  ASSERT_FALSE(hint.empty());
  const auto picture = Decode(hint);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 256);
  EXPECT_EQ(picture->height, 256);
  // The light page, the dark task bar below it, the tray icon and its sign, the arrow.
  ExpectPixels(*picture, {{10, 10, 238, 243, 247},
                          {20, 230, 45, 62, 80},
                          {185, 215, 39, 134, 164},
                          {200, 227, 254, 212, 102},
                          {212, 180, 255, 255, 255},
                          {250, 250, 44, 62, 82}});

  const auto quarters = Decode(Bytes(kQuarters, sizeof kQuarters));
  ASSERT_TRUE(quarters);
  EXPECT_EQ(quarters->width, 16);
  ExpectPixels(*quarters, {{3, 3, 248, 3, 2},
                           {12, 3, 6, 254, 0},
                           {3, 12, 1, 1, 247},
                           {12, 12, 252, 254, 255},
                           {7, 7, 142, 47, 51}});  // where the chroma is interpolated

  const auto grey = Decode(Bytes(kRestarts, sizeof kRestarts));
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->width, 48);
  EXPECT_EQ(grey->height, 8);
  const int levels[] = {16, 200, 90, 240, 128, 30};
  for (int block = 0; block < 6; ++block) {
    const int v = levels[block];
    ExpectPixels(*grey, {{block * 8, 0, v, v, v}, {block * 8 + 7, 7, v, v, v}});
  }
}

TEST(JpegDecodeTest, EveryCutShortFileIsDeclined) {
  for (const std::string& whole :
       {Bytes(kQuarters, sizeof kQuarters), Bytes(kRestarts, sizeof kRestarts)}) {
    // Without only its end marker the picture is all there.
    EXPECT_TRUE(Decode(whole.substr(0, whole.size() - 2)));
    for (std::size_t size = 0; size + 2 < whole.size(); ++size)
      EXPECT_FALSE(Decode(whole.substr(0, size))) << size;
  }
}

TEST(JpegDecodeTest, DeclinesWhatItDoesNotDecode) {
  const std::string good = Bytes(kQuarters, sizeof kQuarters);
  const std::size_t frame = good.find("\xff\xc0");
  ASSERT_NE(frame, std::string::npos);
  auto changed = [&](std::size_t at, char to) {
    std::string bytes = good;
    bytes[at] = to;
    return bytes;
  };
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"progressive", changed(frame + 1, '\xc2')},
      {"arithmetic coding", changed(frame + 1, '\xc9')},
      {"12-bit samples", changed(frame + 4, 12)},
      {"no height", changed(frame + 6, 0)},
      {"wider than the limit", changed(frame + 7, '\x21')},
      {"a component without a Huffman table", changed(good.find("\xff\xda") + 7, '\x33')},
      {"no JPEG", "kein Bild"},
      {"nothing", ""},
  };
  for (const auto& c : cases) EXPECT_FALSE(Decode(c.bytes)) << c.what;
}

TEST(JpegDecodeTest, DamagedBytesGiveAWholePictureOrNone) {
  const std::string good = Bytes(kQuarters, sizeof kQuarters);
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const char to : {'\x00', '\xff', static_cast<char>(good[at] ^ 0x5a)}) {
      std::string bytes = good;
      bytes[at] = to;
      const auto picture = Decode(bytes);
      if (picture) {
        ASSERT_EQ(picture->pixels.size(), std::size_t(picture->width) * picture->height * 4) << at;
      }
    }
  }
}

DecodedPicture Plain(int width, int height, std::uint8_t grey) {
  DecodedPicture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(std::size_t(width) * height * 4, grey);
  return p;
}

TEST(FitPictureTest, KeepsProportionsAndCentresOnTheBackground) {
  const DecodedPicture fitted = FitPicture(Plain(4, 2, 200), 8, 8, {10, 20, 30});
  ASSERT_EQ(fitted.pixels.size(), 8u * 8u * 4u);
  // 8 x 4 in rows 2 to 5; above and below the background, blue first as in a DIB.
  ExpectPixels(
      fitted,
      {{0, 1, 10, 20, 30}, {7, 6, 10, 20, 30}, {0, 2, 200, 200, 200}, {7, 5, 200, 200, 200}});
  EXPECT_TRUE(FitPicture(DecodedPicture(), 8, 8, {}).pixels.empty());
  EXPECT_TRUE(FitPicture(Plain(4, 2, 0), 0, 8, {}).pixels.empty());
}

TEST(FitPictureTest, ShrinkingAveragesWhatItCovers) {
  DecodedPicture stripes = Plain(8, 8, 0);
  for (std::size_t i = 0; i < stripes.pixels.size(); i += 8) {  // every other column white
    for (int c = 0; c < 4; ++c) stripes.pixels[i + c] = 255;
  }
  const DecodedPicture fitted = FitPicture(stripes, 2, 2, {});
  ExpectPixels(fitted, {{0, 0, 128, 128, 128}, {1, 1, 128, 128, 128}});
}

}  // namespace
}  // namespace qm
