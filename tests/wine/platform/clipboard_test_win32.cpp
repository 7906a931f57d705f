// The Win32 clipboard against the system itself: text, a program holding it, and every kind
// of content coming back after a paste.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/picture_codec_win32.h"
#include "platform/ui_services_win32.h"
#include "platform/utf16_win32.h"
#include "tests/wine/support/temp_folder_win32.h"

namespace qm {
namespace {

TEST(Win32Clipboard, RoundTripsUnicodeTextAndTellsNoTextFromEmptyText) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xF0\x9F\x98\x80 <b>&amp;</b>\r\nZeile 2";  // Grüße 😀
  ASSERT_TRUE(clipboard->WriteText(text));
  EXPECT_EQ(clipboard->ReadText(), text);
  ASSERT_TRUE(clipboard->WriteText(""));
  EXPECT_EQ(clipboard->ReadText(), std::string()) << "an empty text is still a text";
  ASSERT_TRUE(clipboard->Clear());
  EXPECT_EQ(clipboard->ReadText(), std::nullopt);

  // Data in another format only is no text either.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const UINT format = RegisterClipboardFormatW(L"QmTestFormat");
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  ASSERT_NE(SetClipboardData(format, block), nullptr);
  CloseClipboard();
  EXPECT_EQ(clipboard->ReadText(), std::nullopt);
}

// The clipboard holding these formats' bytes, as a copying program leaves it.
void Put(const std::vector<std::pair<UINT, std::string>>& formats) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  for (const auto& [format, bytes] : formats) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    SetClipboardData(format, block);
  }
  CloseClipboard();
}

// A copied picture is read as a picture file: a program's own PNG as it is, without the
// padding of its block; a bitmap (here 3 x 2 pixels, from the bottom up) encoded as PNG.
TEST(Win32Clipboard, APictureIsReadAsPngFromThePngFormatOrABitmap) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  auto put = [](UINT format, const std::string& bytes) { Put({{format, bytes}}); };
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + "....IEND\xAE\x42\x60\x82";
  put(RegisterClipboardFormatW(L"PNG"), png + std::string(12, '\0'));
  EXPECT_TRUE(clipboard->HasPicture());
  EXPECT_EQ(clipboard->ReadPicture(), png);

  BITMAPINFOHEADER header{sizeof header, 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  dib += std::string(2 * 12, '\x7F');  // two rows of 9 bytes, each padded to 12
  put(CF_DIB, dib);
  const std::optional<std::string> encoded = clipboard->ReadPicture();
  ASSERT_TRUE(encoded);
  ASSERT_GT(encoded->size(), 24u);
  EXPECT_EQ(encoded->substr(0, 8), png.substr(0, 8));
  EXPECT_EQ(encoded->substr(12, 12), std::string("IHDR\0\0\0\x03\0\0\0\x02", 12));
  // A header that claims more pixels than its block holds is no picture, nor is one whose
  // run-length encoded pixels claim more bytes than there are.
  put(CF_DIB, dib.substr(0, sizeof header + 12));
  EXPECT_EQ(clipboard->ReadPicture(), std::nullopt);
  BITMAPINFOHEADER rle{sizeof rle, 3, 2, 1, 8, BI_RLE8, 1 << 30, 0, 0, 1, 0};
  put(CF_DIB, std::string(reinterpret_cast<const char*>(&rle), sizeof rle) +
                  std::string("\0\0\0\0\0\x01", 6));
  EXPECT_EQ(clipboard->ReadPicture(), std::nullopt);
  // A block named "PNG" that is none is passed over for the bitmap beside it.
  Put({{RegisterClipboardFormatW(L"PNG"), "kein Bild"}, {CF_DIB, dib}});
  EXPECT_EQ(clipboard->ReadPicture().value_or("").substr(12, 12), encoded->substr(12, 12));
  ASSERT_TRUE(clipboard->Clear());
  EXPECT_FALSE(clipboard->HasPicture());
}

