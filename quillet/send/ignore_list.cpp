// The window titles that are never taken as a target.
#include "quillet/send/ignore_list.h"

#include <iterator>

#include "text/utf.h"
#include "store/ini_document.h"

namespace qm {

Status IgnoreList::Load(IniStore& ini, const std::string& data_file) {
  const std::shared_ptr<const IniDocument> doc = ini.Snapshot(data_file);
  // A file that cannot be read now is no file without titles: the list stays as it was,
  // and no default goes over the user's titles.
  if (!doc && ini.LastReach() != FileReach::kMissing) {
    return Status::Fail(UnreadableFileText(data_file, ini.LastReach()));
  }
  Keep(doc ? ReadNumberedList(*doc, "Ignore") : std::vector<std::string>());
  if (titles_.size() > 1) return Status::Ok();
  // Under the lock, in the file as it is then: another program may have written titles
  // meanwhile, and a hand edit may have left some behind an empty first number.
  const Status s = ini.UpdateIniValues(
      [](const IniDocument& current, std::vector<IniWrite>& writes) {
        if (!ReadNumberedList(current, "Ignore").empty()) return Status::Ok();
        int n = 1;
        for (const char* title : kDefaultIgnoredTitles) {
          while (!current.Find("Ignore", std::to_string(n)).value_or("").empty()) ++n;
          writes.push_back({"Ignore", std::to_string(n++), title});
        }
        return Status::Ok();
      },
      data_file);
  const std::shared_ptr<const IniDocument> now = s ? ini.Snapshot(data_file) : nullptr;
  Keep(now ? ReadNumberedList(*now, "Ignore")
           : std::vector<std::string>(std::begin(kDefaultIgnoredTitles),
                                      std::end(kDefaultIgnoredTitles)));
  return s;
}

void IgnoreList::Keep(std::vector<std::string> titles) {
  Clear();
  joined_folded_.clear();
  for (std::string& title : titles) {
    joined_folded_ += '\t' + FoldCase(title);
    titles_.push_back(std::move(title));
  }
}

Status IgnoreList::Add(IniStore& ini, const std::string& data_file, const std::string& title) {
  // Numbered in the file under its lock: another machine may add a title at the same moment,
  // and the list in memory may be older than the file.
  std::vector<std::string> titles;
  const Status s = ini.UpdateIniValues(
      [&](const IniDocument& current, std::vector<IniWrite>& writes) {
        titles = ReadNumberedList(current, "Ignore");
        writes.push_back({"Ignore", std::to_string(titles.size() + 1), title});
        titles.push_back(title);
        return Status::Ok();
      },
      data_file);
  if (s) Keep(std::move(titles));
  return s;
}

bool IgnoreList::Ignores(const std::string& window_title) const {
  return joined_folded_.find(FoldCase(window_title)) != std::string::npos;
}

}  // namespace qm
