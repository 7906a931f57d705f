// The snippet menu as a real popup menu, opened at the mouse position.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "quillet/menu/popup_menu.h"

namespace qm {

// Opens `menu` at `at` (screen pixels) for `owner`, which must be the foreground window for
// the menu to close when the user clicks elsewhere. Returns the chosen item's tag, or nullopt
// when the menu was closed without a choice. Keyboard-navigable, "&Öffnen" drawn in bold.
// The tree as a popup menu with its submenus, which the caller destroys (DestroyMenu takes
// the submenus along). Command ids are positions in `tags` plus one; `tags` receives the tag
// of every command in that order. Null when the system has no menu left to give.
HMENU CreateSnippetMenu(const PopupMenu& menu, std::vector<std::string>& tags);

std::optional<std::string> TrackSnippetMenu(HWND owner, const PopupMenu& menu, POINT at);

}  // namespace qm
