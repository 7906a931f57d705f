// Storing imported entries in the library.
#include "transfer/library_import.h"

#include <map>
#include <set>

#include "rich/rich_html.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"
#include "text/text_lists.h"
#include "text/utf.h"

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
  change.entry.html = EscapeStoredText(e.html);
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

// The formatted version as the library keeps it: the subset only, and only where it shows
// the text the entry holds; a formatted entry without a text gets the one it shows.
void TakeFormatted(ImportedEntry& e, std::vector<ImportNote>* notes) {
  if (e.html.empty()) return;
  const RichDocument doc = ReadRichHtml(e.html);
  for (const std::string& problem : doc.problems) {
    notes->push_back({e.line, e.name, "Formatierung: " + problem});
  }
  e.html.clear();
  if (!doc.HasContent()) return;
  if (TrimBlanks(e.text).empty()) {
    e.text = RichPlainText(doc);
    for (char& c : e.text) c = c == '\n' ? '\r' : c;
  } else if (!RichMatchesPlain(doc, e.text)) {
    notes->push_back({e.line, e.name,
                      "Die formatierte Fassung zeigt einen anderen Text als „text“ und wird "
                      "nicht übernommen."});
    return;
  }
  e.html = WriteRichHtml(doc);
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

// Blanks, tabs and vertical tabs at the ends, which the data file trims around every value.
std::string TrimFileBlanks(const std::string& text) {
  const char* blanks = " \t\v";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string KnownDeliveries() {
  std::string all;
  for (const char* name : kDeliveryNames) all += (all.empty() ? "" : ", ") + std::string(name);
  return all;
}

// A text's first line as a conflict shows it: at most 60 characters.
std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find_first_of("\r\n"));
  for (char& c : line) c = c == '\t' ? ' ' : c;
  if (CountCodePoints(line) <= 60) return line;
  std::size_t pos = 0;
  for (int i = 0; i < 59; ++i) NextCodePoint(line, pos);
  return line.substr(0, pos) + "…";
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
        // Names and abbreviations this import has given already, beside the library's.
        constexpr int kThisImport = 0;
        std::set<int> replaced;
        auto take = [&](const ImportedEntry& x, bool with_abbreviation) {
          by_name[x.name] = kThisImport;
          if (with_abbreviation && !x.abbreviation.empty()) {
            by_abbreviation[AbbreviationKey(x.abbreviation)] = kThisImport;
          }
        };
        // The next number to try for each name that came in renamed: counting from 2 every
        // time made a file of one name thousands of times over quadratic, under the lock.
        std::map<std::string, int> next_number;
        auto add_renamed = [&](const ImportedEntry& e, bool keeps_abbreviation) {
          ImportedEntry renamed = e;
          int& n = next_number.emplace(e.name, 2).first->second;
          for (; by_name.count(renamed.name); ++n) {
            renamed.name = e.name + " (" + std::to_string(n) + ")";
          }
          take(renamed, keeps_abbreviation);
          changes.push_back(ChangeFor(renamed, 0, keeps_abbreviation));
          ++out.added;
          return renamed.name;
        };
        for (const ImportedEntry& given : entries) {
          ImportedEntry e = given;
          const bool name_broken = OnOneLine(e.name);  // both, whatever the first gives
          if (OnOneLine(e.title) || name_broken) {
            out.notes.push_back(
                {e.line, e.name, "Zeilenumbrüche in Name oder Titel werden zu Leerzeichen."});
          }
          // The file trims these around every value: the name is compared as it will read.
          e.name = TrimFileBlanks(e.name);
          if (e.name.empty()) {  // an empty name would end the library's list of entries
            out.notes.push_back({e.line, "", "Ein Eintrag ohne Namen wird übergangen."});
            ++out.skipped;
            continue;
          }
          if (Status s = CheckAbbreviation(e.abbreviation); !s) {
            out.notes.push_back(
                {e.line, e.name,
                 "Das Kürzel „" + e.abbreviation + "“ wird nicht übernommen: " + s.message});
            e.abbreviation.clear();
          }
          if (!e.delivery.empty() && !KnownDelivery(e.delivery)) {
            // Sending would take it for none and type the text without a word.
            out.notes.push_back({e.line, e.name,
                                 "Die Zustellung „" + e.delivery + "“ kennt Quillet nicht (" +
                                     KnownDeliveries() + "); der Eintrag kommt ohne sie."});
            e.delivery.clear();
          }
          TakeFormatted(e, &out.notes);
          const auto named = by_name.find(e.name);
          const auto abbreviated = e.abbreviation.empty()
                                       ? by_abbreviation.end()
                                       : by_abbreviation.find(AbbreviationKey(e.abbreviation));
          const bool meets_name = named != by_name.end();
          const bool meets_abbreviation = abbreviated != by_abbreviation.end();
          if (!meets_name && !meets_abbreviation) {
            take(e, true);
            changes.push_back(ChangeFor(e, 0, true));
            ++out.added;
            continue;
          }
          auto own = [&](int number) { return number == kThisImport || replaced.count(number); };
          if ((meets_name && own(named->second)) ||
              (meets_abbreviation && own(abbreviated->second))) {
            // Twice in the file: both come in, the later one renamed, one abbreviation each.
            const bool clash = meets_abbreviation;
            const std::string name = add_renamed(e, !clash);
            out.notes.push_back({e.line, name,
                                 clash ? "Name oder Kürzel kommt in der Datei mehrfach vor; "
                                         "dieser Eintrag bleibt ohne Kürzel."
                                       : "Der Name kommt in der Datei mehrfach vor."});
            continue;
          }
          const int existing = meets_name ? named->second : abbreviated->second;
          {
            const std::string key = std::to_string(existing);
            const bool enciphered = NumericValue(current.Find("Crypt", key).value_or("")) != 0;
            std::string kept = e.name;
            for (int n = next_number.count(e.name) ? next_number[e.name] : 2; by_name.count(kept);
                 ++n) {
              kept = e.name + " (" + std::to_string(n) + ")";
            }
            out.conflicts.push_back(
                {e.line, e.name, existing, !meets_name, names[existing - 1],
                 enciphered ? "(chiffriert)"
                            : FirstLine(UnescapeStoredText(current.Find("Text", key).value_or(""))),
                 FirstLine(e.text),
                 on_conflict == OnConflict::kAsk || on_conflict == OnConflict::kKeep ? kept
                                                                                     : ""});
          }
          switch (on_conflict) {
            case OnConflict::kAsk:
              break;
            case OnConflict::kSkip:
              ++out.skipped;
              break;
            case OnConflict::kReplace: {
              // An abbreviation of another entry of the library stays with that entry.
              const bool foreign = meets_abbreviation && abbreviated->second != existing;
              if (foreign) {
                out.notes.push_back({e.line, e.name,
                                     "Das Kürzel „" + e.abbreviation +
                                         "“ hat ein anderer Eintrag der Bibliothek; der "
                                         "ersetzte Eintrag bleibt ohne Kürzel."});
              }
              replaced.insert(existing);
              take(e, !foreign);
              changes.push_back(ChangeFor(e, existing, !foreign));
              ++out.replaced;
              break;
            }
            case OnConflict::kKeep: {
              const std::string name = add_renamed(e, !meets_abbreviation);
              if (meets_abbreviation) {
                out.notes.push_back({e.line, name,
                                     "Das Kürzel „" + e.abbreviation +
                                         "“ hat schon ein Eintrag der Bibliothek; der neue "
                                         "Eintrag bleibt ohne Kürzel."});
              }
              break;
            }
          }
        }
        // The first entry in the file's order that is written, and its number then.
        int next = static_cast<int>(names.size());
        for (const EntryChange& change : changes) {
          const int number = change.number > 0 ? change.number : ++next;
          if (out.first_number == 0) {
            out.first_number = number;
            out.first_name = change.entry.name;
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
