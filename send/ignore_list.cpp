// The window titles that are never taken as a target.
#include "send/ignore_list.h"

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
  Clear();
  joined_folded_.clear();
  if (doc) {
    for (int i = 1;; ++i) {
      std::string title = doc->Find("Ignore", std::to_string(i)).value_or("");
      if (title.empty()) break;
      joined_folded_ += '\t' + FoldCase(title);
      titles_.push_back(std::move(title));
    }
  }
  if (titles_.size() > 1) return Status::Ok();
  for (const char* title : kDefaultIgnoredTitles) {
    if (Status s = Add(ini, data_file, title); !s) return s;
  }
  return Status::Ok();
}

Status IgnoreList::Add(IniStore& ini, const std::string& data_file, const std::string& title) {
  titles_.push_back(title);
  joined_folded_ += '\t' + FoldCase(title);
  return ini.WriteIniValue("Ignore", std::to_string(titles_.size() - 1), title, data_file);
}

bool IgnoreList::Ignores(const std::string& window_title) const {
  return joined_folded_.find(FoldCase(window_title)) != std::string::npos;
}

}  // namespace qm
