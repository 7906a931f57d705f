// Storing imported entries in the library.
#include "transfer/library_import.h"

#include <map>

#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/text_lists.h"

namespace qm {
namespace {

constexpr const char* kAbbreviations = "Kuerzel";
constexpr const char* kAtOnce = "KuerzelSofort";

EntryChange ChangeFor(const ImportedEntry& e, int number, bool with_abbreviation) {
  EntryChange change;
  change.number = number;
  change.entry.name = e.name;
  change.entry.text = EscapeStoredText(e.text);
  change.entry.title = e.title;
  change.entry.crypt = e.crypt ? 1 : 0;
  change.entry.dosbox = e.dosbox ? 1 : 0;
  const std::string abbreviation = with_abbreviation ? e.abbreviation : std::string();
  const std::pair<const char*, std::string> beside[] = {
      {kAbbreviations, TextFieldValue(abbreviation)},
      {kAtOnce, e.at_once && !abbreviation.empty() ? "1" : ""},
      {kDeliverySection, e.delivery}};
  for (const auto& [section, value] : beside) {
    // A replaced entry loses what it had; a new one needs no empty values.
    if (number > 0 || !value.empty()) change.beside.emplace_back(section, value);
  }
  return change;
}

// A name or title is one line in the file: each line break becomes a blank.
bool OnOneLine(std::string& text) {
  bool changed = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    const bool pair = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    text.replace(i, pair ? 2 : 1, " ");
    changed = true;
  }
  return changed;
}

}  // namespace

Status ImportEntries(EntryStore& store, const std::vector<ImportedEntry>& entries,
                     OnConflict on_conflict, const std::string& data_file, ImportOutcome* outcome) {
  ImportOutcome out;
  const Status status = store.ApplyChanges(
      [&](const IniDocument& current, std::vector<EntryChange>& changes) {
        out = ImportOutcome();
        const std::vector<std::string> names = ReadNumberedList(current, "Name");
        std::map<std::string, int> by_name, by_abbreviation;
        for (std::size_t i = 0; i < names.size(); ++i) {
          by_name.emplace(names[i], static_cast<int>(i) + 1);
        }
        for (const Abbreviation& a : ReadAbbreviations(current)) {
          by_abbreviation.emplace(AbbreviationKey(a.text), a.number);
        }
        for (const ImportedEntry& given : entries) {
          ImportedEntry e = given;
          const bool name_joined = OnOneLine(e.name);  // both are put on one line
          if (const bool title_joined = OnOneLine(e.title); name_joined || title_joined) {
            out.notes.push_back(
                {e.line, e.name, "Zeilenumbrüche in Name oder Titel werden zu Leerzeichen."});
          }
          if (Status s = CheckAbbreviation(e.abbreviation); !s) {
            out.notes.push_back(
                {e.line, e.name,
                 "Das Kürzel „" + e.abbreviation + "“ wird nicht übernommen: " + s.message});
            e.abbreviation.clear();
          }
          const auto named = by_name.find(e.name);
          const auto abbreviated = e.abbreviation.empty()
                                       ? by_abbreviation.end()
                                       : by_abbreviation.find(AbbreviationKey(e.abbreviation));
          const bool meets_name = named != by_name.end();
          const bool meets_abbreviation = abbreviated != by_abbreviation.end();
          if (!meets_name && !meets_abbreviation) {
            changes.push_back(ChangeFor(e, 0, true));
            ++out.added;
            continue;
          }
          const int existing = meets_name ? named->second : abbreviated->second;
          out.conflicts.push_back({e.line, e.name, existing, !meets_name});
          switch (on_conflict) {
            case OnConflict::kAsk:
              break;
            case OnConflict::kSkip:
              ++out.skipped;
              break;
            case OnConflict::kReplace:
              changes.push_back(ChangeFor(e, existing, true));
              ++out.replaced;
              break;
            case OnConflict::kKeep: {
              ImportedEntry renamed = e;
              for (int n = 2; by_name.count(renamed.name); ++n) {
                renamed.name = e.name + " (" + std::to_string(n) + ")";
              }
              if (meets_abbreviation) {
                out.notes.push_back({e.line, renamed.name,
                                     "Das Kürzel „" + e.abbreviation +
                                         "“ hat schon ein Eintrag der Bibliothek; der neue "
                                         "Eintrag bleibt ohne Kürzel."});
              }
              by_name.emplace(renamed.name, 0);
              changes.push_back(ChangeFor(renamed, 0, !meets_abbreviation));
              ++out.added;
              break;
            }
          }
        }
        if (on_conflict == OnConflict::kAsk && !out.conflicts.empty()) {
          changes.clear();
          out.added = 0;  // nothing is
          return Status::Refuse("Einträge mit diesen Namen oder Kürzeln gibt es schon.");
        }
        return Status::Ok();
      },
      data_file);
  if (outcome) *outcome = std::move(out);
  return status;
}

}  // namespace qm