// Every usual kind of bitmap comes out as the same picture: a red pixel above a blue one,
// whichever way up its rows are stored, in 24 or 32 bits with masks, or through a palette.
TEST(Win32Clipboard, EveryKindOfBitmapKeepsItsColoursTheRightWayUp) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  const std::string red24("\0\0\xFF\0", 4), blue24("\xFF\0\0\0", 4);
  const std::string red32("\0\0\xFF\0", 4), blue32("\xFF\0\0\0", 4);
  const std::string masks("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 12);  // red, green, blue
  const std::string palette("\0\0\xFF\0\xFF\0\0\0", 8);             // red, blue
  const struct {
    const char* name;
    LONG height;
    WORD bits;
    DWORD compression, colours;
    std::string after_header;
  } cases[] = {
      {"24 bits, bottom up", 2, 24, BI_RGB, 0, blue24 + red24},
      {"24 bits, top down", -2, 24, BI_RGB, 0, red24 + blue24},
      {"32 bits with masks", 2, 32, BI_BITFIELDS, 0, masks + blue32 + red32},
      {"8 bits, palette", 2, 8, BI_RGB, 2, palette + std::string("\x01\0\0\0\0\0\0\0", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BITMAPINFOHEADER header{sizeof header, 1, c.height, 1, c.bits, c.compression, 0, 0, 0,
                            c.colours, 0};
    const std::string dib =
        std::string(reinterpret_cast<const char*>(&header), sizeof header) + c.after_header;
    Put({{CF_DIB, dib}});
    const std::optional<std::string> png = clipboard->ReadPicture();
    ASSERT_TRUE(png);
    const std::vector<std::uint32_t> pixels = DecodePicture(*png, 1, 2);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);  // BGRA: opaque red
    EXPECT_EQ(pixels[1], 0xFF0000FFu);  // opaque blue
  }
}

// Another program holds the clipboard open for `hold_ms` from a thread of its own, which has
// opened it when this returns.
std::thread HoldClipboard(DWORD hold_ms) {
  // Shared, since the thread still marks it after an open that failed.
  const auto holding = std::make_shared<std::atomic<bool>>(false);
  std::thread holder([holding, hold_ms] {
    // A window of its own: the clipboard tells holders apart by their window.
    HWND other =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (OpenClipboard(other)) {
      *holding = true;
      Sleep(hold_ms);
      CloseClipboard();
    }
    *holding = true;
    DestroyWindow(other);
  });
  while (!*holding) Sleep(1);
  return holder;
}

TEST(Win32Clipboard, WaitsBrieflyForAnotherHolderAndFailsWhenItKeepsIt) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  ASSERT_TRUE(clipboard->WriteText("alt"));
  for (const DWORD hold_ms : {60u, 1500u}) {
    std::thread holder = HoldClipboard(hold_ms);
    const bool written = clipboard->WriteText("neu");
    holder.join();
    if (hold_ms < 100) {
      EXPECT_TRUE(written) << "a short hold is waited out";
      EXPECT_EQ(clipboard->ReadText(), std::string("neu"));
    } else {
      EXPECT_FALSE(written) << "a busy clipboard is reported, not ignored";
      EXPECT_EQ(clipboard->ReadText(), std::string("neu")) << "the old content stays";
    }
  }
}

