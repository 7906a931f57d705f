// A small decoder of baseline JPEG files, so that our own pictures need no system codec.
// Every length and index that comes from the file is checked before it is used; whatever
// does not fit declines the whole picture.
#include "ui/jpeg_decode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace qm {
namespace {

constexpr std::array<std::uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// A canonical Huffman table: codes up to 9 bits through a lookup, longer ones by length.
struct Huffman {
  bool defined = false;
  std::array<int, 17> max_code{};     // per length: the largest code, -1 when there is none
  std::array<int, 17> first_code{};   // per length: the smallest code
  std::array<int, 17> first_index{};  // per length: where its values start
  std::array<std::uint8_t, 256> values{};
  std::array<std::uint16_t, 512> fast{};  // first 9 bits -> length << 8 | value; 0: longer
};

bool BuildHuffman(Huffman& h, const std::uint8_t* counts, const std::uint8_t* values, int total) {
  h = Huffman();
  std::copy(values, values + total, h.values.begin());
  int code = 0, index = 0;
  for (int len = 1; len <= 16; ++len) {
    const int n = counts[len - 1];
    h.first_code[len] = code;
    h.first_index[len] = index;
    h.max_code[len] = n ? code + n - 1 : -1;
    if (len <= 9) {
      for (int i = 0; i < n; ++i) {
        const int from = (code + i) << (9 - len), to = (code + i + 1) << (9 - len);
        for (int f = from; f < to && f < 512; ++f)
          h.fast[f] = static_cast<std::uint16_t>(len << 8 | values[index + i]);
      }
    }
    code += n;
    index += n;
    if (code > (1 << len)) return false;  // more codes than this length can hold
    code <<= 1;
  }
  h.defined = true;
  return true;
}

// The bits of one scan's entropy-coded data, with its stuffed zero bytes taken out. At a
// marker or the end of the data it goes on with zero bits and counts them, so that a scan
// that uses them is known to be cut short.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size, std::size_t pos)
      : data_(data), size_(size), pos_(pos) {}

  std::size_t pos() const { return pos_; }
  bool ran_out() const { return padding_ > bits_; }

  unsigned Peek(int n) {
    Fill();
    return static_cast<unsigned>(buffer_ >> (64 - n));
  }
  void Skip(int n) {
    buffer_ <<= n;
    bits_ -= n;
  }
  int Get(int n) {  // n <= 16
    if (n == 0) return 0;
    const int v = static_cast<int>(Peek(n));
    Skip(n);
    return v;
  }
  // Where a restart marker ends the bits so far: the marker must be the expected one.
  bool Restart(int number) {
    buffer_ = 0;
    bits_ = padding_ = 0;
    if (!at_marker_) return false;
    while (pos_ + 1 < size_ && data_[pos_ + 1] == 0xFF) ++pos_;  // fill bytes before it
    if (pos_ + 1 >= size_ || data_[pos_ + 1] != 0xD0 + number) return false;
    pos_ += 2;
    at_marker_ = false;
    return true;
  }

