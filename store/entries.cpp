// Snippet entries of the data file: five fields, one section each, keyed by entry number.
#include "store/entries.h"

#include <algorithm>

#include "platform/portable_code_pages.h"
#include "rich/rich_html.h"
#include "store/abbreviations.h"
#include "store/ini_document.h"
#include "store/stored_text.h"
#include "text/numbers.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

StoredFields FieldsIn(const IniDocument& doc, int number) {
  const std::string key = std::to_string(number);
  return {doc.Find("Text", key).value_or(""), doc.Find("Crypt", key).value_or(""),
          doc.Find("Title", key).value_or(""), doc.Find("DosBox", key).value_or("")};
}

// The fields after `section` is written with `value`, as the file will read it back.
void Apply(StoredFields& fields, const std::string& section, std::string_view value) {
  const std::string read_back(IniDocument::AsReadBack(value));
  if (section == "Text") fields.text = read_back;
  if (section == "Crypt") fields.crypt = read_back;
  if (section == "Title") fields.title = read_back;
  if (section == "DosBox") fields.dosbox = read_back;
}

}  // namespace

std::optional<std::size_t> KnownDelivery(std::string_view text) {
  const std::string wanted = FoldCase(TrimBlanks(text));
  for (std::size_t i = 0; i < kDeliveryNames.size(); ++i) {
    if (FoldCase(kDeliveryNames[i]) == wanted) return i;
  }
  return std::nullopt;
}

EntryLocation LocateEntry(const IniDocument& doc, const EntryKey& key) {
  const std::vector<std::string> names = ReadNumberedList(doc, "Name");
  std::vector<int> named;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == key.name) named.push_back(static_cast<int>(i) + 1);
  }
  const auto at = [&](int n) {
    return EntryLocation{n == key.number ? EntryPlace::kHere : EntryPlace::kMoved, n};
  };
  const bool carries = std::find(named.begin(), named.end(), key.number) != named.end();
  if (key.fields) {
    // Its own number first: among identical copies any one is as good, and that one is ours.
    if (carries && FieldsIn(doc, key.number) == *key.fields) return at(key.number);
    for (int n : named) {
      if (FieldsIn(doc, n) == *key.fields) return at(n);
    }
  }
  // Changed by someone else as well: under its number, or the only one of its name.
  if (carries) return at(key.number);
  if (named.size() == 1) return at(named.front());
  return {named.empty() ? EntryPlace::kGone : EntryPlace::kUnclear, 0};
}

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
  e.delivery = ini_.ReadIniValue(kDeliverySection, key, "", "");
  e.html = ini_.ReadIniValue(kFormatSection, key, "", "");
  if (e.crypt && !e.html.empty()) e.html = ansi_.ToUtf8(CryptText(e.html, false));
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
  e.delivery = doc.Find(kDeliverySection, key).value_or("");
  e.html = doc.Find(kFormatSection, key).value_or("");
  if (e.crypt && !e.html.empty()) e.html = ansi_.ToUtf8(CryptText(e.html, false));
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
  if (!e.html.empty()) {
    // Character references keep the HTML within ASCII, which every code page and the cipher
    // carry.
    const std::string html = e.crypt != 0 ? CryptText(AsciiHtml(e.html), true) : e.html;
    writes.push_back({kFormatSection, key, TextFieldValue(html)});
  }
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

EntryLocation EntryStore::FindEntry(const EntryKey& key, const std::string& data_file,
                                    SnippetEntry* entry, StoredFields* fields) {
  const std::shared_ptr<const IniDocument> doc = ini_.Snapshot(data_file);
  const EntryLocation at = doc ? LocateEntry(*doc, key) : EntryLocation{};
  if (entry) *entry = at.number > 0 ? EntryIn(*doc, at.number) : SnippetEntry{};
  if (fields) *fields = at.number > 0 ? FieldsIn(*doc, at.number) : StoredFields{};
  return at;
}

Status EntryStore::ReadKnownEntry(const EntryKey& key, const std::string& data_file,
                                  SnippetEntry* entry, EntryLocation* where) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>&) {
        const EntryLocation at = LocateEntry(current, key);
        if (where) *where = at;
        if (entry) *entry = at.number > 0 ? EntryIn(current, at.number) : SnippetEntry{};
        return Status::Ok();
      },
      data_file);
}

