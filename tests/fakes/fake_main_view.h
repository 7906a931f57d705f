// The main window as plain data, with a record of where the model put the focus, how often
// it showed an entry in the editor and which format commands it gave the editor.
#pragma once

#include <string>
#include <vector>

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
  void EditorToggleStyle(TextStyle style) override {
    const char* names[] = {"bold", "italic", "underline"};
    formatting.push_back(names[static_cast<int>(style)]);
  }
  void EditorToggleList(ParagraphList list) override {
    formatting.push_back(list == ParagraphList::kBullet ? "bullets" : "numbers");
  }
  void EditorMarkLink(const std::string& text, std::uint32_t colour) override {
    HeldMainView::EditorMarkLink(text, colour);
    formatting.push_back("link " + std::to_string(colour));
  }
  void EditorInsertPictureMark(std::uint32_t colour) override {
    HeldMainView::EditorInsertPictureMark(colour);
    formatting.push_back("picture " + std::to_string(colour));
  }
  void EditorClearFormat() override { formatting.push_back("clear"); }

  bool abbreviation_focused = false;
  Focus focus = Focus::kOther;
  int shown = 0;
  std::vector<std::string> formatting;
};

}  // namespace qm
