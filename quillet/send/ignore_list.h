// The window titles that are never taken as a target, kept in the data file's "Ignore" section.
#pragma once

#include <string>
#include <vector>

#include "platform/status.h"
#include "store/ini_store.h"

namespace qm {

inline constexpr const char* kDefaultIgnoredTitles[] = {"DFÜ-Netzwerkmonitor",
                                                        "Microsoft Office Shortcut-Leiste"};

class IgnoreList {
 public:
  // Slot 0 always holds the empty text; the titles follow in the file's order.
  const std::vector<std::string>& titles() const { return titles_; }
  void Clear() { titles_.assign(1, std::string()); }

  // Reads the list; an empty section gets the two default titles, written to the file under
  // the first free numbers, never over a title. A file that cannot be read keeps the list as
  // it was and writes nothing.
  Status Load(IniStore& ini, const std::string& data_file);
  // Appends a title in memory and in the file under the next number.
  Status Add(IniStore& ini, const std::string& data_file, const std::string& title);

  // Whether a window title is ignored: it equals an ignored title or is a part of one,
  // letter case ignored.
  bool Ignores(const std::string& window_title) const;

 private:
  void Keep(std::vector<std::string> titles);

  std::vector<std::string> titles_{std::string()};
  std::string joined_folded_;  // all slots joined with tabs, folded, for Ignores
};

}  // namespace qm
