// The snippet popup menu as a plain tree, built from the data file, and what a chosen item does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/abbreviations.h"
#include "store/ini_store.h"

namespace qm {

class IniDocument;

// Tags of the items that are not entries; an entry's tag is its number, 1 and up.
inline constexpr int kTagSeparator = -1;
inline constexpr int kTagOpen = -2;
inline constexpr int kTagQuit = -3;
inline constexpr int kTagCancel = -4;
inline constexpr int kTagPauseAbbreviations = -5;
inline constexpr int kTagResumeAbbreviations = -6;

inline constexpr const char* kCaptionOpen = "&Öffnen";
inline constexpr const char* kCaptionQuit = "&Beenden";
inline constexpr const char* kCaptionCancel = "&Abbrechen";
inline constexpr const char* kCaptionPauseAbbreviations = "Kürzel &pausieren (15 Minuten)";
// Not "&aktivieren": "&Abbrechen" has the A.
inline constexpr const char* kCaptionResumeAbbreviations = "Kürzel wieder &einschalten";
inline constexpr const char* kCaptionDigits = "&0-9";  // the group of every non-letter name

struct PopupMenuItem {
  // Shown as it is: "&" marks the access key, as in every menu of the program. An entry
  // named "-" stays an entry; only the separator's tag makes a separator. An entry's caption
  // is its name as the file gives it, which a send checks against the file.
  std::string caption;
  // The entry number as decimal text, "-1" to "-4" for the separator and the commands, or
  // empty for a group header of the cascading menu.
  std::string tag;
  bool is_default = false;              // "&Öffnen", drawn in bold
  std::vector<PopupMenuItem> children;  // the entries of a group header

  bool IsSeparator() const { return tag == "-1"; }
  bool IsGroup() const { return tag.empty(); }
};

// The top-level items of the menu, in order.
using PopupMenu = std::vector<PopupMenuItem>;

// Flat: every entry, sorted, then a separator, "&Öffnen" (the default), "&Beenden" and
// "&Abbrechen". Cascading: the groups "&0-9", "&A" ... "&Z" that hold entries, in that order,
// each with its entries sorted, then the separator and the three commands. The names are
// "Name" 1, 2, ... of `doc` up to the first empty one; a null `doc` (no file) is an empty
// library, which gives just the separator and the commands.
//
// The sort compares character codes: upper case before lower case, a name before every
// longer name that begins with it, and equal names by their number as text ("10" before "2").
PopupMenu BuildPopupMenu(const IniDocument* doc, bool cascading);
// The same from the names of entries 1, 2, ... in number order, however they were read.
PopupMenu BuildPopupMenu(std::vector<std::string> names, bool cascading);
// The same from one look at the data file, so that the names cannot come from two versions
// of it while another program writes it.
PopupMenu BuildPopupMenu(IniStore& ini, const std::string& data_file, bool cascading);

// The icon's menu (not the strip's): the item that pauses abbreviations, or while they are
// paused the one that resumes them, before "&Beenden". The entries stay as they were.
void AddAbbreviationPause(PopupMenu& menu, bool paused);

// The leading number of a tag, 0 when there is none (a group header's empty tag); rounded to
// an integer as every number in the data file is.
int TagValue(std::string_view tag);

enum class MenuCommand {
  kNothing,
  kSendEntry,
  kShowMainWindow,
  kQuit,
  kPauseAbbreviations,
  kResumeAbbreviations
};

struct MenuAction {
  MenuCommand command = MenuCommand::kNothing;
  int entry = 0;                // for kSendEntry
  std::string entry_name = {};  // its name as the menu showed it; the send checks both

  friend bool operator==(const MenuAction& a, const MenuAction& b) {
    return a.command == b.command && a.entry == b.entry && a.entry_name == b.entry_name;
  }
  friend bool operator!=(const MenuAction& a, const MenuAction& b) { return !(a == b); }
};

// What choosing an item with `tag` does: send entry n for a value n of 1 and up, show the
// main window for -2, quit for -3, pause or resume abbreviations for -5 and -6, and nothing for the
// separator, "&Abbrechen" and a group header. Entry numbers are 16-bit: a value above 32767 names
// no entry and does nothing, rather than wrap around onto another entry's number.
MenuAction ActionFor(std::string_view tag);
// The same for the item of `menu` with `tag`, whose caption, an entry's name, the send gets
// with its number: the file may have changed since the menu was built.
MenuAction ActionFor(const PopupMenu& menu, std::string_view tag);

}  // namespace qm
