// A picture on the clipboard as PNG or JPEG bytes: as the copying program gave it ("PNG",
// "JFIF"), or a device-independent bitmap (a screenshot, a paint program) encoded as PNG by
// the system's imaging component.
#include "platform/clipboard_picture_win32.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/picture_codec_win32.h"

namespace qm {
namespace {

// A bitmap beyond this is no picture for a snippet; it is not even encoded.
constexpr long long kMaxPixels = 16LL * 1024 * 1024;

// The bytes of a clipboard format's global block, as far as they go.
std::optional<std::string> GlobalBytes(UINT format) {
  HANDLE data = GetClipboardData(format);
  if (!data) return std::nullopt;
  const SIZE_T size = GlobalSize(data);
  const void* bytes = GlobalLock(data);
  if (!bytes) return std::nullopt;
  std::string copy(static_cast<const char*>(bytes), size);
  GlobalUnlock(data);
  return copy;
}

// A picture file without what its block holds behind its end (a block may be rounded up).
std::string WithoutTail(std::string picture, std::string_view end, std::size_t after) {
  const std::size_t at = picture.rfind(end);
  if (at != std::string::npos && at + end.size() + after <= picture.size()) {
    picture.resize(at + end.size() + after);
  }
  return picture;
}

// Where a packed bitmap's pixels start, or 0 when the header does not fit its block.
std::size_t PixelOffset(const BITMAPINFOHEADER& h, std::size_t size) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size) return 0;
  std::size_t colours = h.biClrUsed;
  if (colours == 0 && h.biBitCount <= 8) colours = std::size_t{1} << h.biBitCount;
  std::size_t offset = h.biSize + colours * sizeof(RGBQUAD);
  // A plain header is followed by its three masks; a newer header holds them.
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) offset += 12;
  return offset < size ? offset : 0;
}

// The bitmap drawn into 24-bit rows from the top, as the encoder takes them.
bool ToRows(const std::string& dib, long width, long height, std::string* rows, UINT* stride) {
  const auto& header = *reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  const std::size_t offset = PixelOffset(header, dib.size());
  if (offset == 0) return false;
  // The pixels must all be in the block: uncompressed rows by their count, run-length
  // encoded ones by the size the header gives. Other kinds are not read at all.
  const std::size_t held = dib.size() - offset;
  const WORD depth = header.biBitCount;
  if (header.biCompression == BI_RGB ||
      (header.biCompression == BI_BITFIELDS && (depth == 16 || depth == 32))) {
    const auto row = ((static_cast<unsigned long long>(width) * depth + 31) / 32) * 4;
    if (row * static_cast<unsigned long long>(height) > held) return false;
  } else if ((header.biCompression == BI_RLE8 && depth == 8) ||
             (header.biCompression == BI_RLE4 && depth == 4)) {
    if (header.biSizeImage == 0 || header.biSizeImage > held || header.biHeight < 0) return false;
  } else {
    return false;
  }
  const BITMAPINFO out = TopDownBitmapInfo(width, height, 24);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &out, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const int lines = SetDIBitsToDevice(
      dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
      static_cast<UINT>(height), dib.data() + offset,
      reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
  GdiFlush();
  *stride = static_cast<UINT>(((width * 24 + 31) / 32) * 4);
  if (lines > 0) rows->assign(static_cast<const char*>(bits), std::size_t{*stride} * height);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return lines > 0;
}

std::optional<std::string> DibAsPng(const std::string& dib) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER header{};
  std::memcpy(&header, dib.data(), sizeof header);
  const long width = header.biWidth;
  const long height = header.biHeight == LONG_MIN ? 0 : std::labs(header.biHeight);
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels ||
      header.biPlanes != 1) {
    return std::nullopt;
  }
  std::string rows;
  UINT stride = 0;
  if (!ToRows(dib, width, height, &rows, &stride)) return std::nullopt;
  return EncodePng(rows, static_cast<UINT>(width), static_cast<UINT>(height), stride);
}

}  // namespace

bool ClipboardHasPicture() {
  return IsClipboardFormatAvailable(RegisterClipboardFormatW(L"PNG")) ||
         IsClipboardFormatAvailable(RegisterClipboardFormatW(L"JFIF")) ||
         IsClipboardFormatAvailable(CF_DIB);
}

std::optional<ClipboardPicture> ReadOpenClipboardPicture() {
  // A program's own PNG or JPEG is taken as it is: it is smaller and keeps transparency.
  // What only bears the name is passed over for the bitmap beside it.
  for (const wchar_t* name : {L"PNG", L"JFIF"}) {
    const bool png = *name == L'P';
    const UINT format = RegisterClipboardFormatW(name);
    if (!IsClipboardFormatAvailable(format)) continue;
    std::optional<std::string> bytes = GlobalBytes(format);
    const std::string_view signature = png ? std::string_view("\x89PNG\r\n\x1a\n", 8)
                                           : std::string_view("\xFF\xD8\xFF", 3);
    if (!bytes || bytes->compare(0, signature.size(), signature) != 0) continue;
    // PNG ends with the chunk "IEND" and its checksum, JPEG with the marker FF D9.
    return ClipboardPicture{png ? WithoutTail(std::move(*bytes), "IEND", 4)
                                : WithoutTail(std::move(*bytes), "\xFF\xD9", 0),
                            false};
  }
  if (!IsClipboardFormatAvailable(CF_DIB)) return std::nullopt;
  std::optional<std::string> dib = GlobalBytes(CF_DIB);
  if (!dib) return std::nullopt;
  return ClipboardPicture{std::move(*dib), true};
}

std::optional<std::string> PictureFile(const ClipboardPicture& picture) {
  return picture.bitmap ? DibAsPng(picture.bytes) : std::optional<std::string>(picture.bytes);
}

}  // namespace qm
