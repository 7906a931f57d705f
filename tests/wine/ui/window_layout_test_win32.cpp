// The layout's arithmetic with the system's own: twips at every DPI, line breaks as CR LF.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/utf16_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

TEST(WindowLayout, TwipsBecomePixelsAtEveryDpiAndLinesBreakAsCrLf) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const std::vector<ControlRow> table = {
      {42, L"BUTTON", "&OK", BS_PUSHBUTTON, 1440, 720, 2880, 375}};
  UniqueFont font = CreateMessageFont(96);
  ASSERT_TRUE(font);
  CreateControls(parent, table, 96, font.get());
  HWND button = GetDlgItem(parent, 42);
  ASSERT_NE(button, nullptr);
  RECT r{};
  GetWindowRect(button, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 96);
  EXPECT_EQ(r.top, 48);
  EXPECT_EQ(r.right - r.left, 192);
  EXPECT_EQ(r.bottom - r.top, 25);
  EXPECT_EQ(SendMessageW(button, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font.get()));

  UniqueFont large = CreateMessageFont(144);
  PlaceControls(parent, table, 144, large.get());
  GetWindowRect(button, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 144);
  EXPECT_EQ(r.right - r.left, 288);
  LOGFONTW small_lf{}, large_lf{};
  GetObjectW(font.get(), sizeof small_lf, &small_lf);
  GetObjectW(large.get(), sizeof large_lf, &large_lf);
  EXPECT_NEAR(large_lf.lfHeight, small_lf.lfHeight * 1.5, 1.0) << "the font grows with the DPI";
  DestroyWindow(parent);

  const struct {
    const char* in;
    const char* out;
  } breaks[] = {{"a\rb", "a\r\nb"},         {"a\nb", "a\r\nb"},   {"a\r\nb", "a\r\nb"},
                {"a\r\r\nb", "a\r\n\r\nb"}, {"\n\r", "\r\n\r\n"}, {"", ""}};
  for (const auto& b : breaks) EXPECT_EQ(ToCrLf(b.in), b.out) << b.in;
}

}  // namespace
}  // namespace qm
