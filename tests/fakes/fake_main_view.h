// The main window as plain data, with a record of where the model put the focus and how often
// it showed an entry in the editor.
#pragma once

#include <string>

#include "quillet/main/held_main_view.h"

namespace qm {

class FakeMainView : public HeldMainView {
 public:
  void FocusTitleBox() override { focus = Focus::kTitleBox; }
  void ShowGlyphText(const std::string& glyph_text) override {
    HeldMainView::ShowGlyphText(glyph_text);
    ++shown;
  }
  void FocusEditor() override { focus = Focus::kEditor; }
  void FocusAbbreviation() override { abbreviation_focused = true; }
  Focus FocusedControl() override { return focus; }

  bool abbreviation_focused = false;
  Focus focus = Focus::kOther;
  int shown = 0;
};

}  // namespace qm
