// Storing imported entries in the library: all in one update of the file or none, with the
// entries whose name or abbreviation the library has already handled as the user chose.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"
#include "store/entries.h"
#include "transfer/imported.h"

namespace qm {

enum class OnConflict {
  kAsk,      // nothing is written while there is a conflict; the conflicts are given back
  kKeep,     // the new entry is added too, its name with a number after it
  kReplace,  // the new entry takes the place of the one it meets
  kSkip,     // the new entry is left out
};

struct ImportConflict {
  std::size_t line = 0;  // of the new entry in its file
  std::string name;      // the new entry's
  int existing = 0;      // the library's entry it meets
  bool by_abbreviation = false;
  std::string existing_name = {};
  // The first lines of the library's text and of the new one, shortened; and the name the new
  // entry gets where both are kept.
  std::string old_start = {}, new_start = {}, kept_name = {};
};

struct ImportOutcome {
  int added = 0, replaced = 0, skipped = 0;
  // The first entry the import added or replaced, as it stands now; 0 where there is none.
  int first_number = 0;
  std::string first_name;
  std::vector<ImportConflict> conflicts;
  std::vector<ImportNote> notes;
};

// A conflict is a new entry whose name is the name of an entry of the library, or whose
// abbreviation is one of the library's (letter case ignored). With kAsk and a conflict,
// nothing is written and the status refuses. Looked at under the file's lock, as the write.
// With kKeep a new entry whose abbreviation the library has keeps it only in a note, since
// one abbreviation cannot expand two entries; an abbreviation that could never be typed as a
// word is left off with a note as well.
Status ImportEntries(EntryStore& store, const std::vector<ImportedEntry>& entries,
                     OnConflict on_conflict, const std::string& data_file, ImportOutcome* outcome);

}  // namespace qm
