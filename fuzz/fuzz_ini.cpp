// Fuzzes the data-file parser and its in-place edit: any bytes are some file, and a value
// written into them reads back as written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/portable_code_pages.h"
#include "store/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qm::Windows1252CodePage ansi;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qm::IniDocument doc(bytes, ansi);
  (void)doc.Find("Name", "1");
  (void)doc.Find("a", "b");

  // Names and a value taken from the input's first bytes, kept within what can be written.
  auto pick = [&](std::size_t at, std::size_t len) {
    std::string s;
    for (std::size_t i = at; i < at + len && i < size; ++i) {
      const char c = static_cast<char>(data[i]);
      if (c != '\r' && c != '\n' && c != '\0' && c != ']' && c != '=' && c != ' ' && c != '\t' &&
          c != '\v' && c != '[' && c != ';' && c != '"' && c != '\'')
        s += c;
    }
    return s.empty() ? std::string("k") : s;
  };
  const std::string section = pick(0, 3), key = pick(3, 3), value = pick(6, 5);
  std::string edited, edited_unparsed;
  const bool scanned = qm::IniDocument(bytes, ansi).Edit(section, key, value, edited_unparsed).ok();
  if (doc.Edit(section, key, value, edited)) {
    // The scan that finds the place without the tables agrees with the tables.
    if (!scanned || edited != edited_unparsed) __builtin_trap();
    qm::IniDocument after(edited, ansi);
    const auto got = after.Find(section, key);
    if (!got || *got != value) __builtin_trap();
  }
  return 0;
}
