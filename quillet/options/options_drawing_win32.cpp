// What the Options dialog draws itself.
#include "quillet/options/options_drawing_win32.h"

#include <algorithm>

#include "quillet/menu/edge_strip.h"
#include "quillet/options/options_form_table_win32.h"
#include "quillet/options/options_form_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

COLORREF Rgb(std::int32_t colour) {
  return static_cast<COLORREF>(PlainColour(
      colour, [](int index) { return static_cast<std::uint32_t>(GetSysColor(index)); }));
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void Frame(HDC dc, RECT r, COLORREF colour, int thickness) {
  UniqueBrush brush(CreateSolidBrush(colour));
  for (int i = 0; i < thickness && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
    FrameRect(dc, &r, brush.get());
    InflateRect(&r, -1, -1);
  }
}

// A monitor: a dark case whose face is where the edge bars lie, on a stand.
void DrawScreen(HDC dc, const RECT& r, int dpi) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  auto x = [&](int twips) { return r.left + MulDiv(twips, width, kScreenPictureTwips.cx); };
  auto y = [&](int twips) { return r.top + MulDiv(twips, height, kScreenPictureTwips.cy); };
  Fill(dc, r, GetSysColor(COLOR_BTNFACE));
  const RECT foot{x(780), y(2430), x(2040), y(2580)};
  const RECT neck{x(1230), y(2220), x(1590), y(2440)};
  Fill(dc, foot, RGB(96, 96, 96));
  Fill(dc, neck, RGB(128, 128, 128));
  const RECT case_rect{x(0), y(0), x(2820), y(2235)};
  UniqueBrush case_brush(CreateSolidBrush(RGB(64, 64, 64)));
  SelectedObject brush(dc, case_brush.get());
  SelectedObject pen(dc, GetStockObject(NULL_PEN));
  const int round = std::max(2, TwipsToPixels(90, dpi));
  RoundRect(dc, case_rect.left, case_rect.top, case_rect.right + 1, case_rect.bottom + 1, round,
            round);
  const RECT face{x(120), y(120), x(2715), y(2115)};
  Fill(dc, face, RGB(58, 110, 165));
  // A window on the desktop, so that the face reads as a screen.
  const RECT window{x(900), y(600), x(1950), y(1500)};
  Fill(dc, window, RGB(240, 240, 240));
  Fill(dc, RECT{window.left, window.top, window.right, window.top + TwipsToPixels(150, dpi)},
       RGB(0, 84, 166));
}

}  // namespace

void DrawOptionsItem(const DRAWITEMSTRUCT& item, std::int32_t colour, int edge, int dpi) {
  const HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const int id = static_cast<int>(item.CtlID);
  const int one = std::max(1, TwipsToPixels(15, dpi));  // a pixel at 96 DPI
  if (id >= kEdgeBase && id < kEdgeBase + 4) {
    // In the strip's colour; the chosen edge framed black and white, which shows on every
    // colour, the others in a thin grey frame.
    Fill(dc, r, Rgb(colour));
    if (id - kEdgeBase == edge) {
      Frame(dc, r, RGB(0, 0, 0), one);
      RECT inner = r;
      InflateRect(&inner, -one, -one);
      Frame(dc, inner, RGB(255, 255, 255), one);
    } else {
      Frame(dc, r, GetSysColor(COLOR_BTNSHADOW), one);
    }
    if (item.itemState & ODS_FOCUS) {
      RECT focus = r;
      SetTextColor(dc, RGB(0, 0, 0));
      SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &focus);
    }
  } else if (id == kColourSample) {
    Fill(dc, r, Rgb(colour));
    Frame(dc, r, GetSysColor(COLOR_WINDOWTEXT), one);
  } else if (id == kRedCircle) {
    Fill(dc, r, RGB(255, 0, 0));  // the window's region makes this a ring
  } else if (id == kScreenPicture) {
    DrawScreen(dc, r, dpi);
  }
}

}  // namespace qm
