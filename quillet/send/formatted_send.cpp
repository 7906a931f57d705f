// A formatted entry's version filled for sending.
#include "quillet/send/formatted_send.h"

#include "rich/rich_output.h"
#include "store/stored_text.h"
#include "text/utf.h"

namespace qm {

std::optional<RichDocument> FilledFormattedVersion(const SnippetEntry& entry,
                                                   const std::string& plain,
                                                   const SnippetTemplate& whole,
                                                   const FieldValues& values,
                                                   const EntryLookup& lookup,
                                                   const TemplateFill& fill) {
  if (entry.html.empty()) return std::nullopt;
  const RichDocument doc = ReadRichHtml(UnescapeStoredText(entry.html));
  if (!doc.HasContent() || !RichMatchesPlain(doc, plain)) return std::nullopt;
  return FillRichText(doc, [&](const std::string& run) {
    const SnippetTemplate part = ParseSnippet(run, lookup, entry.name);
    FieldValues part_values(part.fields.size());
    for (std::size_t i = 0; i < part.fields.size(); ++i) {
      const std::string name = FoldCase(part.fields[i].name);
      for (std::size_t k = 0; k < whole.fields.size() && k < values.size(); ++k) {
        if (FoldCase(whole.fields[k].name) == name) {
          part_values[i] = values[k];
          break;
        }
      }
    }
    return fill(part, part_values);
  });
}

}  // namespace qm
