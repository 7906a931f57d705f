#include "quillet/abbrev/keep_out.h"

#include <algorithm>

#include "quillet/send/delivery_rules.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {

std::vector<std::string> ReadKeepOut(const IniDocument* doc) {
  std::vector<std::string> list;
  if (!doc) return list;
  for (const std::string& value : ReadNumberedList(*doc, kKeepOutSection)) {
    const std::string name = TrimBlanks(value);
    if (!name.empty()) list.push_back(name);
  }
  return list;
}

std::vector<IniWrite> WriteKeepOut(const IniDocument* current,
                                   const std::vector<std::string>& list) {
  return NumberedListWrites(current, kKeepOutSection, list);
}

bool AddKeepOut(std::vector<std::string>& list, std::string_view name) {
  std::string trimmed = TrimBlanks(name);
  if (trimmed.empty()) return false;
  const std::string folded = FoldCase(trimmed);
  for (const std::string& kept : list) {
    if (FoldCase(kept) == folded) return false;
  }
  list.push_back(std::move(trimmed));
  return true;
}

bool KeptOut(const std::vector<std::string>& list, std::string_view program_file,
             std::string_view window_class) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& name) {
    return NamesProgramOrClass(name, program_file, window_class);
  });
}

}  // namespace qm
