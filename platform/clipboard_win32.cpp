// The Win32 clipboard behind the platform seam: saved whole, offered for one paste, put back.
#include "platform/ui_services_win32.h"

#include <objbase.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/clipboard_picture_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

// The clipboard held open for one operation. Another program (a clipboard manager, the
// program that just copied) may hold it for a moment, so opening is tried a few times.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      if (attempt > 0) Sleep(20);
      open_ = OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_ = false;
};

// A global memory block's lock, undone on every path.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* data() const { return data_; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// How the data of a clipboard format is held, and so how it is copied and freed.
enum class DataKind { kNone, kGlobal, kBitmap, kPalette, kEnhMetafile, kMetafilePicture };

DataKind KindOf(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
      return DataKind::kBitmap;
    case CF_PALETTE:
      return DataKind::kPalette;
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
      return DataKind::kEnhMetafile;
    case CF_METAFILEPICT:
    case CF_DSPMETAFILEPICT:
      return DataKind::kMetafilePicture;
    case CF_OWNERDISPLAY:  // its owner paints it; there is no data
      return DataKind::kNone;
    default:
      break;
  }
  // Private and GDI-object formats hold handles whose meaning only their owner knows.
  if ((format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
      (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST)) {
    return DataKind::kNone;
  }
  return DataKind::kGlobal;
}

HGLOBAL CopyGlobal(HANDLE data) {
  const SIZE_T size = GlobalSize(data);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy || size == 0) return copy;
  bool copied = false;
  {
    GlobalLockScope from(data), to(copy);
    if (from.data() && to.data()) {
      std::memcpy(to.data(), from.data(), size);
      copied = true;
    }
  }
  // Freed only once unlocked: the lock's end must not touch a block that is gone.
  if (!copied) GlobalFree(copy);
  return copied ? copy : nullptr;
}

HANDLE CopyPalette(HPALETTE palette) {
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  std::vector<BYTE> buffer(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(count);
  GetPaletteEntries(palette, 0, count, logical->palPalEntry);
  return CreatePalette(logical);
}

HANDLE CopyMetafilePicture(HANDLE data) {
  HGLOBAL copy = CopyGlobal(data);
  if (!copy) return nullptr;
  bool copied = false;
  {
    GlobalLockScope lock(copy);
    auto* picture = static_cast<METAFILEPICT*>(lock.data());
    copied = picture && GlobalSize(copy) >= sizeof(METAFILEPICT) &&
             (picture->hMF = CopyMetaFileW(picture->hMF, nullptr)) != nullptr;
  }
  if (!copied) GlobalFree(copy);
  return copied ? copy : nullptr;
}

// A copy of the data of `format` that the clipboard may take over; null when it cannot be had.
HANDLE CopyData(UINT format, HANDLE data) {
  switch (KindOf(format)) {
    case DataKind::kGlobal:
      return CopyGlobal(data);
    case DataKind::kBitmap:
      return CopyImage(data, IMAGE_BITMAP, 0, 0, 0);
    case DataKind::kPalette:
      return CopyPalette(static_cast<HPALETTE>(data));
    case DataKind::kEnhMetafile:
      return CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr);
    case DataKind::kMetafilePicture:
      return CopyMetafilePicture(data);
    case DataKind::kNone:
      break;
  }
  return nullptr;
}

void FreeData(UINT format, HANDLE data) {
  switch (KindOf(format)) {
    case DataKind::kGlobal:
      GlobalFree(data);
      break;
    case DataKind::kBitmap:
    case DataKind::kPalette:
      DeleteObject(data);
      break;
    case DataKind::kEnhMetafile:
      DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
      break;
    case DataKind::kMetafilePicture: {
      {
        GlobalLockScope lock(data);
        if (auto* picture = static_cast<METAFILEPICT*>(lock.data())) DeleteMetaFile(picture->hMF);
      }
      GlobalFree(data);
      break;
    }
    case DataKind::kNone:
      break;
  }
}

// The system makes each picture format of a family from the one a program put there, and lists
// that one first. Only that one is kept: the system makes the others again after a restore,
// while saving them would have it render every conversion of a picture (for a screen-sized one,
// about a second and a half under Wine) for nothing. Text is kept in every form: a program may
// have put forms of its own beside each other, and they cost little.
int PictureFamily(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_DIB:
    case CF_DIBV5:
      return 1;
    case CF_ENHMETAFILE:
    case CF_METAFILEPICT:
      return 2;
    default:
      return 0;
  }
}

// Everything the clipboard held, each format with a copy of its data that this object owns.
class SavedClipboard : public ClipboardContents {
 public:
  struct Format {
    UINT id;
    std::wstring name;  // of a format registered by a program; empty for the system's own
    HANDLE data;
  };
  SavedClipboard() = default;
  SavedClipboard(const SavedClipboard&) = delete;
  SavedClipboard& operator=(const SavedClipboard&) = delete;
  ~SavedClipboard() override {
    for (const Format& f : formats) FreeData(f.id, f.data);
  }
  std::vector<Format> formats;  // in the clipboard's order, which readers prefer first
};