Status EntryStore::UpdateEntry(const EntryKey& key,
                               const std::vector<std::pair<std::string, std::string>>& fields,
                               const SnippetEntry& whole, const std::string& data_file,
                               EntryLocation* where, StoredFields* after) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        EntryLocation at = LocateEntry(current, key);
        StoredFields result;
        if (at.number > 0) {
          result = FieldsIn(current, at.number);
          const std::string n = std::to_string(at.number);
          for (const auto& [section, value] : fields) {
            // Leaving a box twice (stored before hiding, then the focus goes) writes once.
            if (current.Find(section, n).value_or("") == IniDocument::AsReadBack(value)) continue;
            writes.push_back({section, n, value});
          }
        } else {
          at.number = static_cast<int>(ReadNumberedList(current, "Name").size()) + 1;
          if (Status s = EntryWrites(at.number, whole, writes); !s) return s;
          ClearLeftoverAbbreviation(current, at.number, writes);
          // Fields of sections beyond the five (an abbreviation) are kept as well.
          for (const auto& [section, value] : fields) {
            bool written = false;
            for (IniWrite& w : writes) {
              if (w.section != section) continue;
              w.value = value;
              written = true;
            }
            if (!written) writes.push_back({section, std::to_string(at.number), value});
          }
        }
        for (const IniWrite& w : writes) Apply(result, w.section, w.value);
        if (where) *where = at;
        if (after) *after = result;
        return Status::Ok();
      },
      data_file);
}

Status EntryStore::RemoveEntry(const EntryKey& key, const std::string& data_file,
                               EntryLocation* where, int* moved_from) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        const EntryLocation at = LocateEntry(current, key);
        if (where) *where = at;
        if (at.number == 0) return Status::Ok();
        const int number = at.number;
        const int highest = static_cast<int>(ReadNumberedList(current, "Name").size());
        if (moved_from) *moved_from = highest;
        std::vector<IniWrite> part;
        if (highest != number) {
          if (Status s = EntryWrites(number, EntryIn(current, highest), part); !s) return s;
          writes = part;
        }
        if (Status s = EntryWrites(highest, SnippetEntry{}, part); !s) return s;
        writes.insert(writes.end(), part.begin(), part.end());
        RenumberAbbreviation(current, number, highest, writes);
        return Status::Ok();
      },
      data_file);
}

Status EntryStore::AppendEntry(const SnippetEntry& e, const std::string& data_file, int* number) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        const int n = static_cast<int>(ReadNumberedList(current, "Name").size()) + 1;
        if (number) *number = n;
        if (Status s = EntryWrites(n, e, writes); !s) return s;
        ClearLeftoverAbbreviation(current, n, writes);
        return Status::Ok();
      },
      data_file);
}

Status EntryStore::ApplyChanges(const ChangePlan& plan, const std::string& data_file) {
  return ini_.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        std::vector<EntryChange> changes;
        if (Status s = plan(current, changes); !s) return s;
        int next = static_cast<int>(ReadNumberedList(current, "Name").size()) + 1;
        for (const EntryChange& change : changes) {
          const int number = change.number > 0 ? change.number : next++;
          std::vector<IniWrite> part;
          Status s = EntryWrites(number, change.entry, part);
          if (s && change.number <= 0) ClearLeftoverAbbreviation(current, number, part);
          // An entry written over loses a formatted version it no longer has.
          if (s && change.number > 0 && change.entry.html.empty() &&
              !current.Find(kFormatSection, std::to_string(number)).value_or("").empty()) {
            part.push_back({kFormatSection, std::to_string(number), ""});
          }
          for (const auto& [section, value] : change.beside) {
            part.push_back({section, std::to_string(number), value});
          }
          // Among many entries, the one the file cannot hold is named.
          for (std::size_t w = 0; s && w < part.size() && current.encoding() == IniEncoding::kAnsi;
               ++w) {
            std::string ansi;
            char32_t bad = 0;
            if (!ansi_.FromUtf8(part[w].value, ansi, &bad)) {
              s = Status::Refuse(UnrepresentableMessage(bad, ansi_.Id()));
            }
          }
          if (!s) return Status{s.code, "„" + change.entry.name + "“: " + s.message};
          writes.insert(writes.end(), part.begin(), part.end());
        }
        return Status::Ok();
      },
      data_file);
}

int EntryStore::CountEntries(const std::string& data_file) {
  const std::shared_ptr<const IniDocument> doc = ini_.Snapshot(data_file);
  return doc ? static_cast<int>(ReadNumberedList(*doc, "Name").size()) : 0;
}

}  // namespace qm
