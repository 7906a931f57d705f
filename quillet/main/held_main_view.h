// The main window's controls as plain data, for a window whose controls do not exist yet: the
// program starts in the notification area and makes them only when the window is first shown.
// Until then the model fills and reads this, and the window hands it to the controls it makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "quillet/main/main_view.h"

namespace qm {

class HeldMainView : public MainView {
 public:
  struct Item {
    std::string text;
    int data = 0;
    std::string key;  // what the list sorts by
  };
  // The key a sorted list compares by, byte by byte: the window's list gives its own, so
  // that the items stand in the order the control will show them. By default, the text
  // with its letter case folded.
  using SortKey = std::function<std::string(const std::string& text)>;
  explicit HeldMainView(SortKey sort_key = nullptr);

  void ListClear() override;
  // Sorted; an item equal to some already there goes behind them.
  int ListAdd(const std::string& name) override;
  void ListAddAll(const std::vector<std::pair<std::string, int>>& all) override;
  // A position beyond the list is answered as the list box does: nothing changes, -1, "".
  void ListSetData(int pos, int number) override {
    if (Has(pos)) items[Index(pos)].data = number;
  }
  int ListData(int pos) override { return Has(pos) ? items[Index(pos)].data : -1; }
  std::string ListText(int pos) override { return Has(pos) ? items[Index(pos)].text : ""; }
  int ListCount() override { return static_cast<int>(items.size()); }
  void ListRemove(int pos) override;
  int ListSelection() override { return selection; }
  void ListSelect(int pos) override { selection = pos; }

  void TitleListAdd(const std::string& title) override { titles.push_back(title); }
  void TitleListAddAll(const std::vector<std::string>& all) override;
  bool TitleListHas(const std::string& title) override;
  std::string TitleText() override { return title_text; }
  void SetTitleText(const std::string& text) override { title_text = text; }
  void FocusTitleBox() override {}

  // An editor of plain text whose glyphs are each followed by a paragraph end, as in the
  // rich edit control; positions count UTF-16 units.
  std::string EditorText() override { return editor; }
  void ShowGlyphText(const std::string& glyph_text) override;
  void ClearEditor() override;
  std::size_t EditorCaret() override { return caret; }
  std::size_t EditorSelectionLength() override { return selection_length; }
  std::string EditorSelectedText() override;
  void EditorReplaceSelection(const std::string& text) override;
  void EditorSelect(std::size_t start, std::size_t length) override;
  void FocusEditor() override {}
  void EditorSetPictures(std::vector<std::string>) override {}
  // Nothing was edited in an editor no one has seen.
  bool EditorCanUndo(UndoStep) override { return false; }
  void EditorUndo(UndoStep) override {}
  // The RTF is kept as given and handed back; the format commands change nothing but the
  // text they put in.
  void ShowFormattedText(const std::string& glyph_text, const std::string& rtf_text) override;
  std::string EditorRtf() override { return rtf; }
  void EditorToggleStyle(TextStyle) override {}
  void EditorToggleList(ParagraphList) override {}
  void EditorMarkLink(const std::string& text, std::uint32_t) override;
  void EditorInsertPictureMark(std::uint32_t) override;
  void EditorClearFormat() override {}
  void SetFieldProblemsText(const std::string& text) override { field_problems = text; }

  bool CryptChecked() override { return crypt; }
  void SetCryptChecked(bool on) override { crypt = on; }
  bool DosBoxChecked() override { return dosbox; }
  void SetDosBoxChecked(bool on) override { dosbox = on; }
  int DeliveryChoice() override { return delivery; }
  void SetDeliveryChoice(int index) override { delivery = index; }
  int DestinationType() override { return destination; }
  void SetDestinationType(int index) override { destination = index; }
  std::string AbbreviationText() override { return abbreviation; }
  void SetAbbreviationText(const std::string& text) override { abbreviation = text; }
  bool AtOnceChecked() override { return at_once; }
  void SetAtOnceChecked(bool on) override { at_once = on; }
  void SetConflictText(const std::string& text) override { conflicts = text; }
  void FocusAbbreviation() override {}
  void ApplyControlStates(const ControlStates& s) override;
  Focus FocusedControl() override { return Focus::kOther; }

  std::vector<std::string> Names() const;

  std::vector<Item> items;
  int selection = -1;
  std::vector<std::string> titles;  // in the order they came
  std::string title_text;
  std::string editor;
  std::string rtf;  // empty: shown plain
  std::size_t caret = 0, selection_length = 0;
  std::string field_problems;
  bool crypt = false, dosbox = false;
  int delivery = 0;
  int destination = 0;
  std::string abbreviation, conflicts;
  bool at_once = false;
  ControlStates states;
  bool states_applied = false;

 private:
  static std::size_t Index(int pos) { return static_cast<std::size_t>(pos); }
  bool Has(int pos) const { return pos >= 0 && Index(pos) < items.size(); }
  SortKey sort_key_;
};

}  // namespace qm
