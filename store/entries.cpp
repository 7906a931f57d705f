// Snippet entries of the data file: five fields, one section each, keyed by entry number.
#include "store/entries.h"

#include "common/helpers.h"
#include "platform/portable_code_pages.h"
#include "store/stored_text.h"

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

Status EntryStore::WriteEntry(int number, const SnippetEntry& e, const std::string& data_file) {
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
  return ini_.WriteIniValues({{"Name", key, e.name},
                              {"Crypt", key, std::to_string(e.crypt)},
                              {"Text", key, stored},
                              {"Title", key, e.title},
                              {"DosBox", key, std::to_string(e.dosbox)}},
                             data_file);
}

int EntryStore::CountEntries(const std::string& data_file) {
  int n = 0;
  while (!ini_.ReadIniValue("Name", std::to_string(n + 1), "", data_file).empty()) ++n;
  return n;
}

}  // namespace qm
