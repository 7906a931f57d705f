// What the main window's model asks of the window: its controls, read and written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// The enabled state of the main window's controls, as the library and the entry require.
struct ControlStates {
  bool has_entries = false;
  // "&Bearbeiten": Rückgängig / Wiederherstellen / Ausschneiden, Kopieren, Löschen /
  // Einfügen / Suchen... / Weitersuchen
  bool undo = false;
  bool redo = false;
  bool cut_copy_delete = false;
  bool paste = false;
  bool find = false;
  bool find_next = false;
  // The entry's controls: both target options, their label, the list, "&Umbenennen",
  // "&Löschen" (buttons and menu items), the editor, both check boxes, the delivery box with
  // its label, the abbreviation field with its label, its check box and its conflict line, and
  // the line naming the snippet's field problems.
  bool entry_controls = false;
  // List and editor in the system's window colour (true) or the window's background.
  bool window_colour = false;
  bool title_box = false;
};

// The delivery box's items, by index.
inline constexpr const char* kDeliveryChoiceCaptions[] = {"nach Regeln", "Tippen", "Tasten",
                                                          "Einfügen"};

class MainView {
 public:
  virtual ~MainView() = default;

  // The entry list: a sorted list whose items carry the entry number.
  virtual void ListClear() = 0;
  // Adds an item where the list sorts it; returns its position.
  virtual int ListAdd(const std::string& name) = 0;
  // Adds many items at once, each with its entry number (a whole library at load).
  virtual void ListAddAll(const std::vector<std::pair<std::string, int>>& items) = 0;
  virtual void ListSetData(int pos, int number) = 0;
  virtual int ListData(int pos) = 0;
  virtual std::string ListText(int pos) = 0;
  virtual int ListCount() = 0;
  virtual void ListRemove(int pos) = 0;
  virtual int ListSelection() = 0;  // -1: none
  // Selects without raising the list's click; the model runs its handler itself.
  virtual void ListSelect(int pos) = 0;

  // The title box: an editable box with a sorted list of known titles.
  virtual void TitleListAdd(const std::string& title) = 0;
  virtual void TitleListAddAll(const std::vector<std::string>& titles) = 0;
  virtual bool TitleListHas(const std::string& title) = 0;  // exact, case-sensitive
  virtual std::string TitleText() = 0;
  virtual void SetTitleText(const std::string& text) = 0;
  virtual void FocusTitleBox() = 0;

  // The editor. Positions and lengths count UTF-16 units; a paragraph ends in "\r".
  virtual std::string EditorText() = 0;
  virtual void ShowGlyphText(const std::string& glyph_text) = 0;
  virtual void ClearEditor() = 0;
  virtual std::size_t EditorCaret() = 0;
  virtual std::size_t EditorSelectionLength() = 0;
  virtual std::string EditorSelectedText() = 0;
  // Replaces the selection by plain text; glyphs in it keep their look.
  virtual void EditorReplaceSelection(const std::string& text) = 0;
  virtual void EditorSelect(std::size_t start, std::size_t length) = 0;
  virtual void FocusEditor() = 0;
  // The editor's own undo: whether there is a step to take back (or to do again), and taking it.
  enum class UndoStep { kUndo, kRedo };
  virtual bool EditorCanUndo(UndoStep step) = 0;
  virtual void EditorUndo(UndoStep step) = 0;

  // Formatting in the editor. An entry with a formatted version is shown as `glyph_text`
  // (the marks of its pictures included) in `rtf`, the editor's whole content.
  virtual void ShowFormattedText(const std::string& glyph_text, const std::string& rtf) = 0;
  // The editor's content as the control writes it out as RTF; empty where it can hold no
  // formatting (an entry shown plain, and no format command since), so that a plain entry
  // costs nothing.
  virtual std::string EditorRtf() = 0;
  // Bold, italic or underline on the selection, off where all of it has it already; where
  // nothing is selected, for what is typed next.
  enum class TextStyle { kBold, kItalic, kUnderline };
  virtual void EditorToggleStyle(TextStyle style) = 0;
  // Bullets or numbers for the paragraphs of the selection, off where they have them already.
  enum class ParagraphList { kBullet, kNumber };
  virtual void EditorToggleList(ParagraphList list) = 0;
  // The selection, or `text` put in where nothing is selected, as a link: underlined, in
  // `colour` (red + 256 * green + 65536 * blue). Glyphs and picture marks keep their look.
  virtual void EditorMarkLink(const std::string& text, std::uint32_t colour) = 0;
  // A picture's mark in `colour` in place of the selection.
  virtual void EditorInsertPictureMark(std::uint32_t colour) = 0;
  // The pictures' PNG or JPEG files, by the index their marks' colours carry: the editor
  // shows each in place of its mark.
  virtual void EditorSetPictures(std::vector<std::string> files) = 0;
  // Bold, italic, underline, links and lists off the selection, or off the whole text where
  // nothing is selected; glyphs and picture marks stay.
  virtual void EditorClearFormat() = 0;

  virtual bool CryptChecked() = 0;
  virtual void SetCryptChecked(bool on) = 0;
  virtual bool DosBoxChecked() = 0;
  virtual void SetDosBoxChecked(bool on) = 0;
  virtual int DestinationType() = 0;  // the selected target option, 0 or 1
  // Selects an option without raising its click.
  virtual void SetDestinationType(int index) = 0;

  // The entry's own delivery: 0 "nach Regeln", 1 "Tippen", 2 "Tasten", 3 "Einfügen".
  virtual int DeliveryChoice() = 0;
  // Selects without raising the box's change.
  virtual void SetDeliveryChoice(int index) = 0;

  // The line below the editor that names what of the snippet's fields and included entries
  // is sent as plain text instead; empty when nothing is.
  virtual void SetFieldProblemsText(const std::string& text) = 0;

  // The abbreviation field, its "expand at once" box, and the line naming its conflicts.
  virtual std::string AbbreviationText() = 0;
  virtual void SetAbbreviationText(const std::string& text) = 0;
  virtual bool AtOnceChecked() = 0;
  virtual void SetAtOnceChecked(bool on) = 0;
  virtual void SetConflictText(const std::string& text) = 0;
  virtual void FocusAbbreviation() = 0;

  virtual void ApplyControlStates(const ControlStates& states) = 0;

  // Which of the controls whose leaving stores something holds the focus.
  enum class Focus { kOther, kEditor, kCryptBox, kTitleBox };
  virtual Focus FocusedControl() = 0;
};

}  // namespace qm
