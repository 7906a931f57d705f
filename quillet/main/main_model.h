// The main window's decisions: control states, loading and saving the entry being edited,
// the entry commands, the edit commands and find. The window itself only shows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "platform/code_page.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "quillet/commands.h"
#include "quillet/main/editor_format.h"
#include "quillet/main/main_view.h"
#include "store/abbreviations.h"
#include "store/entries.h"
#include "store/ini_store.h"

namespace qm {

struct MainServices {
  IniStore& ini;
  EntryStore& entries;
  FileSystem& fs;
  const CodePage& ansi;
  Dialogs& dialogs;
  Clipboard& clipboard;
};

class MainModel {
 public:
  // `data_file` is the program's data file, which may change while the model lives.
  MainModel(const MainServices& services, MainView& view, const std::string& data_file);

  // The title of message boxes and input prompts.
  void SetAppTitle(std::string title) { app_title_ = std::move(title); }
  const std::string& app_title() const { return app_title_; }

  // Fills the entry list and the title list from the data file. False, with the lists left
  // as they are, when the file is there but cannot be read now.
  bool LoadEntryList();
  void UpdateControlStates();
  void ShowSelectedEntry();

  // Handlers of the window's events.
  void OnListClick();
  void OnEditorLostFocus() { WriteEditorText(); }
  // A key or a click in the editor: the user is back, and may be asked again what they were
  // told about the text (leaving it without that only tries again quietly).
  void OnEditorUsed() { unstored_crypt_ = -1; }
  void OnCryptLostFocus() { WriteEditorText(); }
  void OnDosBoxClick();
  // Another delivery chosen for the entry: stored at once ("nach Regeln" as an empty value).
  void OnDeliveryChoice(int index);
  void OnDestinationTypeClick(int index);
  void OnTitleDropDown() { AddTitleIfMissing(); }
  void OnTitleLostFocus();
  void OnAbbreviationLostFocus() { WriteAbbreviationField(true); }
  // Leaving the field for the box has just told what there was to tell.
  void OnAtOnceClick() { WriteAbbreviationField(); }
  void OnEditCommand(QuilletCommand command);
  // The menu "&Format" and its keys in the editor; "Link..." asks the address (and the text
  // where nothing is selected).
  void OnFormatCommand(QuilletCommand command);
  // "Bild einfügen...": the PNG or JPEG file the user chose goes in at the caret, as its mark.
  void InsertPicture(const std::string& path);

  void NewEntry();
  void RenameEntry();
  void DeleteEntry();

  // Stores what the user has typed but not yet left: before the window hides, the program
  // ends, the session ends or a snippet is sent. A text the user was told could not be
  // stored is tried again without telling again, except at the `last_chance` before the
  // program ends.
  void StorePendingEdits(bool last_chance = false);
  // The same, then `then` (hiding or closing the window), during which leaving a control
  // does not ask or report again what the user was just told.
  void StorePendingEditsThen(const std::function<void()>& then);

  // Every write of an entry finds it in the file by its number and name under the file's
  // lock (`EntryStore::UpdateEntry`): moved, the list item takes its new number; gone, the
  // window's fields become a new entry of that name and the user is told once.
  // Saves the editor's text, its formatted version and the cipher flag into the entry being
  // edited.
  void WriteEditorText();
  // Saves the abbreviation field and its box into the entry being edited. False while the
  // field holds what cannot be stored: one that CheckAbbreviation refuses gets its message
  // (unless the user was told of this very text and `tell_again` is false) and the focus.
  bool WriteAbbreviationField(bool tell_again = false);
  // Writes one field of the entry being edited; false when nothing was stored.
  bool WriteCurrentEntryField(const std::string& section, const std::string& value);

