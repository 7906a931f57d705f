// Snippet entries of the data file: five fields, one section each, keyed by entry number.
#include "store/entries.h"

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"

namespace qm {

SnippetEntry EntryStore::ReadEntry(int number, const std::string& data_file) {
  const std::string key = std::to_string(number);
  SnippetEntry e;
  e.name = ini_.ReadIniValue("Name", key, "", data_file);
  e.crypt = NumericValue(ini_.ReadIniValue("Crypt", key, "", "")) != 0 ? 1 : 0;
  e.text = ini_.ReadIniValue("Text", key, "", "");
  if (e.crypt) {
    // The stored form is all hex digits; what it deciphers to are ANSI character codes.
    e.text = ansi_.ToUtf8(CryptText(e.text, false));
  }
  e.title = ini_.ReadIniValue("Title", key, "", "");
  e.dosbox = NumericValue(ini_.ReadIniValue("DosBox", key, "", "")) != 0 ? 1 : 0;
  return e;
}

SnippetEntry EntryStore::EntryIn(const IniDocument& doc, int number) const {
  const std::string key = std::to_string(number);
  SnippetEntry e;
  e.name = doc.Find("Name", key).value_or("");
  e.crypt = NumericValue(doc.Find("Crypt", key).value_or("")) != 0 ? 1 : 0;
  e.text = doc.Find("Text", key).value_or("");
  if (e.crypt) e.text = ansi_.ToUtf8(CryptText(e.text, false));
  e.title = doc.Find("Title", key).value_or("");
  e.dosbox = NumericValue(doc.Find("DosBox", key).value_or("")) != 0 ? 1 : 0;
  return e;
}

std::string TextFieldValue(std::string_view stored_form) {
  if (IniDocument::AsReadBack(stored_form) == stored_form) return std::string(stored_form);
  return "\"" + std::string(stored_form) + "\"";
}

Status EntryStore::EntryWrites(int number, const SnippetEntry& e, std::vector<IniWrite>& writes) {
  const std::string key = std::to_string(number);
  std::string stored = e.text;
  if (e.crypt != 0) {
    std::string ansi;
    char32_t bad = 0;
    if (!ansi_.FromUtf8(e.text, ansi, &bad)) {
      return Status::Refuse(UnrepresentableMessage(bad, ansi_.Id()));
    }
    stored = CryptText(ansi, true);
  }
  writes = {{"Name", key, TextFieldValue(e.name)},
            {"Crypt", key, std::to_string(e.crypt)},
            {"Text", key, TextFieldValue(stored)},
            {"Title", key, TextFieldValue(e.title)},
            {"DosBox", key, std::to_string(e.dosbox)}};
  return Status::Ok();
}

Status EntryStore::WriteEntry(int number, const SnippetEntry& e, const std::string& data_file) {
  std::vector<IniWrite> writes;
  if (Status s = EntryWrites(number, e, writes); !s) return s;
  return ini_.WriteIniValues(writes, data_file);
}

Status EntryStore::WriteEntries(const std::vector<std::pair<int, SnippetEntry>>& entries,
                                const std::string& data_file) {
  std::vector<IniWrite> all;
  for (const auto& [number, e] : entries) {
    std::vector<IniWrite> writes;
    if (Status s = EntryWrites(number, e, writes); !s) return s;
    all.insert(all.end(), writes.begin(), writes.end());
  }
  return ini_.WriteIniValues(all, data_file);
}

Status EntryStore::RemoveEntry(int number, const std::string& name, const std::string& data_file,
                               int* moved_from) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        const std::vector<std::string> names = ReadNumberedList(current, "Name");
        const int highest = static_cast<int>(names.size());
        // The caller's list shows the name as it was typed, the file as it reads back.
        if (number < 1 || number > highest || names[number - 1] != IniDocument::AsReadBack(name)) {
          return Status::Refuse("Der Eintrag „" + name +
                                "“ steht nicht mehr unter seiner Nummer in der Datendatei; ein "
                                "anderes Programm hat sie geändert. Es wurde nichts gelöscht.");
        }
        if (moved_from) *moved_from = highest;
        std::vector<IniWrite> part;
        if (highest != number) {
          if (Status s = EntryWrites(number, EntryIn(current, highest), part); !s) return s;
          writes = part;
        }
        if (Status s = EntryWrites(highest, SnippetEntry{}, part); !s) return s;
        writes.insert(writes.end(), part.begin(), part.end());
        return Status::Ok();
      },
      data_file);
}

Status EntryStore::AppendEntry(const SnippetEntry& e, const std::string& data_file, int* number) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        const int n = static_cast<int>(ReadNumberedList(current, "Name").size()) + 1;
        if (number) *number = n;
        return EntryWrites(n, e, writes);
      },
      data_file);
}

int EntryStore::CountEntries(const std::string& data_file) {
  const std::shared_ptr<const IniDocument> doc = ini_.Snapshot(data_file);
  return doc ? static_cast<int>(ReadNumberedList(*doc, "Name").size()) : 0;
}

}  // namespace qm
