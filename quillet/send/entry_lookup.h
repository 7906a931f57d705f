// Entries of the data file by name, for a snippet that includes others and for the tools.
#pragma once

#include <memory>
#include <string_view>

#include "quillet/send/snippet_fields.h"
#include "store/entries.h"
#include "store/ini_document.h"

namespace qm {

// The number of the first entry whose name is `name`, letter case ignored; 0 for none.
int EntryNamed(const IniDocument& doc, std::string_view name);

// Looks included snippets up in one look at the data file (`doc`, kept alive by the lookup),
// so that a send reads them all from the same file. A found entry's text is unescaped and,
// where enciphered, deciphered as it is for sending; an enciphered text that is not the
// cipher's hex digits cannot be deciphered.
EntryLookup LookupEntriesIn(std::shared_ptr<const IniDocument> doc, const EntryStore& entries);

// Folds the names of `doc` now, at a quiet moment, for the lookups to come while it is the
// file's latest look: the first send of a snippet that includes another then finds them ready.
void FoldNamesAhead(const std::shared_ptr<const IniDocument>& doc);

}  // namespace qm
