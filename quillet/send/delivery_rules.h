// Which way a snippet reaches a window: typed, as the layout's keys, or pasted with the key
// that the target pastes with; chosen by rules on the window's program and class.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ini_store.h"

namespace qm {

class IniDocument;

enum class Delivery {
  kType,              // "Tippen": Unicode key events
  kKeys,              // "Tasten": the keys of the target's keyboard layout
  kPaste,             // "Einfügen": Ctrl+V
  kPasteCtrlShiftV,   // "Einfügen Strg+Umschalt+V"
  kPasteShiftInsert,  // "Einfügen Umschalt+Einfg"
  kConsole,           // "Konsole": the classic console's system menu
};

// The stored word for a delivery, and back (letter case and blanks around it ignored).
std::string DeliveryName(Delivery d);
std::optional<Delivery> ParseDelivery(std::string_view text);

struct DeliveryRule {
  std::string pattern;  // a program's file name ("mstsc.exe") or a window class, whole
  Delivery delivery = Delivery::kType;
};

// A rule of the file that cannot be used, and why, for the user to be told.
struct DeliveryRuleProblem {
  int number = 0;  // its key in the section
  std::string value;
  std::string why;
};

struct DeliveryRules {
  std::vector<DeliveryRule> rules;  // the user's first, then the built-in ones
  std::vector<DeliveryRuleProblem> problems;
};

// The remote desktops, virtual machines, consoles and terminals that typing serves badly.
const std::vector<DeliveryRule>& BuiltInDeliveryRules();

// One rule as stored, "PATTERN;DELIVERY": nullopt when it reads into `rule`, else why it
// cannot be used (a German sentence for the user).
std::optional<std::string> ParseDeliveryRule(std::string_view value, DeliveryRule* rule);

// Section "Regeln", keys 1, 2, ... as far as they run, each "PATTERN;DELIVERY"; a rule that
// cannot be read is left out and named in `problems`. A null document has the built-in ones.
DeliveryRules ReadDeliveryRules(const IniDocument* doc);

// Section "Common", key "EinfuegenAb": from this many characters on (after the placeholders) a
// window that no rule names gets the text pasted instead of typed; 0 is never. A missing or
// unreadable value, or a null document, is the default.
inline constexpr std::size_t kDefaultPasteFrom = 500;
std::size_t PasteFrom(const IniDocument* doc);
// The threshold as written: digits only, at most nine, blanks around them ignored.
std::optional<std::size_t> ParsePasteFrom(std::string_view text);
IniWrite PasteFromWrite(std::size_t chars);

// Whether the delivery goes through the clipboard.
bool Pastes(Delivery d);

// What decides a send's delivery besides the window.
struct DeliveryWish {
  std::string forced;  // the entry's own ("Tippen", "Tasten", "Einfügen"); empty: none
  bool dosbox = false;  // the entry's DOS-box flag: "Einfügen"
  std::size_t chars = 0;
  std::size_t paste_from = kDefaultPasteFrom;
  bool formatted = false;  // the entry has a formatted version, which only a paste carries
};

// The delivery a window gets. An entry's own delivery comes first (an unreadable one counts
// as none), then its DOS-box flag as "Einfügen", then the first rule that names the window,
// then pasting for a formatted entry or from `paste_from` characters on, else typing. "Einfügen" pastes with the key
// that a rule gives the window where one gives a paste key (a console's system menu, a
// terminal's keys), else with Ctrl+V.
Delivery ChooseDelivery(const DeliveryRules& rules, std::string_view program_file,
                        std::string_view window_class, const DeliveryWish& wish);

// Whether `pattern` names the window's program file (without its folder) or its class, whole,
// letter case ignored.
bool NamesProgramOrClass(std::string_view pattern, std::string_view program_file,
                         std::string_view window_class);

// The first rule whose pattern names the window's program or class (NamesProgramOrClass);
// nullopt where none matches.
std::optional<Delivery> MatchDelivery(const DeliveryRules& rules, std::string_view program_file,
                                      std::string_view window_class);

}  // namespace qm