 private:
  void Fill() {
    while (bits_ <= 56) {
      std::uint64_t byte = 0;
      bool real = false;
      if (!at_marker_ && pos_ < size_) {
        if (data_[pos_] != 0xFF) {
          byte = data_[pos_++];
          real = true;
        } else if (pos_ + 1 < size_ && data_[pos_ + 1] == 0x00) {  // a stuffed 0xFF
          byte = 0xFF;
          pos_ += 2;
          real = true;
        } else {
          at_marker_ = true;  // pos_ stays on the marker
        }
      }
      if (!real) padding_ += 8;
      buffer_ |= byte << (56 - bits_);
      bits_ += 8;
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_;
  std::uint64_t buffer_ = 0;  // the next bits at the top
  int bits_ = 0;
  int padding_ = 0;  // zero bits added beyond the data, at the end of the buffer
  bool at_marker_ = false;
};

// Decodes one symbol; -1 for a code that the table does not have.
int DecodeSymbol(BitReader& bits, const Huffman& h) {
  const unsigned peek = bits.Peek(16);
  const std::uint16_t fast = h.fast[peek >> 7];
  if (fast) {
    bits.Skip(fast >> 8);
    return fast & 0xFF;
  }
  for (int len = 10; len <= 16; ++len) {
    const int code = static_cast<int>(peek >> (16 - len));
    if (code >= h.first_code[len] && code <= h.max_code[len]) {
      bits.Skip(len);
      return h.values[h.first_index[len] + code - h.first_code[len]];
    }
  }
  return -1;
}

int Extend(int v, int size) {
  return v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

struct Component {
  int id = 0, h = 1, v = 1, quant = 0;
  int dc_table = 0, ac_table = 0;
  int samples_w = 0, samples_h = 0;  // samples that belong to the picture
  int stride = 0, rows = 0;          // the plane, padded to whole MCUs
  std::vector<std::uint8_t> plane;
  int dc = 0;
  bool decoded = false;
};

// cos((2x + 1) u pi / 16) scaled for the inverse transform, by [x][u].
struct IdctTable {
  float c[8][8];
  IdctTable() {
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u)
        c[x][u] = static_cast<float>((u == 0 ? std::sqrt(0.5) : 1.0) / 2.0 *
                                     std::cos((2 * x + 1) * u * 3.14159265358979323846 / 16));
  }
};

void InverseTransform(const float* coef, bool only_dc, std::uint8_t* out, int stride) {
  static const IdctTable table;
  if (only_dc) {
    const float v = std::clamp(coef[0] / 8 + 128.5f, 0.0f, 255.0f);
    for (int y = 0; y < 8; ++y) std::fill(out + y * stride, out + y * stride + 8, std::uint8_t(v));
    return;
  }
  float rows[64];
  for (int v = 0; v < 8; ++v)  // along each row of frequencies
    for (int x = 0; x < 8; ++x) {
      float s = 0;
      for (int u = 0; u < 8; ++u) s += table.c[x][u] * coef[v * 8 + u];
      rows[v * 8 + x] = s;
    }
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) {
      float s = 0;
      for (int v = 0; v < 8; ++v) s += table.c[y][v] * rows[v * 8 + x];
      out[y * stride + x] = static_cast<std::uint8_t>(std::clamp(s + 128.5f, 0.0f, 255.0f));
    }
}

class Decoder {
 public:
  Decoder(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::optional<DecodedPicture> Run();

 private:
  bool ReadFrame(std::size_t at, std::size_t len, std::uint8_t marker);
  bool ReadHuffman(std::size_t at, std::size_t len);
  bool ReadQuant(std::size_t at, std::size_t len);
  bool ReadScan(std::size_t at, std::size_t len, std::size_t& end);
  bool DecodeBlock(BitReader& bits, Component& c, int bx, int by);
  DecodedPicture ToPixels() const;

  const std::uint8_t* data_;
  std::size_t size_;
  std::array<Huffman, 4> dc_, ac_;
  std::array<std::array<int, 64>, 4> quant_{};
  std::array<bool, 4> quant_defined_{};
  std::vector<Component> comps_;
  int width_ = 0, height_ = 0, hmax_ = 1, vmax_ = 1, mcus_x_ = 0, mcus_y_ = 0;
  int restart_interval_ = 0;
  bool rgb_ = false;  // three components that are red, green, blue rather than YCbCr
};

std::uint16_t Be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

bool Decoder::ReadFrame(std::size_t at, std::size_t len, std::uint8_t marker) {
  // Sequential Huffman coding only; 12 bits, progressive and arithmetic coding are declined.
  if ((marker != 0xC0 && marker != 0xC1) || !comps_.empty() || len < 6) return false;
  const std::uint8_t* p = data_ + at;
  const int count = p[5];
  if (p[0] != 8 || (count != 1 && count != 3) || len != 6u + 3u * count) return false;
  height_ = Be16(p + 1);
  width_ = Be16(p + 3);
  if (width_ < 1 || height_ < 1 || width_ > kJpegMaxSide || height_ > kJpegMaxSide) return false;
  comps_.resize(count);
  for (int i = 0; i < count; ++i) {
    Component& c = comps_[i];
    c.id = p[6 + i * 3];
    c.h = p[7 + i * 3] >> 4;
    c.v = p[7 + i * 3] & 15;
    c.quant = p[8 + i * 3];
    if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quant > 3) return false;
    for (int j = 0; j < i; ++j)
      if (comps_[j].id == c.id) return false;
    hmax_ = std::max(hmax_, c.h);
    vmax_ = std::max(vmax_, c.v);
  }
  mcus_x_ = (width_ + 8 * hmax_ - 1) / (8 * hmax_);
  mcus_y_ = (height_ + 8 * vmax_ - 1) / (8 * vmax_);
  long long blocks = 0;
  for (Component& c : comps_) {
    if (hmax_ % c.h || vmax_ % c.v) return false;  // only whole subsampling factors
    c.samples_w = (width_ * c.h + hmax_ - 1) / hmax_;
    c.samples_h = (height_ * c.v + vmax_ - 1) / vmax_;
    blocks += static_cast<long long>((c.samples_w + 7) / 8) * ((c.samples_h + 7) / 8);
  }
  // Every block takes at least two bits (a DC and an end-of-block code): a file too short
  // for its size is refused before its planes are allocated.
  if (static_cast<long long>(size_ - at) * 4 < blocks) return false;
  for (Component& c : comps_) {
    c.stride = mcus_x_ * c.h * 8;
    c.rows = mcus_y_ * c.v * 8;
    c.plane.assign(static_cast<std::size_t>(c.stride) * c.rows, 0);
  }
  return true;
}

bool Decoder::ReadHuffman(std::size_t at, std::size_t len) {
  const std::size_t end = at + len;
  while (at < end) {
    if (end - at < 17) return false;
    const int cls = data_[at] >> 4, id = data_[at] & 15;
    if (cls > 1 || id > 3) return false;
    const std::uint8_t* counts = data_ + at + 1;
    int total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256 || end - at - 17 < static_cast<std::size_t>(total)) return false;
    if (!BuildHuffman(cls ? ac_[id] : dc_[id], counts, data_ + at + 17, total)) return false;
    at += 17 + total;
  }
  return true;
}

