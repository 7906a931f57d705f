// The snippet popup menu as a plain tree, built from the data file, and what a chosen item does.
#include "quillet/menu/popup_menu.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "store/ini_document.h"
#include "text/numbers.h"
#include "text/text_lists.h"

namespace qm {
namespace {

constexpr char kNameNumberDelimiter = '\x03';

struct NamedEntry {
  std::string name;
  std::string number;
};

// Joined with a character below every printable one, so that one plain sort orders the
// names and, among equal names, the numbers as text.
std::vector<NamedEntry> SortedEntries(std::vector<std::string> joined) {
  for (std::size_t i = 0; i < joined.size(); ++i) {
    joined[i] += kNameNumberDelimiter + std::to_string(i + 1);
  }
  SortStrings(joined, SortOrder::kCharacterCodes);
  std::vector<NamedEntry> entries;
  entries.reserve(joined.size());
  for (std::string& text : joined) {
    // The number never holds the delimiter, a name might: the last one is ours.
    const std::size_t at = text.rfind(kNameNumberDelimiter);
    entries.push_back({text.substr(0, at), text.substr(at + 1)});
  }
  return entries;
}

// 0 for "&0-9", 1 to 26 for "&A" to "&Z". Only the ASCII letters have a group: an umlaut
// or any other letter goes with the digits.
int GroupOf(const std::string& name) {
  const char c = name.empty() ? '\0' : name[0];
  if (c >= 'A' && c <= 'Z') return c - 'A' + 1;
  if (c >= 'a' && c <= 'z') return c - 'a' + 1;
  return 0;
}

std::string GroupCaption(int group) {
  return group == 0 ? std::string(kCaptionDigits) : std::string{'&', char('A' + group - 1)};
}

PopupMenuItem Item(std::string caption, std::string tag) {
  PopupMenuItem item;
  item.caption = std::move(caption);
  item.tag = std::move(tag);
  return item;
}

void AppendCommands(PopupMenu& menu) {
  menu.push_back(Item("-", std::to_string(kTagSeparator)));
  menu.push_back(Item(kCaptionOpen, std::to_string(kTagOpen)));
  menu.back().is_default = true;
  menu.push_back(Item(kCaptionQuit, std::to_string(kTagQuit)));
  menu.push_back(Item(kCaptionCancel, std::to_string(kTagCancel)));
}

}  // namespace

PopupMenu BuildPopupMenu(const IniDocument* doc, bool cascading) {
  return BuildPopupMenu(doc ? ReadNumberedList(*doc, "Name") : std::vector<std::string>(),
                        cascading);
}

PopupMenu BuildPopupMenu(std::vector<std::string> names, bool cascading) {
  std::vector<NamedEntry> entries = SortedEntries(std::move(names));
  PopupMenu menu;
  if (!cascading) {
    menu.reserve(entries.size() + 4);
    for (NamedEntry& e : entries) menu.push_back(Item(std::move(e.name), std::move(e.number)));
  } else {
    std::array<PopupMenuItem, 27> groups;
    for (int g = 0; g < 27; ++g) groups[g].caption = GroupCaption(g);
    for (NamedEntry& e : entries) {
      groups[GroupOf(e.name)].children.push_back(Item(std::move(e.name), std::move(e.number)));
    }
    for (PopupMenuItem& group : groups) {
      if (!group.children.empty()) menu.push_back(std::move(group));
    }
  }
  AppendCommands(menu);
  return menu;
}

PopupMenu BuildPopupMenu(IniStore& ini, const std::string& data_file, bool cascading) {
  const std::shared_ptr<const IniDocument> doc = ini.Snapshot(data_file);
  return BuildPopupMenu(doc.get(), cascading);
}

void AddAbbreviationPause(PopupMenu& menu, bool paused) {
  const std::string quit = std::to_string(kTagQuit);
  auto at = menu.begin();
  while (at != menu.end() && at->tag != quit) ++at;
  menu.insert(at, paused
                      ? Item(kCaptionResumeAbbreviations, std::to_string(kTagResumeAbbreviations))
                      : Item(kCaptionPauseAbbreviations, std::to_string(kTagPauseAbbreviations)));
}

int TagValue(std::string_view tag) {
  return NumericValue(tag);
}

MenuAction ActionFor(std::string_view tag) {
  const int n = TagValue(tag);
  if (n > std::numeric_limits<std::int16_t>::max()) return {};
  if (n >= 1) return {MenuCommand::kSendEntry, n};
  if (n == kTagOpen) return {MenuCommand::kShowMainWindow, 0};
  if (n == kTagQuit) return {MenuCommand::kQuit, 0};
  if (n == kTagPauseAbbreviations) return {MenuCommand::kPauseAbbreviations, 0};
  if (n == kTagResumeAbbreviations) return {MenuCommand::kResumeAbbreviations, 0};
  return {};
}

namespace {

const PopupMenuItem* ItemWithTag(const PopupMenu& items, std::string_view tag) {
  for (const PopupMenuItem& item : items) {
    if (!item.IsGroup() && item.tag == tag) return &item;
    if (const PopupMenuItem* found = ItemWithTag(item.children, tag)) return found;
  }
  return nullptr;
}

}  // namespace

MenuAction ActionFor(const PopupMenu& menu, std::string_view tag) {
  MenuAction action = ActionFor(tag);
  if (action.command == MenuCommand::kSendEntry) {
    const PopupMenuItem* item = ItemWithTag(menu, tag);
    if (!item) return {};
    action.entry_name = item->caption;
  }
  return action;
}

}  // namespace qm
