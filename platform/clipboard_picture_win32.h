// A picture on the Win32 clipboard, for a paste into the snippet editor.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qm {

// Whether the clipboard holds a picture this can read: PNG, JPEG or a bitmap.
bool ClipboardHasPicture();

// What the clipboard holds as a picture: a PNG or JPEG file, or a packed bitmap still to be
// encoded (which is done with the clipboard closed again, so that it is not held meanwhile).
struct ClipboardPicture {
  std::string bytes;
  bool bitmap = false;
};
// The clipboard's picture; nullopt where there is none. The caller holds the clipboard open.
std::optional<ClipboardPicture> ReadOpenClipboardPicture();
// The picture as PNG or JPEG file bytes, a bitmap encoded as PNG; nullopt where it cannot be
// (a bitmap that is damaged, of an unusual kind or over 16 million pixels).
std::optional<std::string> PictureFile(const ClipboardPicture& picture);

}  // namespace qm