  // True when the editor or the cipher box holds something the file does not have yet.
  bool HoldsUnstoredText();
  // True while the editor holds the very text whose write failed, as the user was told.
  bool TextStoreFailed();
  // Tries once more, quietly, to store such a text (the file may be reachable again); true
  // when it still waits.
  bool RetryUnstoredText();
  // Whether the data file can be read now. One that cannot (its folder out of reach, held by
  // another program) is no empty library: the caller keeps what it shows, and the user is
  // told once until the file can be read again.
  bool FileReadable();

  // Whether the data file was changed by someone else since this program last read or
  // wrote it (a hand edit, another program).
  bool ChangedOutside();
  // Remembers the data file as this program leaves it.
  void NoteFileState();

  // The entry being edited (0 and the empty text when there is none), and selecting it again
  // after a reload: the item with the same number and name, else the first with the name
  // (names may repeat, numbers may have moved).
  int CurrentEntryNumber();
  std::string CurrentName();
  void SelectEntry(int number, const std::string& name);

  // True while one of the window's commands or handlers runs. Its message boxes let other
  // events in; a reload then would change the list and the entry it works on under it.
  bool busy() const { return busy_ > 0; }
  // Runs each time the outermost command or handler has finished.
  void SetAfterCommand(std::function<void()> after) { after_command_ = std::move(after); }

  // Offers to switch an ANSI data file to UTF-16LE when a value holds characters it
  // cannot hold; false when the user declines or the switch fails (nothing is stored then).
  bool EnsureStorable(const std::vector<std::string>& values);

  const std::string& last_search_text() const { return last_search_text_; }
  int current_index() const { return current_index_; }
  bool loading_entry() const { return loading_entry_; }

 private:
  // Writes `fields` into the entry `key` (of list position `pos`) where the file has it now;
  // where it is gone, `whole` with `fields` becomes a new entry. The list item follows the
  // entry; `written` receives its number. False when nothing was stored (reported).
  using Fields = std::vector<std::pair<std::string, std::string>>;
  bool StoreFields(int pos, const EntryKey& key, const SnippetEntry& whole, const Fields& fields,
                   int* written = nullptr);
  // The same for any write of one entry; `after` receives the entry's fields where the
  // write knows them, and is left empty where it does not.
  using EntryWrite =
      std::function<Status(EntryLocation* where, std::optional<StoredFields>* after)>;
  bool StoreEntry(int pos, const EntryKey& key, const std::string& new_name,
                  const EntryWrite& write, int* written = nullptr);
  // The abbreviations of the file and their conflicts, read again only when the file has
  // changed since; then the entry's own and the line that names its conflicts.
  void ReadAbbreviationsOf(const std::shared_ptr<const IniDocument>& doc);
  void ShowAbbreviation(int number);
  // True when the user has been told why the field's abbreviation could not be stored.
  bool AbbreviationTold();
  std::string ConflictText(int number) const;
  // The line below the editor for the text last read or stored (saved_text_) of the entry
  // named `own_name`, its included entries looked up in the file as it is now; then what of
  // the entry's formatted version the editor could not show.
  void ShowFieldProblems(const std::string& own_name);
  // The entry of list position `pos` as the model knows it, and as a new entry named `name`
  // would be made of it: the window's target and DOS box, the text as last stored.
  EntryKey KeyAt(int pos);
  SnippetEntry WindowEntry(int pos, const std::string& name);
  // A message box of the model. While it is open, what runs meanwhile (the focus leaving and
  // coming back, the icon, the end of the session) stores what it can without a box of its
  // own: one question at a time, and the open one's answer decides.
  MessageAnswer Ask(const std::string& text, MessageIcon icon, MessageButtons buttons);
  // Tells the user once the outermost command has finished, so that no box opens halfway.
  void Notify(std::string text);
  void ShowNotices();
  // Runs one write of the data file and reports its failure. The file's state is noted
  // afterwards only where the program knew the file before: a change from outside that came
  // first must still reach the lists at the next showing.
  bool Write(const std::function<Status()>& write);
  void AddTitleIfMissing();
  void SelectDestination(int index);
  void FindNext();
  // Within its scope the model stores without telling the user again what they already know.
  class Quiet {
   public:
    Quiet(MainModel& m, bool on) : m_(m), before_(m.quiet_) { m_.quiet_ = m_.quiet_ || on; }
    ~Quiet() { m_.quiet_ = before_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    MainModel& m_;
    bool before_;
  };

