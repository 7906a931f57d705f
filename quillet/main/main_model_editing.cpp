// The main window's commands: the edit menu, find, and new, rename and delete of entries.
#include <string>

#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "quillet/main/main_model.h"
#include "store/stored_text.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {

void MainModel::OnEditCommand(QuilletCommand command) {
  const Busy busy(*this);
  switch (command) {
    case QuilletCommand::kEditCut:
    case QuilletCommand::kEditCopy:
      if (view_.EditorSelectionLength() == 0) return;
      // Cut text leaves the editor only once the clipboard holds it. The clipboard carries
      // plain text: a picture's mark, which stands for nothing there, stays behind.
      if (!s_.clipboard.WriteText(WithoutPictureMarks(view_.EditorSelectedText()))) {
        Ask("Der markierte Text konnte nicht in die Zwischenablage gelegt werden; vermutlich "
            "wird sie gerade von einem anderen Programm benutzt.",
            MessageIcon::kExclamation, MessageButtons::kOk);
        return;
      }
      if (command == QuilletCommand::kEditCut) view_.EditorReplaceSelection("");
      break;
    case QuilletCommand::kEditUndo:
    case QuilletCommand::kEditRedo:
      view_.EditorUndo(command == QuilletCommand::kEditUndo ? MainView::UndoStep::kUndo
                                                            : MainView::UndoStep::kRedo);
      break;
    case QuilletCommand::kEditPaste: {
      const std::string text = s_.clipboard.ReadText().value_or("");
      // A copied picture (a screenshot, an image from a browser) comes in as a picture; where
      // the clipboard also holds text (a table's cells, say), the text is what was meant.
      if (text.empty()) {
        // Nothing to paste (the clipboard is empty or busy) leaves the selection as it is.
        if (CurrentEntryNumber() > 0 && s_.clipboard.HasPicture()) {
          InsertPictureBytes(s_.clipboard.ReadPicture(), "");
        }
        break;
      }
      view_.EditorReplaceSelection(PastedTextToEditorText(text));
      break;
    }
    case QuilletCommand::kEditDelete:
      view_.EditorReplaceSelection("");
      break;
    case QuilletCommand::kEditFind: {
      const std::optional<std::string> answer =
          s_.dialogs.AskText("Suchen nach:", MessageTitle(), last_search_text_);
      last_search_text_ = answer.value_or("");
      if (!last_search_text_.empty()) FindNext();
      break;
    }
    case QuilletCommand::kEditFindNext:
      FindNext();
      break;
    default:
      break;
  }
}

void MainModel::FindNext() {
  const std::size_t start = view_.EditorCaret() + view_.EditorSelectionLength();
  const std::optional<std::size_t> at =
      FindInEditorText(view_.EditorText(), last_search_text_, start);
  if (!at) {
    Ask("Die Suche ist am Ende des Textes angekommen.", MessageIcon::kInformation,
        MessageButtons::kOk);
    return;
  }
  view_.EditorSelect(*at, Utf16Length(last_search_text_));
  view_.FocusEditor();
}

std::string MainModel::AskName(const std::string& prompt, const std::string& title,
                               const std::string& initial, int skip_pos) {
  const Quiet quiet(*this, true);  // while the input box is open, as with a message box
  for (;;) {
    const std::string name = TrimBlanks(s_.dialogs.AskText(prompt, title, initial).value_or(""));
    if (name.empty()) return {};
    const std::string upper = FoldCase(name);
    bool duplicate = false;
    for (int i = 0; i < view_.ListCount() && !duplicate; ++i) {
      duplicate = i != skip_pos && FoldCase(view_.ListText(i)) == upper;
    }
    if (!duplicate) return name;
    const MessageAnswer answer = Ask("Es gibt bereits einen Eintrag mit dem Namen \r'" + name +
                                         "'.\r\rMöchten Sie ihn dennoch verwenden?",
                                     MessageIcon::kQuestion, MessageButtons::kYesNoDefaultNo);
    if (answer == MessageAnswer::kYes) return name;
  }
}

void MainModel::NewEntry() {
  const Busy busy(*this);
  const std::string name = AskName("Bitte geben Sie einen Namen für den neuen Eintrag an:",
                                   "Quillet - Neuen Eintrag erstellen", "", -1);
  if (name.empty() || !EnsureStorable({name})) return;
  // The number is counted in the file under its lock: a list that is out of date, or
  // another program adding at the same moment, cannot make two entries share one.
  int number = 0;
  if (!Write([&] { return s_.entries.AppendEntry({name, "", "", 1, 0}, data_file_, &number); })) {
    return;
  }
  const int pos = AddListItem(name);
  view_.ListSetData(pos, number);
  view_.ListSelect(pos);
  OnListClick();
  UpdateControlStates();
  view_.FocusEditor();
}

void MainModel::RenameEntry() {
  const Busy busy(*this);
  const int pos = view_.ListSelection();
  if (pos < 0) return;
  const EntryKey key = KeyAt(pos);
  const std::string& old_name = key.name;
  const std::string name =
      AskName("Bitte geben Sie einen neuen Namen für den Eintrag ''" + old_name + "'' an:",
              "Quillet - Eintrag umbenennen", old_name, pos);
  if (name.empty() || !EnsureStorable({name})) return;
  int number = 0;
  if (!StoreFields(pos, key, WindowEntry(pos, name), {{"Name", TextFieldValue(name)}}, &number)) {
    return;
  }
  const bool editing_it = current_index_ == pos;
  RemoveListItem(pos);
  const int new_pos = AddListItem(name);
  if (editing_it) current_index_ = new_pos;
  view_.ListSetData(new_pos, number);
  view_.ListSelect(new_pos);
  OnListClick();
}

void MainModel::DeleteEntry() {
  const Busy busy(*this);
  const int pos = view_.ListSelection();
  if (pos < 0) return;
  const EntryKey key = KeyAt(pos);
  const MessageAnswer answer = Ask("Wollen Sie den Eintrag '" + key.name + "'\rwirklich löschen?",
                                   MessageIcon::kQuestion, MessageButtons::kYesNo);
  if (answer != MessageAnswer::kYes) return;
  // The highest-numbered entry of the file moves into the gap and its number is blanked, in
  // one update under the file's lock: counted in the file, so that an entry the list does not
  // show yet cannot end up behind the gap, and so that the numbers stay 1..N even if the
  // program dies halfway. The entry is found there by its number and name: where it has
  // moved, it is deleted under its new number.
  EntryLocation where;
  int highest = 0;
  if (!Write([&] { return s_.entries.RemoveEntry(key, data_file_, &where, &highest); })) {
    return;
  }
  if (where.number == 0) {
    Ask("Der Eintrag \xE2\x80\x9E" + key.name +
            "\xE2\x80\x9C ist in der Datendatei nicht mehr zu finden; ein anderes Programm hat "
            "sie geändert. Es wurde nichts gelöscht.",
        MessageIcon::kExclamation, MessageButtons::kOk);
    // Where entries of that name remain, the list keeps showing the name.
    if (where.place == EntryPlace::kUnclear) return;
  }
  for (int i = 0; where.number > 0 && i < view_.ListCount(); ++i) {
    if (i != pos && view_.ListData(i) == highest) view_.ListSetData(i, where.number);
  }
  view_.ListRemove(pos);
  current_index_ = -1;
  saved_crypt_ = -1;
  UpdateControlStates();
}

}  // namespace qm
