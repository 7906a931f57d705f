// Snippet entries of the data file: five fields, one section each, keyed by entry number.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/status.h"
#include "store/ini_store.h"

namespace qm {

struct SnippetEntry {
  std::string name;
  std::string text;  // escaped, not enciphered
  std::string title;
  int crypt = 0;
  int dosbox = 0;
  // How it is delivered ("Tippen", "Tasten", "Einfügen"), as the file reads it; empty: by
  // the rules. Kept in a section of its own beside the five fields, like the abbreviation,
  // and so written only when it changes, never with the fields.
  std::string delivery = {};
  // The formatted version (the HTML subset of rich/rich_html.h), escaped like the text and
  // enciphered with it; empty: the entry is plain. Its own section, beside the text, which
  // stays the plain version for everything that does not format.
  std::string html = {};
};

// The sections of an entry's delivery and of its formatted version.
inline constexpr const char* kDeliverySection = "Zustellung";
inline constexpr const char* kFormatSection = "Format";

// The deliveries an entry may name, as the file spells them; sending chooses among them.
inline constexpr std::array<const char*, 6> kDeliveryNames = {
    "Tippen", "Tasten", "Einfügen", "Einfügen Strg+Umschalt+V", "Einfügen Umschalt+Einfg",
    "Konsole"};

// The index in kDeliveryNames of the delivery `text` names, letter case and blanks around it
// ignored; nullopt where it names none.
std::optional<std::size_t> KnownDelivery(std::string_view text);

// An entry's fields other than its name as the file holds them (the text in its stored,
// possibly enciphered form): what tells apart entries that share a name.
struct StoredFields {
  std::string text, crypt, title, dosbox;
  friend bool operator==(const StoredFields& a, const StoredFields& b) {
    return a.text == b.text && a.crypt == b.crypt && a.title == b.title && a.dosbox == b.dosbox;
  }
  friend bool operator!=(const StoredFields& a, const StoredFields& b) { return !(a == b); }
};

// An entry to store by EntryStore::ApplyChanges: under its number, or (0) after the last.
struct EntryChange {
  int number = 0;
  SnippetEntry entry;
  // Sections beside the five fields (the abbreviation, its flag, the delivery): section and
  // value, written as they stand.
  std::vector<std::pair<std::string, std::string>> beside;
};

// An entry as a caller knows it: the number and name it had when the caller last read it,
// and, where known, its fields then.
struct EntryKey {
  int number = 0;
  std::string name;  // as it reads back from the file
  std::optional<StoredFields> fields;
};

// Where such an entry stands in the file now. Another program (a second Quillet, the
// command-line tool, a hand edit) may have deleted, added or moved entries meanwhile.
enum class EntryPlace {
  kHere,     // still under its number
  kMoved,    // under another number
  kGone,     // no entry has its name any more
  kUnclear,  // several other entries have its name, and nothing tells which one it is
};
struct EntryLocation {
  EntryPlace place = EntryPlace::kGone;
  int number = 0;  // where it stands now; 0 when gone or unclear
};

// The number still carries the name: that number, unless the fields tell that another entry
// of the name is this one. Otherwise the only other entry of the name, or among several the
// one whose fields are the known ones. An entry of the same name is never taken blindly.
EntryLocation LocateEntry(const IniDocument& doc, const EntryKey& key);

// The value to store for a text field (a text's stored form, a name, a title): the value
// itself, or, where reading would lose something of it (blanks at its ends, a pair of quotes
// around it), the same in one more pair of double quotes, which every reader of the file takes
// off again, whatever quotes the value holds itself.
std::string TextFieldValue(std::string_view stored_form);

// `ansi` is the code page whose character codes the cipher works on.
class EntryStore {
 public:
  EntryStore(IniStore& ini, const CodePage& ansi) : ini_(ini), ansi_(ansi) {}

  // A number without an entry reads as empty texts and both flags 0.
  SnippetEntry ReadEntry(int number, const std::string& data_file);
  // Writes all five fields in one update of the file, or nothing when one of them cannot
  // be stored. An enciphered text gets a fresh salt.
  Status WriteEntry(int number, const SnippetEntry& entry, const std::string& data_file);
  // Several entries in one update of the file: all of them or none.
  Status WriteEntries(const std::vector<std::pair<int, SnippetEntry>>& entries,
                      const std::string& data_file);
  // Reads the entry `key` names where it stands now (see LocateEntry) into `entry` and
  // `fields`: empty when it is gone or unclear. FindEntry looks at one snapshot of the file;
  // ReadKnownEntry under the update lock, as a write does, and fails only when the file
  // could not be looked at.
  EntryLocation FindEntry(const EntryKey& key, const std::string& data_file, SnippetEntry* entry,
                          StoredFields* fields);
  Status ReadKnownEntry(const EntryKey& key, const std::string& data_file, SnippetEntry* entry,
                        EntryLocation* where);
  // Writes `fields` (section, value) into the entry `key` names, where it stands now, in one
  // update under the lock; values that the file holds already are not written again. Where
  // the entry is gone or unclear, `whole` with `fields` over it is stored as a new entry under
  // the next free number instead, so that nothing lands in another entry and nothing is
  // lost. `where` receives the place found and the number written; `after` the entry's
  // fields as they are now.
  Status UpdateEntry(const EntryKey& key,
                     const std::vector<std::pair<std::string, std::string>>& fields,
                     const SnippetEntry& whole, const std::string& data_file, EntryLocation* where,
                     StoredFields* after);
  // Deletes the entry `key` names, where it stands now: the highest-numbered entry of the
  // file moves into its number and the highest number is blanked, in one update under the
  // lock, so that the numbers stay 1..N whatever the caller's list knows of the file.
  // `where` receives the place found and the number deleted; `moved_from` the number whose
  // entry moved into it (that number itself when it was the highest). Nothing changes when
  // the entry is gone or unclear.
  Status RemoveEntry(const EntryKey& key, const std::string& data_file, EntryLocation* where,
                     int* moved_from);
  // Stores the entry under the next free number, counted and written under one lock, so
  // that two programs adding at once never take the same number.
  Status AppendEntry(const SnippetEntry& entry, const std::string& data_file, int* number);
  // Asks `plan` what to change, with the file as it is under the update lock, and stores all
  // of it in that one update, or nothing when `plan` or one entry refuses. New entries take
  // the numbers after the last, in order; a section beside them that an older version left
  // under such a number is blanked first.
  using ChangePlan = std::function<Status(const IniDocument& current, std::vector<EntryChange>&)>;
  Status ApplyChanges(const ChangePlan& plan, const std::string& data_file);
  // Entries run from 1 to the last number before the first empty or missing name; counted
  // in one look at the file, so that a concurrent writer cannot make the count a mix.
  int CountEntries(const std::string& data_file);
  // The entry under `number` in `doc`, its text deciphered.
  SnippetEntry EntryIn(const IniDocument& doc, int number) const;

  // One look at the file as it is now; null when there is none.
  std::shared_ptr<const IniDocument> Snapshot(const std::string& data_file) {
    return ini_.Snapshot(data_file);
  }

 private:
  Status EntryWrites(int number, const SnippetEntry& entry, std::vector<IniWrite>& writes);

 private:
  IniStore& ini_;
  const CodePage& ansi_;
};

}  // namespace qm