// The paste's own text is marked private; a picture comes back through its own copy (the
// system frees the one it held); what another program put there meanwhile stays. The text,
// its reading and a program's own format are followed end to end.
TEST(Win32Clipboard, APasteIsMarkedPrivateAndWhatWasThereComesBack) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  const DWORD pixels[6] = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, CreateBitmap(3, 2, 1, 32, pixels));
  CloseClipboard();
  const auto saved = clipboard->Save();
  ASSERT_TRUE(saved);

  ASSERT_TRUE(clipboard->OfferForPaste("geheim"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  for (const wchar_t* mark : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
    HANDLE data = GetClipboardData(RegisterClipboardFormatW(mark));
    ASSERT_NE(data, nullptr) << WideToUtf8(mark);
    EXPECT_EQ(*static_cast<const DWORD*>(GlobalLock(data)), 0u) << WideToUtf8(mark);
    GlobalUnlock(data);
  }
  EXPECT_TRUE(IsClipboardFormatAvailable(
      RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
  CloseClipboard();

  ASSERT_TRUE(clipboard->Restore(*saved));
  ASSERT_TRUE(OpenClipboard(nullptr));
  DWORD copied[6] = {};
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  EXPECT_TRUE(bitmap && GetBitmapBits(static_cast<HBITMAP>(bitmap), sizeof copied, copied));
  EXPECT_TRUE(std::equal(copied, copied + 6, pixels));
  EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanUploadToCloudClipboard")));
  CloseClipboard();

  // A program without Unicode takes the paste as ANSI text, which the system makes from ours.
  ASSERT_TRUE(clipboard->OfferForPaste("geheim"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE ansi = GetClipboardData(CF_TEXT);
  EXPECT_STREQ(ansi ? static_cast<const char*>(GlobalLock(ansi)) : "", "geheim");
  if (ansi) GlobalUnlock(ansi);
  CloseClipboard();
  EXPECT_TRUE(clipboard->PasteTaken());
  ASSERT_TRUE(clipboard->Restore(*saved));

  ASSERT_TRUE(clipboard->OfferForPaste("geheim"));
  ASSERT_TRUE(clipboard->WriteText("neu"));
  EXPECT_TRUE(clipboard->Restore(*saved));
  EXPECT_EQ(clipboard->ReadText(), std::string("neu"));
}

// What a reader of the clipboard finds: each format in order with the bytes of its data (of a
// bitmap its size and pixels, of a metafile its records).
std::vector<std::pair<UINT, std::string>> ClipboardSnapshot() {
  std::vector<std::pair<UINT, std::string>> seen;
  if (!OpenClipboard(nullptr)) return {{0, "busy"}};
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
    HANDLE data = GetClipboardData(f);
    std::string bytes = data ? "" : "(none)";
    if (data && f == CF_BITMAP) {
      BITMAP bm{};
      GetObjectW(data, sizeof bm, &bm);
      bytes.resize(static_cast<std::size_t>(bm.bmWidthBytes) * bm.bmHeight);
      GetBitmapBits(static_cast<HBITMAP>(data), static_cast<LONG>(bytes.size()), bytes.data());
      bytes += std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight);
    } else if (data && f == CF_ENHMETAFILE) {
      auto* metafile = static_cast<HENHMETAFILE>(data);
      bytes.resize(GetEnhMetaFileBits(metafile, 0, nullptr));
      GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()),
                         reinterpret_cast<BYTE*>(bytes.data()));
    } else if (data && f == CF_METAFILEPICT) {
      const METAFILEPICT picture = *static_cast<const METAFILEPICT*>(GlobalLock(data));
      GlobalUnlock(data);
      bytes.resize(GetMetaFileBitsEx(picture.hMF, 0, nullptr));
      GetMetaFileBitsEx(picture.hMF, static_cast<UINT>(bytes.size()), bytes.data());
      bytes += std::to_string(picture.mm) + ":" + std::to_string(picture.xExt);
    } else if (data) {
      bytes.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
      GlobalUnlock(data);
    }
    seen.push_back({f, bytes});
  }
  CloseClipboard();
  return seen;
}

void PutOnClipboard(UINT format, const void* data, std::size_t bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), data, bytes);
  GlobalUnlock(block);
  SetClipboardData(format, block);
}

