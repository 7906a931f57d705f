// The main window as plain data: a sorted list with item data, the title box, an editor that
// holds text and a selection, and a record of the control states last applied.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "quillet/main/glyph_text.h"
#include "quillet/main/main_view.h"
#include "text/utf.h"

namespace qm {

class FakeMainView : public MainView {
 public:
  struct Item {
    std::string text;
    int data = 0;
  };

  void ListClear() override {
    items.clear();
    selection = -1;
  }
  int ListAdd(const std::string& name) override {
    // Sorted without regard to case; an equal name goes behind the ones already there.
    const std::string key = FoldCase(name);
    const auto at = std::find_if(items.begin(), items.end(),
                                 [&](const Item& i) { return FoldCase(i.text) > key; });
    const int pos = static_cast<int>(at - items.begin());
    items.insert(at, {name, 0});
    if (selection >= pos) ++selection;
    return pos;
  }
  void ListAddAll(const std::vector<std::pair<std::string, int>>& all) override {
    for (const auto& [name, number] : all) ListSetData(ListAdd(name), number);
  }
  void ListSetData(int pos, int number) override { items.at(Index(pos)).data = number; }
  int ListData(int pos) override { return items.at(Index(pos)).data; }
  std::string ListText(int pos) override { return items.at(Index(pos)).text; }
  int ListCount() override { return static_cast<int>(items.size()); }
  void ListRemove(int pos) override {
    items.erase(items.begin() + pos);
    if (selection == pos) {
      selection = -1;
    } else if (selection > pos) {
      --selection;
    }
  }
  int ListSelection() override { return selection; }
  void ListSelect(int pos) override { selection = pos; }

  void TitleListAdd(const std::string& title) override { titles.push_back(title); }
  void TitleListAddAll(const std::vector<std::string>& all) override {
    for (const std::string& t : all) {
      if (!TitleListHas(t)) titles.push_back(t);
    }
  }
  bool TitleListHas(const std::string& title) override {
    return std::find(titles.begin(), titles.end(), title) != titles.end();
  }
  std::string TitleText() override { return title_text; }
  void SetTitleText(const std::string& text) override { title_text = text; }
  void FocusTitleBox() override { focus = Focus::kTitleBox; }

  std::string EditorText() override { return editor; }
  void ShowGlyphText(const std::string& glyph_text) override {
    // A glyph is followed by the paragraph end of the rich edit control.
    editor.clear();
    for (const DisplayRun& run : DisplayRuns(glyph_text)) {
      editor += run.text;
      if (run.kind != RunKind::kText) editor += "\r";
    }
    ++shown;
  }
  void ClearEditor() override { editor.clear(); }
  std::size_t EditorCaret() override { return caret; }
  std::size_t EditorSelectionLength() override { return selection_length; }
  std::string EditorSelectedText() override {
    const std::size_t from = Utf8Offset(editor, caret);
    return editor.substr(from, Utf8Offset(editor, caret + selection_length) - from);
  }
  void EditorReplaceSelection(const std::string& text) override {
    const std::size_t from = Utf8Offset(editor, caret);
    editor.replace(from, Utf8Offset(editor, caret + selection_length) - from, text);
    caret += Utf16Length(text);
    selection_length = 0;
  }
  void EditorSelect(std::size_t start, std::size_t length) override {
    caret = start;
    selection_length = length;
  }
  void FocusEditor() override { focus = Focus::kEditor; }

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
  void FocusAbbreviation() override { abbreviation_focused = true; }
  void ApplyControlStates(const ControlStates& s) override { states = s; }
  Focus FocusedControl() override { return focus; }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Item& i : items) names.push_back(i.text);
    return names;
  }

  std::vector<Item> items;
  int selection = -1;
  std::vector<std::string> titles;
  std::string title_text;
  std::string editor;
  std::size_t caret = 0, selection_length = 0;
  bool crypt = false, dosbox = false;
  int delivery = 0;
  int destination = 0;
  std::string abbreviation, conflicts;
  bool at_once = false, abbreviation_focused = false;
  ControlStates states;
  Focus focus = Focus::kOther;
  int shown = 0;

 private:
  static std::size_t Index(int pos) { return static_cast<std::size_t>(pos); }
  // The byte offset of a position that, like the control's, counts UTF-16 units.
  static std::size_t Utf8Offset(std::string_view utf8, std::size_t utf16_units) {
    std::size_t pos = 0, units = 0;
    while (pos < utf8.size() && units < utf16_units) {
      units += NextCodePoint(utf8, pos) >= 0x10000 ? 2 : 1;
    }
    return pos;
  }
};

}  // namespace qm
