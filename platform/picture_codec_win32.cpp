// Pictures through the system's imaging component: rows encoded as PNG, and a PNG or JPEG
// decoded at the size it is shown in.
#include "platform/picture_codec_win32.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstring>

#include "platform/com_ref_win32.h"

namespace qm {
namespace {

// The imaging factory of every Windows since 7, and of Wine.
constexpr CLSID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kContainerPng = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kPixelFormat24bppBgr = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};
constexpr GUID kPixelFormat32bppPbgra = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x10}};

// The imaging factory; false where the system has none. COM must be set up.
bool MakeFactory(ComRef<IWICImagingFactory>* factory) {
  return SUCCEEDED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, factory->out_void()));
}

}  // namespace

std::optional<std::string> EncodePng(const std::string& rows, UINT width, UINT height,
                                     UINT stride) {
  const ComScope com;
  ComRef<IWICImagingFactory> factory;
  ComRef<IStream> stream;
  ComRef<IWICBitmapEncoder> encoder;
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  WICPixelFormatGUID format = kPixelFormat24bppBgr;
  auto* pixels = reinterpret_cast<BYTE*>(const_cast<char*>(rows.data()));
  const bool encoded =
      MakeFactory(&factory) &&
      SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) &&
      SUCCEEDED(factory->CreateEncoder(kContainerPng, nullptr, encoder.out())) &&
      SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(frame.out(), options.out())) &&
      SUCCEEDED(frame->Initialize(options.get())) && SUCCEEDED(frame->SetSize(width, height)) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) &&
      std::memcmp(&format, &kPixelFormat24bppBgr, sizeof format) == 0 &&
      SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), pixels)) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (!encoded || FAILED(GetHGlobalFromStream(stream.get(), &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
    return std::nullopt;
  }
  const void* bytes = GlobalLock(memory);
  if (!bytes) return std::nullopt;
  std::string png(static_cast<const char*>(bytes), static_cast<std::size_t>(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return png;
}

std::vector<std::uint32_t> DecodePicture(std::string_view file, UINT width, UINT height) {
  if (width == 0 || height == 0 || file.size() > 0xFFFFFFFFu) return {};
  const ComScope com;
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  ComRef<IWICBitmapScaler> scaler;
  std::vector<std::uint32_t> pixels(std::size_t{width} * height);
  auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(file.data()));
  const bool decoded =
      MakeFactory(&factory) && SUCCEEDED(factory->CreateStream(stream.out())) &&
      SUCCEEDED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(file.size()))) &&
      SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                 WICDecodeMetadataCacheOnDemand, decoder.out())) &&
      SUCCEEDED(decoder->GetFrame(0, frame.out())) &&
      SUCCEEDED(factory->CreateFormatConverter(converter.out())) &&
      SUCCEEDED(converter->Initialize(frame.get(), kPixelFormat32bppPbgra,
                                      WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(factory->CreateBitmapScaler(scaler.out())) &&
      SUCCEEDED(scaler->Initialize(converter.get(), width, height,
                                   WICBitmapInterpolationModeFant)) &&
      SUCCEEDED(scaler->CopyPixels(nullptr, width * 4,
                                   static_cast<UINT>(pixels.size() * 4),
                                   reinterpret_cast<BYTE*>(pixels.data())));
  if (!decoded) pixels.clear();
  return pixels;
}

}  // namespace qm