bool Decoder::ReadQuant(std::size_t at, std::size_t len) {
  const std::size_t end = at + len;
  while (at < end) {
    const int precision = data_[at] >> 4, id = data_[at] & 15;
    const std::size_t need = 1 + 64 * (precision + 1);
    if (precision > 1 || id > 3 || end - at < need) return false;
    for (int k = 0; k < 64; ++k)
      quant_[id][k] = precision ? Be16(data_ + at + 1 + 2 * k) : data_[at + 1 + k];
    quant_defined_[id] = true;
    at += need;
  }
  return true;
}

bool Decoder::DecodeBlock(BitReader& bits, Component& c, int bx, int by) {
  const std::array<int, 64>& q = quant_[c.quant];
  float coef[64] = {};
  const int dc_size = DecodeSymbol(bits, dc_[c.dc_table]);
  if (dc_size < 0 || dc_size > 11) return false;
  const int diff = dc_size ? Extend(bits.Get(dc_size), dc_size) : 0;
  c.dc = std::clamp(c.dc + diff, -32768, 32767);  // a damaged file cannot overflow it
  coef[0] = static_cast<float>(c.dc) * q[0];
  bool only_dc = true;
  for (int k = 1; k < 64;) {
    const int rs = DecodeSymbol(bits, ac_[c.ac_table]);
    if (rs < 0) return false;
    const int run = rs >> 4, size = rs & 15;
    if (size == 0) {
      if (run != 15) break;  // end of block
      k += 16;
      continue;
    }
    k += run;
    if (k > 63) return false;
    coef[kZigzag[k]] = static_cast<float>(Extend(bits.Get(size), size)) * q[k];
    only_dc = false;
    ++k;
  }
  InverseTransform(coef, only_dc, &c.plane[(static_cast<std::size_t>(by) * c.stride + bx) * 8],
                   c.stride);
  return true;
}

bool Decoder::ReadScan(std::size_t at, std::size_t len, std::size_t& end) {
  if (comps_.empty() || len < 1) return false;
  const int count = data_[at];
  if (count < 1 || count > static_cast<int>(comps_.size()) || len != 4u + 2u * count) return false;
  std::vector<Component*> scan;
  int units = 0;
  for (int i = 0; i < count; ++i) {
    const int id = data_[at + 1 + 2 * i], tables = data_[at + 2 + 2 * i];
    auto c =
        std::find_if(comps_.begin(), comps_.end(), [&](const Component& x) { return x.id == id; });
    if (c == comps_.end() || std::find(scan.begin(), scan.end(), &*c) != scan.end()) return false;
    c->dc_table = tables >> 4;
    c->ac_table = tables & 15;
    if (c->dc_table > 3 || c->ac_table > 3 || !dc_[c->dc_table].defined ||
        !ac_[c->ac_table].defined || !quant_defined_[c->quant])
      return false;
    c->dc = 0;
    units += c->h * c->v;
    scan.push_back(&*c);
  }
  const std::uint8_t* tail = data_ + at + 1 + 2 * count;
  if (tail[0] != 0 || tail[1] != 63 || tail[2] != 0 || units > 10) return false;

  BitReader bits(data_, size_, at + len);
  const bool single = count == 1;
  const int across = single ? (scan[0]->samples_w + 7) / 8 : mcus_x_;
  const int down = single ? (scan[0]->samples_h + 7) / 8 : mcus_y_;
  int restarts = 0;
  for (int my = 0; my < down; ++my) {
    for (int mx = 0; mx < across; ++mx) {
      const long long n = static_cast<long long>(my) * across + mx;
      if (restart_interval_ && n && n % restart_interval_ == 0) {
        if (!bits.Restart(restarts)) return false;
        restarts = (restarts + 1) & 7;
        for (Component* c : scan) c->dc = 0;
      }
      for (Component* c : scan) {
        const int h = single ? 1 : c->h, v = single ? 1 : c->v;
        for (int y = 0; y < v; ++y)
          for (int x = 0; x < h; ++x)
            if (!DecodeBlock(bits, *c, mx * h + x, my * v + y)) return false;
      }
      if (bits.ran_out()) return false;  // the data ended before the picture
    }
  }
  for (Component* c : scan) c->decoded = true;
  end = bits.pos();
  return true;
}

