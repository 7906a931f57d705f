// Pictures of formatted snippets: data: addresses, base64, and the size a header gives.
#include <cstdint>
#include <string>

#include "rich/rich_html.h"
#include "text/utf.h"

namespace qm {
namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+' || c == '-') return 62;
  if (c == '/' || c == '_') return 63;
  return -1;
}

bool DecodeBase64(std::string_view in, std::string* out) {
  out->clear();
  out->reserve(in.size() / 4 * 3);
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : in) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') continue;
    if (c == '=') break;
    const int v = DigitValue(c);
    if (v < 0) return false;
    bits = (bits << 6) | static_cast<std::uint32_t>(v);
    if (++count == 4) {
      out->push_back(static_cast<char>(bits >> 16));
      out->push_back(static_cast<char>(bits >> 8));
      out->push_back(static_cast<char>(bits));
      bits = 0;
      count = 0;
    }
  }
  if (count == 1) return false;
  if (count == 2) out->push_back(static_cast<char>(bits >> 4));
  if (count == 3) {
    out->push_back(static_cast<char>(bits >> 10));
    out->push_back(static_cast<char>(bits >> 2));
  }
  return true;
}

std::uint32_t Big(std::string_view b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

bool IsPng(std::string_view b) { return b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8); }
bool IsJpeg(std::string_view b) { return b.size() > 3 && b.substr(0, 3) == "\xFF\xD8\xFF"; }

}  // namespace

bool DecodeDataPicture(std::string_view address, std::string* mime, std::string* bytes) {
  const std::size_t comma = address.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string head = FoldCase(address.substr(0, comma));
  if (head == "data:image/png;base64") {
    *mime = "image/png";
  } else if (head == "data:image/jpeg;base64" || head == "data:image/jpg;base64") {
    *mime = "image/jpeg";
  } else {
    return false;
  }
  if (!DecodeBase64(address.substr(comma + 1), bytes)) return false;
  return *mime == "image/png" ? IsPng(*bytes) : IsJpeg(*bytes);
}

std::string DataAddress(std::string_view mime, std::string_view bytes) {
  std::string out = "data:" + std::string(mime) + ";base64,";
  out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    std::uint32_t bits = Big(bytes, i, static_cast<int>(n)) << (8 * (3 - n));
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(bits >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out;
}

bool PictureSize(std::string_view b, int* width, int* height) {
  if (IsPng(b)) {
    if (b.size() < 24) return false;
    *width = static_cast<int>(Big(b, 16, 4));
    *height = static_cast<int>(Big(b, 20, 4));
    return *width > 0 && *height > 0;
  }
  if (!IsJpeg(b)) return false;
  // The segments up to the frame header, which holds the size.
  for (std::size_t at = 2; at + 9 < b.size();) {
    if (static_cast<unsigned char>(b[at]) != 0xFF) return false;
    const unsigned char marker = static_cast<unsigned char>(b[at + 1]);
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                       marker != 0xCC;
    if (frame) {
      *height = static_cast<int>(Big(b, at + 5, 2));
      *width = static_cast<int>(Big(b, at + 7, 2));
      return *width > 0 && *height > 0;
    }
    at += 2 + Big(b, at + 2, 2);
  }
  return false;
}

}  // namespace qm
