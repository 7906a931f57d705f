// The main window's decisions, against the MainView of the real window or of a test.
#include "quillet/main/main_model.h"

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "quillet/main/glyph_text.h"
#include "quillet/send/delivery_rules.h"
#include "quillet/send/entry_lookup.h"
#include "quillet/send/snippet_fields.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/text_lists.h"

namespace qm {
namespace {

// The delivery box's items as the file stores them.
constexpr const char* kDeliveryChoices[] = {"", "Tippen", "Tasten", "Einfügen"};

int DeliveryChoiceOf(std::string_view value) {
  switch (ParseDelivery(value).value_or(Delivery::kConsole)) {
    case Delivery::kType:
      return 1;
    case Delivery::kKeys:
      return 2;
    case Delivery::kPaste:
      return 3;
    default:
      return 0;  // by the rules, or a value the box does not offer
  }
}

}  // namespace

MainModel::MainModel(const MainServices& services, MainView& view, const std::string& data_file)
    : s_(services), view_(view), data_file_(data_file) {}

bool MainModel::LoadEntryList() {
  // One look at the file for the whole list: consistent even while another program writes.
  const std::shared_ptr<const IniDocument> doc = s_.ini.Snapshot(data_file_);
  if (!doc && s_.ini.LastReach() != FileReach::kMissing) return false;
  view_.ListClear();
  std::vector<std::pair<std::string, int>> items;
  std::vector<std::string> titles;
  if (doc) {
    for (int i = 1;; ++i) {
      const std::string key = std::to_string(i);
      std::string name = doc->Find("Name", key).value_or("");
      if (name.empty()) break;
      items.emplace_back(std::move(name), i);
      std::string title = TrimBlanks(doc->Find("Title", key).value_or(""));
      if (!title.empty()) titles.push_back(std::move(title));
    }
  }
  view_.ListAddAll(items);
  view_.TitleListAddAll(titles);
  ReadAbbreviationsOf(doc);
  current_index_ = -1;
  NoteFileState();
  return true;
}

void MainModel::UpdateControlStates() {
  ControlStates st;
  st.has_entries = view_.ListCount() > 0;
  if (st.has_entries) {
    st.undo = view_.EditorCanUndo(MainView::UndoStep::kUndo);
    st.redo = view_.EditorCanUndo(MainView::UndoStep::kRedo);
    st.cut_copy_delete = view_.EditorSelectionLength() > 0;
    const std::optional<std::string> clip = s_.clipboard.ReadText();
    st.paste = (clip && !clip->empty()) || s_.clipboard.HasPicture();
    st.find = true;
    st.find_next = !last_search_text_.empty();
    st.entry_controls = true;
    st.window_colour = true;
  } else {
    view_.ClearEditor();
    view_.SetFieldProblemsText("");
  }
  view_.ApplyControlStates(st);
  if (st.has_entries) {
    if (view_.ListSelection() < 0) {
      view_.ListSelect(0);
      OnListClick();
    }
    SelectDestination(!view_.TitleText().empty() || title_mode_requested_ ? 1 : 0);
  }
  st.title_box = st.entry_controls && view_.DestinationType() == 1;
  view_.ApplyControlStates(st);
}

void MainModel::SelectDestination(int index) {
  if (view_.DestinationType() == index) return;
  // Selecting an option from here counts as its click, as a user's would.
  view_.SetDestinationType(index);
  OnDestinationTypeClick(index);
}

void MainModel::OnListClick() {
  const Busy busy(*this);
  // The abbreviation being typed goes first, as leaving its field would store it. One that
  // cannot be stored keeps its entry and the field as it is; told before, the user may drop it.
  if (const bool told = AbbreviationTold(); !WriteAbbreviationField()) {
    if (!told ||
        Ask("Das geänderte Kürzel dieses Eintrags ist nicht gespeichert.\r\n\r\n"
            "Möchten Sie die Änderung verwerfen und zum gewählten Eintrag wechseln?",
            MessageIcon::kQuestion, MessageButtons::kYesNoDefaultNo) != MessageAnswer::kYes) {
      view_.ListSelect(current_index_);
      return;
    }
  }
  // The entry being edited chosen again (after a rename): a text that waits stays as it is.
  if (view_.ListSelection() == current_index_ && HoldsUnstoredText()) return;
  // The entry being left gets its text stored first. What cannot be stored keeps its entry
  // selected and stays in the editor, as the user was told, rather than being replaced.
  if (HoldsUnstoredText()) {
    // What the user was told before is tried once more without telling again.
    const bool told = AlreadyTold();
    WriteEditorText();
    if (HoldsUnstoredText() && !told) {
      // Just told why: the entry stays, with the text in the editor.
      view_.ListSelect(current_index_);
      return;
    }
    if (HoldsUnstoredText()) {
      // Told before: leaving the entry now would drop the text, so ask.
      const MessageAnswer answer = Ask(
          "Der geänderte Text dieses Eintrags ist nicht gespeichert.\r\n\r\nMöchten Sie "
          "die Änderung verwerfen und zum gewählten Eintrag wechseln?",
          MessageIcon::kQuestion, MessageButtons::kYesNoDefaultNo);
      if (answer != MessageAnswer::kYes) {
        view_.ListSelect(current_index_);
        return;
      }
    }
  }
  // An entry read from a file that cannot be read would look empty: the one being edited
  // stays.
  if (!FileReadable()) {
    view_.ListSelect(current_index_);
    return;
  }
  current_index_ = view_.ListSelection();
  ShowSelectedEntry();
}

EditorContent MainModel::EditorNow() {
  return ReadEditor(view_.EditorText(), view_.EditorRtf(), attachments_);
}

bool MainModel::AlreadyTold() {
  const EditorContent now = EditorNow();
  return now.stored == unstored_text_ && now.html == unstored_html_ &&
         (view_.CryptChecked() ? 1 : 0) == unstored_crypt_;
}

bool MainModel::HoldsUnstoredText() {
  if (CurrentEntryNumber() <= 0) return false;
  const EditorContent now = EditorNow();
  return now.stored != saved_text_ || now.html != shown_html_ ||
         (view_.CryptChecked() ? 1 : 0) != saved_crypt_;
}

bool MainModel::TextStoreFailed() {
  return last_write_failed_ && CurrentEntryNumber() > 0 && AlreadyTold();
}

bool MainModel::RetryUnstoredText() {
  if (busy_ > 0 || !TextStoreFailed()) return false;
  WriteEditorText();  // quiet: the user was told of this very text
  return TextStoreFailed();
}

bool MainModel::FileReadable() {
  if (s_.ini.Snapshot(data_file_) || s_.ini.LastReach() == FileReach::kMissing) {
    told_unreadable_ = false;
    return true;
  }
  // Told before the box shows: closing it activates the window, which looks again.
  if (!std::exchange(told_unreadable_, true)) {
    Ask(UnreadableFileText(data_file_, s_.ini.LastReach()) +
            "\r\n\r\nBis sie wieder gelesen werden kann, bleiben die Liste und der Editor, "
            "wie sie sind.",
        MessageIcon::kExclamation, MessageButtons::kOk);
  }
  return false;
}

int MainModel::AddListItem(const std::string& name) {
  const int pos = view_.ListAdd(name);
  if (current_index_ >= pos) ++current_index_;
  return pos;
}

void MainModel::RemoveListItem(int pos) {
  view_.ListRemove(pos);
  if (current_index_ == pos) {
    current_index_ = -1;
  } else if (current_index_ > pos) {
    --current_index_;
  }
}

void MainModel::ShowSelectedEntry() {
  const int pos = view_.ListSelection();
  if (pos < 0) return;
  // Found by number and name: the list may be older than the file, and another entry's
  // text shown under this name would be edited and stored as this entry's.
  SnippetEntry e;
  StoredFields fields;
  const EntryLocation at = s_.entries.FindEntry({view_.ListData(pos), view_.ListText(pos), {}},
                                                data_file_, &e, &fields);
  if (at.number > 0) {
    view_.ListSetData(pos, at.number);
    saved_fields_ = fields;
  } else {
    saved_fields_.reset();
  }
  ShowAbbreviation(at.number);
  // A plain entry shows as ever; only a formatted one is read and laid onto its text.
  attachments_ = {};
  format_problems_.clear();
  saved_html_ = UnescapeStoredText(e.html);
  shown_html_.clear();
  if (saved_html_.empty()) {
    ShowAttachedPictures();
    view_.ShowGlyphText(StoredToGlyphs(e.text));
  } else {
    EditorShowing show = ShowFormatted(StoredToGlyphs(e.text), saved_html_);
    attachments_ = std::move(show.attachments);
    ShowAttachedPictures();  // before the marks, which then never show as marks
    view_.ShowFormattedText(show.glyph_text, show.rtf);
    shown_html_ = std::move(show.html);
    format_problems_ = std::move(show.problems);
  }
  view_.SetTitleText(TrimBlanks(e.title));
  view_.SetCryptChecked(e.crypt != 0);
  view_.SetDosBoxChecked(e.dosbox != 0);
  saved_delivery_choice_ = DeliveryChoiceOf(e.delivery);
  view_.SetDeliveryChoice(saved_delivery_choice_);
  saved_text_ = EscapeStoredText(UnescapeStoredText(e.text));
  saved_crypt_ = e.crypt;
  unstored_crypt_ = -1;
  ShowFieldProblems(view_.ListText(pos));
  loading_entry_ = true;
  UpdateControlStates();
  loading_entry_ = false;
}

void MainModel::ShowFieldProblems(const std::string& own_name) {
  // Deciphered already: the text as it is sent.
  const std::vector<std::string> sentences =
      ParseSnippet(UnescapeStoredText(saved_text_),
                   LookupEntriesIn(s_.ini.Snapshot(data_file_), s_.entries), own_name)
          .problems;
  std::string line;
  for (const std::string& sentence : sentences) line += (line.empty() ? "" : " ") + sentence;
  for (const std::string& sentence : format_problems_) {
    line += (line.empty() ? "" : " ") + sentence;
  }
  view_.SetFieldProblemsText(line);
}

int MainModel::CurrentEntryNumber() {
  if (view_.ListCount() == 0 || current_index_ < 0 || current_index_ >= view_.ListCount()) {
    return 0;
  }
  return view_.ListData(current_index_);
}

std::string MainModel::CurrentName() {
  return CurrentEntryNumber() > 0 ? view_.ListText(current_index_) : std::string();
}

void MainModel::SelectEntry(int number, const std::string& name) {
  if (name.empty()) return;
  int found = -1;
  for (int i = 0; i < view_.ListCount(); ++i) {
    if (view_.ListText(i) != name) continue;
    if (found < 0) found = i;
    if (view_.ListData(i) == number) {
      found = i;
      break;
    }
  }
  if (found >= 0 && found != view_.ListSelection()) {
    view_.ListSelect(found);
    OnListClick();
  }
}

MessageAnswer MainModel::Ask(const std::string& text, MessageIcon icon, MessageButtons buttons) {
  const Quiet quiet(*this, true);
  return s_.dialogs.ShowMessage(text, MessageTitle(), icon, buttons);
}

void MainModel::Notify(std::string text) {
  notices_.push_back(std::move(text));
}

void MainModel::ShowNotices() {
  // Busy while shown: a reload waits, and a command that ends meanwhile shows none twice.
  ++busy_;
  while (!notices_.empty()) {
    const std::string text = std::move(notices_.front());
    notices_.erase(notices_.begin());
    Ask(text, MessageIcon::kInformation, MessageButtons::kOk);
  }
  --busy_;
}

bool MainModel::ChangedOutside() {
  return s_.fs.Stat(data_file_) != known_stamp_;
}

void MainModel::NoteFileState() {
  known_stamp_ = s_.fs.Stat(data_file_);
}

void MainModel::OnDosBoxClick() {
  const Busy busy(*this);
  WriteCurrentEntryField("DosBox", view_.DosBoxChecked() ? "1" : "0");
}

void MainModel::OnDeliveryChoice(int index) {
  const Busy busy(*this);
  if (loading_entry_ || index == saved_delivery_choice_ || index < 0 ||
      index >= static_cast<int>(std::size(kDeliveryChoices))) {
    return;
  }
  if (WriteCurrentEntryField(kDeliverySection, kDeliveryChoices[index])) {
    saved_delivery_choice_ = index;
  } else {
    // Not stored: the box shows what the file still holds.
    view_.SetDeliveryChoice(saved_delivery_choice_);
  }
}

void MainModel::OnDestinationTypeClick(int index) {
  const Busy busy(*this);
  if (loading_entry_) return;
  if (index == 1) {
    title_mode_requested_ = true;
    UpdateControlStates();
    view_.FocusTitleBox();
    return;
  }
  view_.SetTitleText("");
  UpdateControlStates();
  if (CurrentEntryNumber() > 0) {
    const int pos = current_index_;
    StoreFields(pos, KeyAt(pos), WindowEntry(pos, CurrentName()),
                {{"Title", ""}, {"DosBox", "0"}});
  }
}

void MainModel::AddTitleIfMissing() {
  const std::string title = TrimBlanks(view_.TitleText());
  if (!title.empty() && !view_.TitleListHas(title)) view_.TitleListAdd(title);
}

void MainModel::OnTitleLostFocus() {
  const Busy busy(*this);
  title_mode_requested_ = false;
  AddTitleIfMissing();
  UpdateControlStates();
  WriteCurrentEntryField("Title", view_.TitleText());
}

void MainModel::StorePendingEditsThen(const std::function<void()>& then) {
  StorePendingEdits();
  // Hiding or closing the window takes the focus away, which stores again: what the user
  // has just been told about is tried once more, without telling twice.
  const Quiet quiet(*this, true);
  then();
}

void MainModel::StorePendingEdits(bool last_chance) {
  const Busy busy(*this);
  if (view_.FocusedControl() == MainView::Focus::kTitleBox) OnTitleLostFocus();
  // A text the user was told could not be stored is tried again quietly, except when the
  // program ends: then it would be lost, so the user hears of it once more.
  if (last_chance && TextStoreFailed()) OnEditorUsed();
  // Unchanged text writes nothing, so this is safe wherever the focus is.
  WriteEditorText();
  WriteAbbreviationField(last_chance);
}

}  // namespace qm
