// A formatted entry on its way out: its formatted version checked against its text, and the
// words in it filled with the values the plain text gets.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "quillet/send/snippet_fields.h"
#include "rich/rich_html.h"
#include "store/entries.h"

namespace qm {

// Fills one template with the values of its fields, as the send fills the whole text.
using TemplateFill = std::function<std::string(const SnippetTemplate&, const FieldValues&)>;

// The entry's formatted version with every text run's words filled: each field by its name
// with the value `values` holds for the field of that name in `whole`. Nullopt where the entry
// has none, or one that shows another text than the plain one (an older version edited the
// text), or nothing at all: then the plain text goes.
std::optional<RichDocument> FilledFormattedVersion(const SnippetEntry& entry,
                                                   const std::string& plain,
                                                   const SnippetTemplate& whole,
                                                   const FieldValues& values,
                                                   const EntryLookup& lookup,
                                                   const TemplateFill& fill);

}  // namespace qm
