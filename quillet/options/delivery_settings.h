// The delivery settings as the user sees them: the rules as lines of text with the built-in
// ones named after them, bad rules of the file told once, and the way a listed window would
// get a snippet.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "quillet/send/delivery_rules.h"
#include "store/ini_store.h"

namespace qm {

class IniDocument;

// The user's rules of the file, one per line (CR LF between), as they stand there.
std::string RulesText(const IniDocument* doc);

// What a rule may give, for under the rules: "Eine Zustellung ist „Tippen“, ...".
std::string AllowedDeliveriesText();
// The built-in rules in the order they apply: the program or window class, the delivery.
std::vector<std::pair<std::string, std::string>> BuiltInRuleRows();

// A line of the dialog's text that cannot be a rule: its number (from 1) and why.
struct RuleLineProblem {
  int line = 0;
  std::string text;
  std::string why;
};

// The rules of the dialog's text as they will read back from the file, blank lines left
// out; or the first line that is no rule.
std::optional<RuleLineProblem> ReadRulesText(std::string_view text,
                                             std::vector<std::string>* values);

// What makes section "Regeln" hold exactly `values` as keys 1..N: the keys that differ, and
// the old keys after N emptied, which ends the list there. Nothing where it holds them
// already.
std::vector<IniWrite> RulesWrites(const IniDocument* current,
                                  const std::vector<std::string>& values);

// The message for the bad rules of the file, each named with its key and why; empty where
// there are none.
std::string BadRulesText(const std::vector<DeliveryRuleProblem>& problems);

// Tells the bad rules once: again only when they have changed since they were last told.
class BadRulesNotice {
 public:
  // The message to show now, or nullopt.
  std::optional<std::string> Check(const std::vector<DeliveryRuleProblem>& problems);

 private:
  std::string told_;
};

// "notepad.exe, Notepad: Tippen": the program and class of a window and the way a short
// snippet of no own delivery would reach it.
std::string DeliveryNote(const DeliveryRules& rules, const std::string& program_file,
                         const std::string& window_class);

}  // namespace qm