DecodedPicture Decoder::ToPixels() const {
  DecodedPicture out;
  out.width = width_;
  out.height = height_;
  out.pixels.resize(static_cast<std::size_t>(width_) * height_ * 4);
  // Subsampled planes are interpolated between the centres of their samples.
  auto sample = [&](const Component& c, int x, int y) -> int {
    const int fx = hmax_ / c.h, fy = vmax_ / c.v;
    if (fx == 1 && fy == 1) return c.plane[static_cast<std::size_t>(y) * c.stride + x];
    const int sx = (2 * x + 1 - fx) * 128 / fx, sy = (2 * y + 1 - fy) * 128 / fy;  // in 1/256
    const int x0 = std::clamp(sx >> 8, 0, c.samples_w - 1), x1 = std::min(x0 + 1, c.samples_w - 1);
    const int y0 = std::clamp(sy >> 8, 0, c.samples_h - 1), y1 = std::min(y0 + 1, c.samples_h - 1);
    const int wx = sx < 0 ? 0 : sx & 255, wy = sy < 0 ? 0 : sy & 255;
    const std::uint8_t* r0 = &c.plane[static_cast<std::size_t>(y0) * c.stride];
    const std::uint8_t* r1 = &c.plane[static_cast<std::size_t>(y1) * c.stride];
    const int top = r0[x0] * (256 - wx) + r0[x1] * wx, bottom = r1[x0] * (256 - wx) + r1[x1] * wx;
    return (top * (256 - wy) + bottom * wy + 32768) >> 16;
  };
  std::uint8_t* p = out.pixels.data();
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x, p += 4) {
      const int a = sample(comps_[0], x, y);
      int r = a, g = a, b = a;
      if (comps_.size() == 3) {
        const int m = sample(comps_[1], x, y), n = sample(comps_[2], x, y);
        if (rgb_) {
          r = a, g = m, b = n;
        } else {  // JFIF's YCbCr, in 1/65536
          r = a + ((91881 * (n - 128) + 32768) >> 16);
          g = a + ((-22554 * (m - 128) - 46802 * (n - 128) + 32768) >> 16);
          b = a + ((116130 * (m - 128) + 32768) >> 16);
        }
      }
      p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
      p[3] = 255;
    }
  }
  return out;
}

std::optional<DecodedPicture> Decoder::Run() {
  if (!LooksLikeJpeg(data_, size_)) return std::nullopt;
  std::size_t pos = 2;
  bool adobe_rgb = false;
  while (pos + 1 < size_) {
    if (data_[pos] != 0xFF || data_[pos + 1] == 0xFF || data_[pos + 1] == 0x00) {
      ++pos;  // bytes between segments, or fill bytes before a marker
      continue;
    }
    const std::uint8_t marker = data_[pos + 1];
    pos += 2;
    if (marker == 0xD9) break;                                           // end of image
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
    if (marker == 0xD8 || pos + 2 > size_) return std::nullopt;
    const std::size_t len = Be16(data_ + pos);
    if (len < 2 || len > size_ - pos) return std::nullopt;
    const std::size_t at = pos + 2, body = len - 2;
    pos += len;
    bool ok = true;
    if (marker == 0xC4) {
      ok = ReadHuffman(at, body);
    } else if (marker == 0xDB) {
      ok = ReadQuant(at, body);
    } else if (marker == 0xDD) {
      ok = body == 2;
      if (ok) restart_interval_ = Be16(data_ + at);
    } else if (marker == 0xDA) {
      ok = ReadScan(at, body, pos);
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC8) {
      ok = marker != 0xCC && ReadFrame(at, body, marker);  // 0xCC: arithmetic conditioning
    } else if (marker == 0xEE && body >= 12 && std::equal(data_ + at, data_ + at + 5, "Adobe")) {
      adobe_rgb = data_[at + 11] == 0;  // its colour transform: none
    }
    if (!ok) return std::nullopt;
  }
  if (comps_.empty()) return std::nullopt;
  for (const Component& c : comps_)
    if (!c.decoded) return std::nullopt;
  rgb_ = comps_.size() == 3 &&
         (adobe_rgb || (comps_[0].id == 'R' && comps_[1].id == 'G' && comps_[2].id == 'B'));
  return ToPixels();
}

}  // namespace

bool LooksLikeJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

std::optional<DecodedPicture> DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  if (!data) return std::nullopt;
  return Decoder(data, size).Run();
}

}  // namespace qm
