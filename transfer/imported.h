// What an importer reads from another tool's file, before it goes into the library, and the
// report of what it could not carry over as it was.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

struct ImportedEntry {
  std::string name;
  std::string text;  // plain: CR for Enter, TAB for Tab
  std::string abbreviation;
  bool at_once = false;
  std::string title;
  bool dosbox = false;
  bool crypt = false;
  std::string delivery;  // as the library stores it; empty: by the rules
  std::size_t line = 0;  // where the entry starts in its file
  std::string html = {};  // the formatted version (rich/rich_html.h's HTML); empty: plain
};

// One line of the report: where, which entry (empty for the file as a whole), and what.
struct ImportNote {
  std::size_t line = 0;
  std::string entry;
  std::string what;
};

struct ImportResult {
  std::vector<ImportedEntry> entries;
  std::vector<ImportNote> notes;
};

}  // namespace qm
