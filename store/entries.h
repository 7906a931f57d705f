// Snippet entries of the data file: five fields, one section each, keyed by entry number.
#pragma once

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
};

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
  // Deletes entry `number`, which must still carry `name`: the highest-numbered entry of
  // the file moves into its number and the highest number is blanked, in one update under
  // the lock, so that the numbers stay 1..N whatever the caller's list knows of the file.
  // `moved_from` receives the number whose entry moved (`number` itself when it was the
  // highest). Refused, changing nothing, when the number carries another name by now.
  Status RemoveEntry(int number, const std::string& name, const std::string& data_file,
                     int* moved_from);
  // Stores the entry under the next free number, counted and written under one lock, so
  // that two programs adding at once never take the same number.
  Status AppendEntry(const SnippetEntry& entry, const std::string& data_file, int* number);
  // Entries run from 1 to the last number before the first empty or missing name; counted
  // in one look at the file, so that a concurrent writer cannot make the count a mix.
  int CountEntries(const std::string& data_file);

 private:
  Status EntryWrites(int number, const SnippetEntry& entry, std::vector<IniWrite>& writes);
  SnippetEntry EntryIn(const IniDocument& doc, int number) const;

 public:
 private:
  IniStore& ini_;
  const CodePage& ansi_;
};

}  // namespace qm
