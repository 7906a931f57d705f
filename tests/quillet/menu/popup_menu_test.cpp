// The snippet menu's tree in both layouts, its order and groups, and the dispatch on a tag.
#include "quillet/menu/popup_menu.h"

#include <gtest/gtest.h>

#include "platform/portable_code_pages.h"
#include "store/entries.h"
#include "store/ini_document.h"

namespace qm {
namespace {

const Windows1252CodePage kAnsi;

// An ANSI data file whose entries 1, 2, ... carry `names`, stored as the program stores them.
IniDocument Library(const std::vector<std::string>& names) {
  std::string file = "[Name]\r\n", ansi;
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_TRUE(kAnsi.FromUtf8(TextFieldValue(names[i]), ansi, nullptr));
    file += std::to_string(i + 1) + "=" + ansi + "\r\n";
  }
  return IniDocument(file, kAnsi);
}

// One line per item, "caption tag", "*" after the default item, children indented.
std::vector<std::string> Lines(const std::vector<std::string>& names, bool cascading) {
  const IniDocument doc = Library(names);
  std::vector<std::string> lines;
  for (const PopupMenuItem& item : BuildPopupMenu(&doc, cascading)) {
    lines.push_back(item.caption + " " + item.tag + (item.is_default ? "*" : ""));
    for (const PopupMenuItem& child : item.children) {
      lines.push_back("  " + child.caption + " " + child.tag);
    }
  }
  return lines;
}

std::vector<std::string> WithCommands(std::vector<std::string> lines) {
  for (const char* c : {"- -1", "&Öffnen -2*", "&Beenden -3", "&Abbrechen -4"}) lines.push_back(c);
  return lines;
}

TEST(PopupMenu, BothLayoutsAndTheEmptyLibrary) {
  const std::vector<std::string> names = {"beta", "Alpha", "alpha", "Zeta", "42"};
  EXPECT_EQ(Lines(names, false), WithCommands({"42 5", "Alpha 2", "Zeta 4", "alpha 3", "beta 1"}));
  EXPECT_EQ(Lines(names, true), WithCommands({"&0-9 ", "  42 5", "&A ", "  Alpha 2", "  alpha 3",
                                              "&B ", "  beta 1", "&Z ", "  Zeta 4"}));
  EXPECT_EQ(Lines(names, true), Lines(names, true));  // a second build adds nothing
  for (bool cascading : {false, true}) {
    EXPECT_EQ(Lines({}, cascading), WithCommands({}));
    EXPECT_EQ(Lines({""}, cascading), WithCommands({}));
    EXPECT_EQ(BuildPopupMenu(nullptr, cascading).size(), 4u);  // no file
  }
}

TEST(PopupMenu, SortsByCharacterCodeAndEqualNamesByTheirNumberAsText) {
  std::vector<std::string> ten(10, "x");
  ten[1] = ten[9] = "Gleich";
  const struct {
    std::vector<std::string> names, expected;
  } cases[] = {
      {{"Abc", "Ab c", "Ab!", "Ab"}, {"Ab 4", "Ab c 2", "Ab! 3", "Abc 1"}},
      {{"\xC3\xA4pfel", "apfel", "\xC3\x84pfel", "Zebra", "_", "1"},  // äpfel, Äpfel
       {"1 6", "Zebra 4", "_ 5", "apfel 2", "\xC3\x84pfel 3", "\xC3\xA4pfel 1"}},
      {ten, {"Gleich 10", "Gleich 2", "x 1", "x 3", "x 4", "x 5", "x 6", "x 7", "x 8", "x 9"}},
      {{"b", "a", "", "c"}, {"a 2", "b 1"}},  // the first empty name ends the list
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.names, false), WithCommands(c.expected));
}

