// Pictures (JPEG, PNG, BMP, GIF) from a file or a resource, drawn to a bitmap of a given size.
#include "ui/picture_win32.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/system_library_win32.h"
#include "platform/utf16_win32.h"
#include "ui/decoded_picture.h"
#include "ui/jpeg_decode.h"

namespace qm {
namespace {

// GDI+ stays up for the rest of the process once a picture was needed: shutting it down
// from a static destructor can hang while the system unloads its libraries.
bool GdiplusReady() {
  static const bool ready = [] {
    if (!SystemLibraryLoads(L"gdiplus.dll")) return false;  // then there are no pictures
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return ready;
}

// A 24-bit top-down DIB section of width x height pixels; `bits` receives its pixels.
UniqueBitmap MakeDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

// A JPEG that our own decoder reads needs neither GDI+ nor the codecs it loads; anything it
// declines goes the GDI+ way.
UniqueBitmap RenderDecoded(const DecodedPicture& picture, int width, int height,
                           COLORREF background) {
  if (width <= 0 || height <= 0) return {};
  const DecodedPicture fitted = FitPicture(
      picture, width, height,
      PictureColour{GetRValue(background), GetGValue(background), GetBValue(background)});
  if (fitted.pixels.empty()) return {};
  void* bits = nullptr;
  UniqueBitmap bitmap = MakeDib(width, height, &bits);
  if (!bitmap || !bits) return {};
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* from = &fitted.pixels[static_cast<std::size_t>(y) * width * 4];
    std::uint8_t* to = static_cast<std::uint8_t*>(bits) + y * stride;
    for (int x = 0; x < width; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
  }
  return bitmap;
}

// The whole file, or nothing when it cannot be read or is larger than any picture of ours.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::wstring& path) {
  constexpr LONGLONG kMostBytes = 64ll << 20;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> bytes;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart <= kMostBytes) {
    bytes.emplace(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes->empty() &&
        (!ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) ||
         read != bytes->size()))
      bytes.reset();
  }
  CloseHandle(file);
  return bytes;
}

// Releases a COM interface on every path.
struct ComRelease {
  void operator()(IUnknown* p) const {
    if (p) p->Release();
  }
};

UniqueBitmap Render(Gdiplus::Image& image, int width, int height, COLORREF background) {
  if (image.GetLastStatus() != Gdiplus::Ok || width <= 0 || height <= 0) return {};
  const UINT source_w = image.GetWidth(), source_h = image.GetHeight();
  if (source_w == 0 || source_h == 0) return {};

  void* bits = nullptr;
  UniqueBitmap bitmap = MakeDib(width, height, &bits);
  if (!bitmap) return {};

  const HDC memory = CreateCompatibleDC(nullptr);
  if (!memory) return {};
  bool drawn = false;
  {
    SelectedObject selected(memory, bitmap.get());
    Gdiplus::Graphics g(memory);
    g.Clear(Gdiplus::Color(GetRValue(background), GetGValue(background), GetBValue(background)));
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    // Fitted, not stretched: a photo keeps its proportions.
    const double scale =
        std::min(static_cast<double>(width) / source_w, static_cast<double>(height) / source_h);
    const int w = std::max(1, static_cast<int>(source_w * scale + 0.5));
    const int h = std::max(1, static_cast<int>(source_h * scale + 0.5));
    drawn = g.DrawImage(&image, (width - w) / 2, (height - h) / 2, w, h) == Gdiplus::Ok;
  }
  DeleteDC(memory);
  if (!drawn) return {};
  return bitmap;
}

}  // namespace

UniqueBitmap LoadPictureFile(const std::string& path, int width, int height, COLORREF background) {
  if (path.empty()) return {};
  const std::wstring wide = Utf8ToWide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  if (const auto bytes = ReadWholeFile(wide);
      bytes && LooksLikeJpeg(bytes->data(), bytes->size())) {
    if (const auto picture = DecodeJpeg(bytes->data(), bytes->size()))
      return RenderDecoded(*picture, width, height, background);
  }
  if (!GdiplusReady()) return {};
  // The image holds the file open while it lives; it goes before the caller sees the bitmap.
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(wide.c_str()));
  if (!image) return {};
  return Render(*image, width, height, background);
}

UniqueBitmap LoadPictureResource(HMODULE module, int resource_id, int width, int height,
                                 COLORREF background) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource_id), MAKEINTRESOURCEW(10));
  if (!found) return {};
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (LooksLikeJpeg(bytes, size)) {
    if (const auto picture = DecodeJpeg(bytes, size))
      return RenderDecoded(*picture, width, height, background);
  }
  if (!GdiplusReady()) return {};

  // The stream owns a copy, since GDI+ may read from it for as long as the image lives.
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return {};
  void* target = GlobalLock(copy);
  if (!target) {
    GlobalFree(copy);
    return {};
  }
  std::memcpy(target, data, size);
  GlobalUnlock(copy);
  IStream* raw_stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &raw_stream))) {
    GlobalFree(copy);
    return {};
  }
  std::unique_ptr<IStream, ComRelease> stream(raw_stream);
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream.get()));
  if (!image) return {};
  return Render(*image, width, height, background);
}

void SetControlPicture(HWND control, UniqueBitmap picture, UniqueBitmap& shown) {
  const auto old = reinterpret_cast<HBITMAP>(
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get())));
  if (old && old != shown.get() && old != picture.get()) DeleteObject(old);
  shown = std::move(picture);
}

}  // namespace qm
