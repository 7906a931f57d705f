// Taking entries out of the library for an export: from one look at the file, with what the
// export leaves out said entry by entry.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"
#include "store/entries.h"
#include "transfer/imported.h"

namespace qm {

struct ExportOutcome {
  int written = 0;                // entries in the export
  int left_out = 0;               // enciphered entries without the user's consent
  std::vector<ImportNote> notes;  // `line` is the entry's number
};

// The entries numbered `numbers` (all of them when it is empty), in that order, with their
// abbreviation and delivery. An enciphered entry is given deciphered only with `decipher`;
// otherwise it is left out with a note. A number without an entry is passed over with a note.
Status CollectEntries(EntryStore& store, const std::string& data_file,
                      const std::vector<int>& numbers, bool decipher,
                      std::vector<ImportedEntry>* entries, ExportOutcome* outcome);

}  // namespace qm