// Whatever the user copied last comes back after a paste as it was, format by format, byte by
// byte, in its order, the ones the system converts from another included, and without the
// paste's marks; an empty clipboard stays empty.
TEST(Win32Clipboard, EveryKindOfContentComesBackExactlyAfterAPaste) {
  struct Dib {
    BITMAPINFOHEADER header;
    DWORD pixels[6];
  };
  const auto put_text_and_own = [] {
    const wchar_t text[] = L"Gr\u00FC\u00DFe\r\nZeile 2";
    PutOnClipboard(CF_UNICODETEXT, text, sizeof text);
    PutOnClipboard(RegisterClipboardFormatW(L"QmTestFormat"), "eigen\0es", 8);
  };
  const auto put_dib = [] {
    Dib dib{{sizeof(BITMAPINFOHEADER), 3, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
            {0x80FF0000, 0x8000FF00, 0x800000FF, 1, 2, 3}};
    PutOnClipboard(CF_DIB, &dib, sizeof dib);
  };
  const auto put_bitmap = [] {
    const DWORD pixels[6] = {1, 2, 3, 4, 5, 6};
    SetClipboardData(CF_BITMAP, CreateBitmap(3, 2, 1, 32, pixels));
  };
  const auto put_drawing = [] {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 10, 10, 200, 100);
    SetClipboardData(CF_ENHMETAFILE, CloseEnhMetaFile(dc));
  };
  const auto put_files = [] {
    const wchar_t paths[] = L"C:\\a\u00E4.txt\0C:\\b.txt\0";
    std::string drop(sizeof(DROPFILES), '\0');
    auto* files = reinterpret_cast<DROPFILES*>(drop.data());
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    drop.append(reinterpret_cast<const char*>(paths), sizeof paths);
    PutOnClipboard(CF_HDROP, drop.data(), drop.size());
    const DWORD copy_effect = DROPEFFECT_COPY;
    PutOnClipboard(RegisterClipboardFormatW(L"Preferred DropEffect"), &copy_effect, 4);
  };
  const struct {
    const char* name;
    void (*put)();
    std::size_t at_least;  // formats the content has, those the system adds included
  } contents[] = {{"leer", [] {}, 0},
                  {"Text und eigenes Format", put_text_and_own, 3},
                  {"Bild als DIB", put_dib, 3},
                  {"Bild als Bitmap", put_bitmap, 3},
                  {"Vektorbild", put_drawing, 2},
                  {"Dateiliste", put_files, 2}};
  auto clipboard = MakeWin32Clipboard(nullptr);
  for (const auto& content : contents) {
    SCOPED_TRACE(content.name);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    content.put();
    CloseClipboard();
    const auto before = ClipboardSnapshot();
    ASSERT_GE(before.size(), content.at_least);

    const auto saved = clipboard->Save();
    ASSERT_TRUE(saved);
    ASSERT_TRUE(clipboard->OfferForPaste("geheim"));
    EXPECT_FALSE(clipboard->PasteTaken());
    EXPECT_EQ(clipboard->ReadText(), std::string("geheim"));  // the target's paste
    EXPECT_TRUE(clipboard->PasteTaken());
    ASSERT_TRUE(clipboard->Restore(*saved));
    EXPECT_EQ(ClipboardSnapshot(), before);
  }
}

// A restore that finds the clipboard held by another program puts the user's content back as
// soon as it is free; a paste meanwhile keeps that content, not the paste left lying there.
TEST(Win32Clipboard, ARestoreThatFindsTheClipboardBusyPutsItBackLater) {
  auto clipboard = MakeWin32Clipboard(nullptr);
  for (const bool paste_meanwhile : {false, true}) {
    SCOPED_TRACE(paste_meanwhile);
    ASSERT_TRUE(clipboard->WriteText("alt"));
    const auto saved = clipboard->Save();
    ASSERT_TRUE(saved && clipboard->OfferForPaste("geheim"));
    std::thread holder = HoldClipboard(2500);
    EXPECT_FALSE(clipboard->Restore(*saved)) << "a busy clipboard is reported";
    holder.join();
    if (paste_meanwhile) {
      const auto again = clipboard->Save();
      ASSERT_TRUE(again && clipboard->OfferForPaste("zweites"));
      EXPECT_EQ(clipboard->ReadText(), std::string("zweites"));
      EXPECT_TRUE(clipboard->Restore(*again));
    }
    // The retries come as timer messages to this thread.
    const DWORD start = GetTickCount();
    while (clipboard->ReadText() != std::string("alt") && GetTickCount() - start < 5000) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(20);
    }
    EXPECT_EQ(clipboard->ReadText(), std::string("alt"));
  }
}

}  // namespace
}  // namespace qm
