// Taking entries out of the library for an export.
#include "transfer/library_export.h"

#include <map>

#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"

namespace qm {

Status CollectEntries(EntryStore& store, const std::string& data_file,
                      const std::vector<int>& numbers, bool decipher,
                      std::vector<ImportedEntry>* entries, ExportOutcome* outcome) {
  ExportOutcome out;
  entries->clear();
  const std::shared_ptr<const IniDocument> doc = store.Snapshot(data_file);
  if (!doc) return Status::Fail("Die Datendatei „" + data_file + "“ kann nicht gelesen werden.");
  const int count = static_cast<int>(ReadNumberedList(*doc, "Name").size());
  std::map<int, Abbreviation> abbreviations;
  for (const Abbreviation& a : ReadAbbreviations(*doc)) abbreviations.emplace(a.number, a);

  std::vector<int> wanted = numbers;
  if (wanted.empty()) {
    for (int n = 1; n <= count; ++n) wanted.push_back(n);
  }
  for (int number : wanted) {
    if (number < 1 || number > count) {
      out.notes.push_back({static_cast<std::size_t>(number > 0 ? number : 0), "",
                           "Diesen Eintrag gibt es nicht mehr; er wird übergangen."});
      continue;
    }
    const SnippetEntry stored = store.EntryIn(*doc, number);
    if (stored.crypt && !decipher) {
      out.notes.push_back({static_cast<std::size_t>(number), stored.name,
                           "Der Eintrag ist chiffriert und wird ohne Ihre Zustimmung nicht "
                           "entschlüsselt ausgegeben; er fehlt in der Ausgabe."});
      ++out.left_out;
      continue;
    }
    ImportedEntry e;
    e.name = stored.name;
    e.text = UnescapeStoredText(stored.text);
    e.title = stored.title;
    e.crypt = stored.crypt != 0;
    e.dosbox = stored.dosbox != 0;
    e.delivery = stored.delivery;
    e.html = UnescapeStoredText(stored.html);
    e.line = static_cast<std::size_t>(number);
    if (const auto a = abbreviations.find(number); a != abbreviations.end()) {
      e.abbreviation = a->second.text;
      e.at_once = a->second.at_once;
    }
    entries->push_back(std::move(e));
    ++out.written;
  }
  if (outcome) *outcome = std::move(out);
  return Status::Ok();
}

}  // namespace qm
