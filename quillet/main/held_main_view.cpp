// The main window's controls as plain data, until the window makes them.
#include "quillet/main/held_main_view.h"

#include <algorithm>

#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "text/utf.h"

namespace qm {
namespace {

// The byte offset of a position that, like the control's, counts UTF-16 units.
std::size_t Utf8Offset(std::string_view utf8, std::size_t utf16_units) {
  std::size_t pos = 0, units = 0;
  while (pos < utf8.size() && units < utf16_units) {
    units += NextCodePoint(utf8, pos) >= 0x10000 ? 2 : 1;
  }
  return pos;
}

}  // namespace

HeldMainView::HeldMainView(SortKey sort_key) : sort_key_(std::move(sort_key)) {
  if (!sort_key_) sort_key_ = [](const std::string& text) { return FoldCase(text); };
}

void HeldMainView::ListClear() {
  items.clear();
  selection = -1;
}

int HeldMainView::ListAdd(const std::string& name) {
  std::string key = sort_key_(name);
  const auto at = std::upper_bound(items.begin(), items.end(), key,
                                   [](const std::string& k, const Item& i) { return k < i.key; });
  const int pos = static_cast<int>(at - items.begin());
  items.insert(at, {name, 0, std::move(key)});
  if (selection >= pos) ++selection;
  return pos;
}

void HeldMainView::ListAddAll(const std::vector<std::pair<std::string, int>>& all) {
  items.reserve(items.size() + all.size());
  for (const auto& [name, number] : all) ListSetData(ListAdd(name), number);
}

void HeldMainView::ListRemove(int pos) {
  if (!Has(pos)) return;
  items.erase(items.begin() + pos);
  if (selection == pos) {
    selection = -1;
  } else if (selection > pos) {
    --selection;
  }
}

void HeldMainView::TitleListAddAll(const std::vector<std::string>& all) {
  for (const std::string& t : all) {
    if (!TitleListHas(t)) titles.push_back(t);
  }
}

bool HeldMainView::TitleListHas(const std::string& title) {
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

void HeldMainView::ShowGlyphText(const std::string& glyph_text) {
  editor.clear();
  rtf.clear();
  for (const DisplayRun& run : DisplayRuns(glyph_text)) {
    editor += run.text;
    if (run.kind != RunKind::kText) editor += "\r";
  }
}

void HeldMainView::ShowFormattedText(const std::string& glyph_text, const std::string& rtf_text) {
  ShowGlyphText(glyph_text);
  rtf = rtf_text;
}

void HeldMainView::EditorMarkLink(const std::string& text, std::uint32_t) {
  if (!text.empty()) EditorReplaceSelection(text);
}

void HeldMainView::EditorInsertPictureMark(std::uint32_t) {
  EditorReplaceSelection(kPictureMarkUtf8);
}

void HeldMainView::ClearEditor() {
  editor.clear();
}

std::string HeldMainView::EditorSelectedText() {
  const std::size_t from = Utf8Offset(editor, caret);
  return editor.substr(from, Utf8Offset(editor, caret + selection_length) - from);
}

void HeldMainView::EditorReplaceSelection(const std::string& text) {
  const std::size_t from = Utf8Offset(editor, caret);
  editor.replace(from, Utf8Offset(editor, caret + selection_length) - from, text);
  caret += Utf16Length(text);
  selection_length = 0;
}

void HeldMainView::EditorSelect(std::size_t start, std::size_t length) {
  caret = start;
  selection_length = length;
}

void HeldMainView::ApplyControlStates(const ControlStates& s) {
  states = s;
  states_applied = true;
}

std::vector<std::string> HeldMainView::Names() const {
  std::vector<std::string> names;
  names.reserve(items.size());
  for (const Item& i : items) names.push_back(i.text);
  return names;
}

}  // namespace qm
