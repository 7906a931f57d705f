// The global hotkey through RegisterHotKey: WM_HOTKEY with `id` reaches `window`.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/global_hotkey.h"

namespace qm {

std::unique_ptr<GlobalHotkey> MakeWin32GlobalHotkey(HWND window, int id);

}  // namespace qm
