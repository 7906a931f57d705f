// Where the picker opens and how its preview shows a text.
#include "quillet/pick/picker_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

// Below the caret where it fits, else above it; never off the monitor's work area, whose
// origin may be negative (a monitor left of the primary) and whose pixels are at its DPI.
TEST(PickerLayoutTest, PlacesAtTheCaretOrMouseInsideTheWorkArea) {
  const ScreenRect work{0, 0, 1920, 1040}, left{-1280, 0, 0, 984};
  const struct {
    ScreenRect anchor, work;
    int width, height;
    ScreenRect expected;
  } cases[] = {
      {{100, 200, 102, 218}, work, 360, 320, {100, 218, 460, 538}},        // caret
      {{500, 500, 500, 500}, work, 360, 320, {500, 500, 860, 820}},        // mouse
      {{100, 900, 102, 918}, work, 360, 320, {100, 580, 460, 900}},        // above the caret
      {{1800, 900, 1800, 900}, work, 360, 320, {1560, 580, 1920, 900}},    // corner: both
      {{100, 100, 102, 118}, work, 720, 1000, {100, 40, 820, 1040}},       // 200 %: pushed up
      {{-50, 10, -48, 28}, left, 720, 640, {-720, 28, 0, 668}},            // left monitor
      {{10, 10, 12, 28}, {0, 0, 300, 200}, 360, 320, {0, 0, 360, 320}},    // larger than it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlacePicker(c.anchor, c.work, c.width, c.height), c.expected)
        << c.anchor.left << "," << c.anchor.top;
  }
}

TEST(PickerLayoutTest, PreviewMarksBreaksAndTabsAndHidesEncipheredTexts) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\\b", "a\\b"},  // a backslash is text
      {"a\r\nb\rc\nd", "a¶\r\nb¶\r\nc¶\r\nd"},
      {"x\ty", "x→\ty"},
      {"%datum%", "%datum%"},
      {"Hallo %EINGABE=Name%, %auswahl=Gruss:a|b% %optional=PS%x %mehrzeilig=Text%%/optional%",
       "Hallo [Name], [Gruss] [PS: x [Text]]"},
      {"%eingabe=offen", "%eingabe=offen"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(PreviewText(text, false), shown) << text;
  EXPECT_EQ(PreviewText("geheim", true), kEncipheredPreview);
  // Cut by characters, never inside one.
  const std::string long_text = std::string(kPreviewCharacters - 1, 'a') + "ää";
  EXPECT_EQ(PreviewText(long_text, false), std::string(kPreviewCharacters - 1, 'a') + "ä…");
  EXPECT_EQ(PreviewText(std::string(kPreviewCharacters, 'a'), false),
            std::string(kPreviewCharacters, 'a'));
}

}  // namespace
}  // namespace qm
