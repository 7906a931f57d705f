// What an import read, as one line of text per note and per entry, for the tests of every
// reader to compare against.
#pragma once

#include <string>

#include "transfer/imported.h"

namespace qm {

// "line name: what" for each note, one a line.
inline std::string Notes(const ImportResult& r) {
  std::string out;
  for (const ImportNote& n : r.notes)
    out += std::to_string(n.line) + " " + n.entry + ": " + n.what + "\n";
  return out;
}

// Every field of an entry but its line, "|" between them.
inline std::string Fields(const ImportedEntry& e) {
  const auto flag = [](bool on) { return on ? "1" : "0"; };
  return e.name + "|" + e.text + "|" + e.abbreviation + "|" + flag(e.at_once) + "|" + e.title +
         "|" + flag(e.dosbox) + "|" + flag(e.crypt) + "|" + e.delivery;
}


}  // namespace qm