  class Busy {
   public:
    explicit Busy(MainModel& model) : model_(model) { ++model_.busy_; }
    ~Busy() {
      if (model_.busy_ == 1) model_.ShowNotices();
      if (--model_.busy_ == 0 && model_.after_command_) model_.after_command_();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    MainModel& model_;
  };
  // True when the user has been told why the editor's text and flag could not be stored.
  bool AlreadyTold();
  // The editor's plain text and formatted version as they would be stored now.
  EditorContent EditorNow();
  void InsertLink();
  // The attachments' pictures to the editor, which shows them in place of their marks.
  void ShowAttachedPictures();
  // A picture's file bytes (nullopt: not readable) at the caret, from the file `path` or,
  // with an empty `path`, from the clipboard; a message says why one cannot go in.
  void InsertPictureBytes(const std::optional<std::string>& bytes, const std::string& path);
  // The list as the model changes it; the position of the entry being edited follows.
  int AddListItem(const std::string& name);
  void RemoveListItem(int pos);
  // Asks for a name until it is empty, unique or accepted as a duplicate; empty: stop.
  std::string AskName(const std::string& prompt, const std::string& title,
                      const std::string& initial, int skip_pos);
  std::string MessageTitle() const { return app_title_; }

  MainServices s_;
  MainView& view_;
  const std::string& data_file_;
  std::string app_title_ = "Quillet";

  int current_index_ = -1;
  bool loading_entry_ = false;
  bool title_mode_requested_ = false;
  std::string last_search_text_;
  // The entry's text and flag as they are in the file, so that leaving the editor without
  // a change writes nothing (an enciphered text would get a new salt every time).
  std::string saved_text_;
  int saved_crypt_ = -1;
  // The formatted version as the file has it (not escaped), and as the editor gives it back
  // unchanged: only a change of the user's writes it. What the editor keeps beside its text,
  // and what of the formatted version it could not show.
  std::string saved_html_, shown_html_;
  EditorAttachments attachments_;
  std::vector<std::string> format_problems_;
  // What the delivery box showed for the file's value; an unknown value shows as 0.
  int saved_delivery_choice_ = 0;
  // The entry's abbreviation and flag as they are in the file, and the abbreviation the user
  // was last told could not be stored.
  std::string saved_abbreviation_;
  bool saved_at_once_ = false;
  std::optional<std::string> unstored_abbreviation_;
  // Every entry with an abbreviation, by number, with its name; the conflicts among them;
  // the file they were read from.
  struct NamedAbbreviation {
    std::string text, name;
    bool at_once = false;
  };
  std::map<int, NamedAbbreviation> abbreviations_;
  std::map<int, std::vector<AbbreviationConflict>> conflicts_;
  std::weak_ptr<const IniDocument> abbreviations_doc_;
  // The entry's fields as the model last read or wrote them, to find it where names repeat.
  std::optional<StoredFields> saved_fields_;
  // What the user was last told could not be stored, so that one click does not tell twice.
  std::string unstored_text_, unstored_html_;
  int unstored_crypt_ = -1;
  FileStamp known_stamp_;
  bool told_unreadable_ = false;
  bool last_write_failed_ = false;
  int busy_ = 0;
  bool quiet_ = false;
  std::function<void()> after_command_;
  std::vector<std::string> notices_;
};

// The characters of `text` that the code page cannot hold, each once, in order.
std::u32string UnrepresentableCharacters(const CodePage& ansi, std::string_view text);
// "„ő“ (U+0151), „€“ (U+20AC)"
std::string ListCharacters(const std::u32string& chars);
std::string CodePageName(unsigned id);

}  // namespace qm
