// The main window's controls and menu bar as tables, and where each control goes in twips.
#pragma once

#include <windows.h>

#include <vector>

#include "quillet/main/main_resize.h"

namespace qm {

// Containers: each control's position is relative to one of them.
enum MainGroup {
  kWindow = -1,
  kListFrameG,
  kTextFrameG,
  kControlFrameG,
  kContainer1G,
  kContainer2G
};

struct MainControl {
  int id;
  const wchar_t* window_class;
  const char* text;
  DWORD style;
  DWORD ex_style;
  MainGroup group;
  int scaled;  // index into the scaled objects, or -1
  Rect rect;   // twips, relative to the group (scaled ones: the design geometry)
};

// Creation order is the tab order.
const std::vector<MainControl>& MainControls();
// A control's rectangle in the window's client area, in twips, with the scaled objects where
// they are now.
Rect MainControlTwips(const MainControl& c, const LayoutRects& scaled);
// The menu bar; its items have their QuilletCommand as their id.
HMENU CreateMainMenuBar();

}  // namespace qm
