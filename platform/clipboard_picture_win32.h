// A picture on the Win32 clipboard, for a paste into the snippet editor.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qm {

// Whether the clipboard holds a picture this can read: PNG, JPEG or a bitmap.
bool ClipboardHasPicture();
// The clipboard's picture as PNG or JPEG file bytes; nullopt where there is none, or it
// cannot be read or encoded. The caller holds the clipboard open.
std::optional<std::string> ReadOpenClipboardPicture();

}  // namespace qm