TEST(PopupMenu, OnlyAsciiLettersHaveAGroupOfTheirOwn) {
  const std::pair<std::string, const char*> cases[] = {
      {"Anna", "&A"},       {"zoe", "&Z"},     {"\xC3\x84rger", "&0-9"},
      {"\xC3\x9F", "&0-9"}, {"@home", "&0-9"}, {"[x]", "&0-9"},
      {"`", "&0-9"},        {"{", "&0-9"},     {" Anna", "&0-9"},
      {"7 Zwerge", "&0-9"}};
  for (const auto& [name, group] : cases) {
    EXPECT_EQ(Lines({name}, true), WithCommands({std::string(group) + " ", "  " + name + " 1"}));
  }
}

// Whatever the layout, an entry's item sends the entry of that name, each entry once.
TEST(PopupMenu, EveryEntryItemSendsItsOwnEntry) {
  const std::vector<std::string> names = {"Gru\xC3\x9F", "a", "Gru\xC3\x9F", "-",  "R&D",
                                          "a\0037",      "A", "a",           "10", "a\003"};
  const IniDocument doc = Library(names);
  for (bool cascading : {false, true}) {
    const PopupMenu menu = BuildPopupMenu(&doc, cascading);
    std::vector<const PopupMenuItem*> items;
    int separators = 0;
    for (const PopupMenuItem& item : menu) {
      separators += item.IsSeparator();
      items.push_back(&item);
      for (const PopupMenuItem& child : item.children) items.push_back(&child);
    }
    EXPECT_EQ(separators, 1);  // the entry named "-" is none
    std::vector<int> sent(names.size() + 1);
    for (const PopupMenuItem* item : items) {
      // The send gets the name with the number, to check the file against both.
      const MenuAction a = ActionFor(menu, item->tag);
      if (a.command != MenuCommand::kSendEntry) continue;
      ASSERT_LE(a.entry, static_cast<int>(names.size()));
      EXPECT_EQ(item->caption, names[a.entry - 1]);
      EXPECT_EQ(a.entry_name, names[a.entry - 1]);
      ++sent[a.entry];
    }
    std::vector<int> once(names.size() + 1, 1);
    once[0] = 0;
    EXPECT_EQ(sent, once);
    EXPECT_EQ(ActionFor(menu, "99"), MenuAction{});  // no such item: no entry to send
  }
}

// The icon's menu: the pause item goes before "&Beenden"; nothing else moves.
TEST(PopupMenu, AbbreviationPauseItem) {
  for (const bool paused : {false, true}) {
    const PopupMenu plain = BuildPopupMenu({"b", "a"}, false);
    PopupMenu menu = plain;
    AddAbbreviationPause(menu, paused);
    ASSERT_EQ(menu.size(), plain.size() + 1);
    EXPECT_EQ(menu[4].caption, paused ? kCaptionResumeAbbreviations : kCaptionPauseAbbreviations);
    EXPECT_EQ(menu[4].tag, paused ? "-6" : "-5");
    menu.erase(menu.begin() + 4);
    for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(menu[i].caption, plain[i].caption);
  }
}

TEST(PopupMenu, ActionOfATag) {
  const MenuAction none{}, open{MenuCommand::kShowMainWindow}, quit{MenuCommand::kQuit};
  auto send = [](int n) { return MenuAction{MenuCommand::kSendEntry, n}; };
  const MenuAction pause{MenuCommand::kPauseAbbreviations},
      resume{MenuCommand::kResumeAbbreviations};
  const std::pair<const char*, MenuAction> cases[] = {{"1", send(1)},    {"32767", send(32767)},
                                                      {"32768", none},   {"99999999999", none},
                                                      {"-2", open},      {"-3", quit},
                                                      {"-1", none},      {"-4", none},
                                                      {"0", none},       {"", none},
                                                      {"7abc", send(7)}, {"2.5", send(2)},
                                                      {"-5", pause},     {"-6", resume},
                                                      {"-7", none}};
  for (const auto& [tag, action] : cases) EXPECT_EQ(ActionFor(tag), action) << '"' << tag << '"';
}

}  // namespace
}  // namespace qm
