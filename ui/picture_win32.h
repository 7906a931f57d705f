// Pictures (JPEG, PNG, BMP, GIF) from a file or a resource, drawn to a bitmap of a given size.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_layout_win32.h"

namespace qm {

// The picture fitted into width x height pixels with its proportions kept, centred on
// `background`; a 24-bit bitmap, ready for a static control with SS_BITMAP. Empty when the
// file is missing or is no picture.
UniqueBitmap LoadPictureFile(const std::string& path, int width, int height, COLORREF background);
// The same for a picture held as an RCDATA resource of `module`.
UniqueBitmap LoadPictureResource(HMODULE module, int resource_id, int width, int height,
                                 COLORREF background);

// Puts `picture` into a static control and keeps it in `shown`, which owns what the control
// shows. The bitmap shown before is released only after the control has let go of it, and a
// copy the control made of its own is deleted. A null picture clears the control (for
// WM_DESTROY).
void SetControlPicture(HWND control, UniqueBitmap picture, UniqueBitmap& shown);

}  // namespace qm
