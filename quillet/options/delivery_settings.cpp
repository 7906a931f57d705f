// The delivery settings as the user sees them.
#include "quillet/options/delivery_settings.h"

#include "store/entries.h"
#include "store/ini_document.h"

namespace qm {
namespace {

constexpr const char* kRulesSection = "Regeln";

}  // namespace

std::string RulesText(const IniDocument* doc) {
  std::string out;
  if (!doc) return out;
  for (const std::string& value : ReadNumberedList(*doc, kRulesSection)) {
    if (!out.empty()) out += "\r\n";
    out += value;
  }
  return out;
}

std::string AllowedDeliveriesText() {
  std::string out = "Eine Zustellung ist ";
  for (std::size_t i = 0; i < kDeliveryNames.size(); ++i) {
    out += std::string(i == 0 ? "" : i + 1 == kDeliveryNames.size() ? " oder " : ", ") + "„" +
           kDeliveryNames[i] + "“";
  }
  return out + ". Nach Ihren Regeln gelten die eingebauten.";
}

std::vector<std::pair<std::string, std::string>> BuiltInRuleRows() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const DeliveryRule& rule : BuiltInDeliveryRules()) {
    rows.emplace_back(rule.pattern, DeliveryName(rule.delivery));
  }
  return rows;
}

std::optional<RuleLineProblem> ReadRulesText(std::string_view text,
                                             std::vector<std::string>* values) {
  values->clear();
  int line = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    // What the file gives back: blanks and one pair of quotes around it go.
    const std::string value(IniDocument::AsReadBack(text.substr(start, end - start)));
    if (!value.empty()) {
      DeliveryRule rule;
      if (std::optional<std::string> why = ParseDeliveryRule(value, &rule)) {
        return RuleLineProblem{line, value, std::move(*why)};
      }
      values->push_back(value);
    }
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return std::nullopt;
}

std::vector<IniWrite> RulesWrites(const IniDocument* current,
                                  const std::vector<std::string>& values) {
  return NumberedListWrites(current, kRulesSection, values);
}

std::string BadRulesText(const std::vector<DeliveryRuleProblem>& problems) {
  if (problems.empty()) return {};
  std::string out = problems.size() == 1
                        ? "Eine Regel der Zustellung in der Datendatei kann nicht gelten und "
                          "wird übergangen:"
                        : "Diese Regeln der Zustellung in der Datendatei können nicht gelten und "
                          "werden übergangen:";
  for (const DeliveryRuleProblem& p : problems) {
    out += "\r\n\r\nRegel " + std::to_string(p.number) + " „" + p.value + "“: " + p.why;
  }
  return out;
}

std::optional<std::string> BadRulesNotice::Check(const std::vector<DeliveryRuleProblem>& problems) {
  std::string text = BadRulesText(problems);
  if (text == told_) return std::nullopt;
  told_ = text;
  if (text.empty()) return std::nullopt;
  return text;
}

std::string DeliveryNote(const DeliveryRules& rules, const std::string& program_file,
                         const std::string& window_class) {
  // A short text stays below every paste threshold.
  DeliveryWish wish;
  wish.chars = 1;
  const Delivery d = ChooseDelivery(rules, program_file, window_class, wish);
  return (program_file.empty() ? std::string("?") : program_file) + ", " +
         (window_class.empty() ? std::string("?") : window_class) + ": " + DeliveryName(d);
}

}  // namespace qm