// `bytes` bytes from `data` in clipboard memory; the last of them ends the text.
HGLOBAL GlobalCopy(const void* data, std::size_t bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!memory) return nullptr;
  GlobalLockScope lock(memory);
  if (!lock.data()) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(lock.data(), data, bytes);
  return memory;
}

HGLOBAL GlobalText(const std::wstring& text) {
  return GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// A text of bytes (UTF-8 HTML, RTF) with its terminating zero.
HGLOBAL GlobalBytes(const std::string& text) { return GlobalCopy(text.c_str(), text.size() + 1); }

// Lets the messages that other programs send to our windows run (a request to render, the
// news that they emptied the clipboard) while waiting for up to `ms`.
void WaitHandlingSentMessages(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_SENDMESSAGE);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

constexpr const wchar_t* kPasteWindowClass = L"QuilletClipboardPaste";
// While a restore waits for the clipboard to be free, it is tried this often.
constexpr UINT_PTR kRestoreTimer = 1;
constexpr UINT kRestoreRetryMs = 250;
// Clipboard history, cloud clipboard and clipboard monitors pass over content marked so.
constexpr const wchar_t* kPrivateMarks[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                            L"CanIncludeInClipboardHistory",
                                            L"CanUploadToCloudClipboard"};

class Win32Clipboard : public Clipboard {
 public:
  explicit Win32Clipboard(HWND owner) : owner_(owner) {}
  ~Win32Clipboard() override {
    if (paste_window_) DestroyWindow(paste_window_);
  }
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  bool Clear() override {
    OpenClipboardScope clipboard(owner_);
    return clipboard.is_open() && EmptyClipboard();
  }

  std::optional<std::string> ReadText() override {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
    OpenClipboardScope clipboard(owner_);
    if (!clipboard.is_open()) return std::nullopt;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return std::nullopt;
    GlobalLockScope lock(data);
    if (!lock.data()) return std::nullopt;
    // Another program may have put a block without its terminating NUL there.
    const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(lock.data());
    return WideToUtf8(std::wstring_view(text, wcsnlen(text, units)));
  }

  bool HasPicture() override { return ClipboardHasPicture(); }

  std::optional<std::string> ReadPicture() override {
    std::optional<ClipboardPicture> picture;
    {
      OpenClipboardScope clipboard(owner_);
      if (clipboard.is_open()) picture = ReadOpenClipboardPicture();
    }
    return picture ? PictureFile(*picture) : std::nullopt;
  }

  bool WriteText(const std::string& text) override {
    HGLOBAL memory = GlobalText(Utf8ToWide(text));
    if (!memory) return false;
    OpenClipboardScope clipboard(owner_);
    if (!clipboard.is_open() || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
      // The clipboard took no ownership of the block.
      GlobalFree(memory);
      return false;
    }
    return true;
  }

  std::unique_ptr<ClipboardContents> Save() override {
    // Until a restore that found the clipboard busy is done, the user's content is what it
    // holds, not the paste still lying there.
    if (pending_ && paste_window_ && GetClipboardOwner() == paste_window_) return CopyOf(*pending_);
    OpenClipboardScope clipboard(owner_);
    if (!clipboard.is_open()) return nullptr;
    auto saved = std::make_unique<SavedClipboard>();
    bool family_kept[3] = {};
    for (UINT id = EnumClipboardFormats(0); id != 0; id = EnumClipboardFormats(id)) {
      const int family = PictureFamily(id);
      if (family != 0 && family_kept[family]) continue;
      // Asks the owner for what it only promised; a format it cannot render is passed over.
      HANDLE data = GetClipboardData(id);
      HANDLE copy = data ? CopyData(id, data) : nullptr;
      if (!copy) continue;
      family_kept[family] = true;
      wchar_t name[256] = {};
      if (id >= 0xC000) GetClipboardFormatNameW(id, name, 256);
      saved->formats.push_back({id, name, copy});
    }
    return saved;
  }

  bool OfferForPaste(const std::string& text, const PasteFormats& formats) override {
    if (!paste_window_ && !CreatePasteWindow()) return false;
    DropPendingRestore();  // the caller has saved it again
    offered_ = Utf8ToWide(text);
    formats_ = formats;
    taken_ = false;
    OpenClipboardScope clipboard(paste_window_);
    if (!clipboard.is_open() || !EmptyClipboard()) return false;
    // Rendered only when a program asks for it, which tells that the target has read it.
    // The formatted forms first: a program takes the first form it knows.
    if (!formats_.html.empty()) SetClipboardData(RegisterClipboardFormatW(L"HTML Format"), nullptr);
    if (!formats_.rtf.empty()) SetClipboardData(RegisterClipboardFormatW(L"Rich Text Format"), nullptr);
    SetClipboardData(CF_UNICODETEXT, nullptr);
    for (const wchar_t* mark : kPrivateMarks) {
      HGLOBAL zero = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD));
      if (zero && !SetClipboardData(RegisterClipboardFormatW(mark), zero)) GlobalFree(zero);
    }
    return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
  }

  bool PasteTaken() override { return taken_; }

  bool Restore(const ClipboardContents& saved) override {
    const auto& kept = static_cast<const SavedClipboard&>(saved);
    DropPendingRestore();
    offered_.clear();
    // The target may still be reading the paste; it lets go of the clipboard when done.
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (attempt > 0) WaitHandlingSentMessages(20);
      // What someone else put there since the offer is newer than what we kept.
      if (!paste_window_ || GetClipboardOwner() != paste_window_) return true;
      if (!OpenClipboard(paste_window_)) continue;
      const bool restored = PutBack(kept);
      CloseClipboard();
      return restored;
    }
    if (!paste_window_ || GetClipboardOwner() != paste_window_) return true;
    // Another program keeps the clipboard: it is put back as soon as it is free.
    pending_ = CopyOf(kept);
    SetTimer(paste_window_, kRestoreTimer, kRestoreRetryMs, nullptr);
    return false;
  }

 private:
  // With the clipboard open: puts `saved` back, unless someone else's content came since.
  bool PutBack(const SavedClipboard& saved) {
    if (GetClipboardOwner() != paste_window_) return true;
    if (!EmptyClipboard()) return false;
    bool restored = true;
    for (const SavedClipboard::Format& f : saved.formats) {
      HANDLE copy = CopyData(f.id, f.data);
      const UINT id = f.name.empty() ? f.id : RegisterClipboardFormatW(f.name.c_str());
      if (!copy || !SetClipboardData(id, copy)) {
        if (copy) FreeData(f.id, copy);
        restored = false;
      }
    }
    return restored;
  }

  static std::unique_ptr<SavedClipboard> CopyOf(const SavedClipboard& saved) {
    auto copy = std::make_unique<SavedClipboard>();
    for (const SavedClipboard::Format& f : saved.formats) {
      if (HANDLE data = CopyData(f.id, f.data)) copy->formats.push_back({f.id, f.name, data});
    }
    return copy;
  }

  void RetryPendingRestore() {
    if (pending_ && GetClipboardOwner() == paste_window_) {
      if (!OpenClipboard(paste_window_)) return;  // still busy; the next tick tries again
      PutBack(*pending_);
      CloseClipboard();
    }
    DropPendingRestore();
  }

  void DropPendingRestore() {
    if (pending_) KillTimer(paste_window_, kRestoreTimer);
    pending_.reset();
  }

  bool CreatePasteWindow() {
    WNDCLASSW paste{};
    paste.lpfnWndProc = &PasteWindowProc;
    paste.hInstance = GetModuleHandleW(nullptr);
    paste.lpszClassName = kPasteWindowClass;
    RegisterClassW(&paste);  // a second clipboard finds it registered
    paste_window_ = CreateWindowExW(0, kPasteWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, paste.hInstance, nullptr);
    if (!paste_window_) return false;
    SetWindowLongPtrW(paste_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
  }

  static LRESULT CALLBACK PasteWindowProc(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
    auto* self = reinterpret_cast<Win32Clipboard*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_RENDERFORMAT && self) {
      // The reader holds the clipboard open; the data goes straight in.
      const UINT format = static_cast<UINT>(wparam);
      HGLOBAL memory = nullptr;
      if (format == CF_UNICODETEXT) {
        memory = GlobalText(self->offered_);
      } else if (format == RegisterClipboardFormatW(L"HTML Format")) {
        memory = GlobalBytes(self->formats_.html);
      } else if (format == RegisterClipboardFormatW(L"Rich Text Format")) {
        memory = GlobalBytes(self->formats_.rtf);
      }
      const bool given = memory && SetClipboardData(format, memory);
      if (memory && !given) GlobalFree(memory);
      // A reader that got nothing has pasted nothing.
      self->taken_ = self->taken_ || given;
      return 0;
    }
    if (message == WM_TIMER && wparam == kRestoreTimer && self) {
      self->RetryPendingRestore();
      return 0;
    }
    // A promise still open when the window goes is dropped, not kept: the text is private.
    if (message == WM_RENDERALLFORMATS) return 0;
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND owner_;
  HWND paste_window_ = nullptr;  // owns the clipboard while a paste is offered
  std::wstring offered_;
  PasteFormats formats_;
  bool taken_ = false;
  // What a restore that found the clipboard busy still has to put back.
  std::unique_ptr<SavedClipboard> pending_;
};

}  // namespace

std::unique_ptr<Clipboard> MakeWin32Clipboard(HWND owner) {
  return std::make_unique<Win32Clipboard>(owner);
}

}  // namespace qm
