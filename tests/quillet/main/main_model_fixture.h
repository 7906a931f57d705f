// A main window's model over the fake services and a fake window, with a library of
// named entries: what the tests of the main window and of import and export start from.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "quillet/main/glyph_text.h"
#include "quillet/main/main_model.h"
#include "tests/fakes/fake_main_view.h"
#include "tests/fakes/fake_services.h"

namespace qm {

const std::string kFile = "C:\\Q\\Quillet.ini";

// Names are trimmed of blanks when typed, nothing else.
inline std::string TrimBlanksForTest(std::string s) {
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}
const std::string E = kEnterGlyphUtf8;

class MainModelTest : public testing::Test, protected FakeServices {
 protected:
  FakeMainView view;
  std::string data_file = kFile;
  MainModel model{main_services(), view, data_file};

  // Entries 1..n with the given names; each text is "text of <name>".
  void Library(const std::vector<std::string>& names) {
    std::vector<std::pair<int, SnippetEntry>> all;
    for (std::size_t i = 0; i < names.size(); ++i) {
      all.push_back(
          {static_cast<int>(i) + 1, SnippetEntry{names[i], "text of " + names[i], "", 0, 0}});
    }
    ASSERT_TRUE(entries.WriteEntries(all, data_file));
    Load();
  }
  void Load() {
    view.ListClear();
    model.LoadEntryList();
    model.UpdateControlStates();
  }
  void Select(const std::string& name) {
    for (int i = 0; i < view.ListCount(); ++i) {
      if (view.ListText(i) == name) view.ListSelect(i);
    }
    model.OnListClick();
  }
  std::string Value(const char* section, const char* key) {
    return ini.ReadIniValue(section, key, "<none>", data_file);
  }
  // Name -> text of every entry, as a fresh start would read them.
  std::map<std::string, std::string> Reloaded() {
    std::map<std::string, std::string> out;
    for (int n = 1; n <= entries.CountEntries(data_file); ++n) {
      const SnippetEntry e = entries.ReadEntry(n, data_file);
      out[e.name] = e.text;
    }
    return out;
  }
};


}  // namespace qm
