// The delivery rules: their stored form, the built-in ones, and which one a window gets.
#include "quillet/send/delivery_rules.h"

#include <array>
#include <utility>

#include "store/entries.h"
#include "store/ini_document.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

// In the order of the store's names, which an import checks against too.
constexpr std::array<Delivery, kDeliveryNames.size()> kDeliveries = {{
    Delivery::kType,
    Delivery::kKeys,
    Delivery::kPaste,
    Delivery::kPasteCtrlShiftV,
    Delivery::kPasteShiftInsert,
    Delivery::kConsole,
}};

// A path's last part: a program may be named with its folder.
std::string_view FileNameOf(std::string_view path) {
  const std::size_t sep = path.find_last_of("\\/");
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

}  // namespace

std::string DeliveryName(Delivery d) {
  for (std::size_t i = 0; i < kDeliveries.size(); ++i) {
    if (kDeliveries[i] == d) return kDeliveryNames[i];
  }
  return kDeliveryNames[0];
}

std::optional<Delivery> ParseDelivery(std::string_view text) {
  const std::optional<std::size_t> known = KnownDelivery(text);
  if (!known) return std::nullopt;
  return kDeliveries[*known];
}

const std::vector<DeliveryRule>& BuiltInDeliveryRules() {
  static const std::vector<DeliveryRule> rules = {
      // Remote desktops and virtual machines drop Unicode key events.
      {"mstsc.exe", Delivery::kKeys},
      {"wfica32.exe", Delivery::kKeys},
      {"CDViewer.exe", Delivery::kKeys},
      {"vmware.exe", Delivery::kKeys},
      {"vmplayer.exe", Delivery::kKeys},
      {"vmconnect.exe", Delivery::kKeys},
      {"VirtualBoxVM.exe", Delivery::kKeys},
      {"VirtualBox.exe", Delivery::kKeys},
      // The classic console pastes through its system menu; the terminals with their keys.
      {"ConsoleWindowClass", Delivery::kConsole},
      {"CASCADIA_HOSTING_WINDOW_CLASS", Delivery::kPasteCtrlShiftV},
      {"mintty.exe", Delivery::kPasteShiftInsert},
      {"putty.exe", Delivery::kPasteShiftInsert},
      {"ConEmu.exe", Delivery::kPasteShiftInsert},
      {"ConEmu64.exe", Delivery::kPasteShiftInsert},
  };
  return rules;
}

std::optional<std::string> ParseDeliveryRule(std::string_view value, DeliveryRule* rule) {
  const std::size_t semicolon = value.rfind(';');
  if (semicolon == std::string_view::npos) return "Es fehlt das Semikolon vor der Zustellung.";
  const std::string pattern = TrimBlanks(value.substr(0, semicolon));
  const std::optional<Delivery> delivery = ParseDelivery(value.substr(semicolon + 1));
  if (pattern.empty()) return "Es fehlt das Programm oder die Fensterklasse.";
  if (!delivery) {
    return "Die Zustellung ist keine von Tippen, Tasten, Einfügen, Einfügen Strg+Umschalt+V, "
           "Einfügen Umschalt+Einfg, Konsole.";
  }
  *rule = {pattern, *delivery};
  return std::nullopt;
}

DeliveryRules ReadDeliveryRules(const IniDocument* doc) {
  DeliveryRules out;
  const std::vector<std::string> values =
      doc ? ReadNumberedList(*doc, "Regeln") : std::vector<std::string>();
  for (std::size_t i = 0; i < values.size(); ++i) {
    DeliveryRule rule;
    if (std::optional<std::string> why = ParseDeliveryRule(values[i], &rule)) {
      out.problems.push_back({static_cast<int>(i) + 1, values[i], std::move(*why)});
    } else {
      out.rules.push_back(std::move(rule));
    }
  }
  const std::vector<DeliveryRule>& built_in = BuiltInDeliveryRules();
  out.rules.insert(out.rules.end(), built_in.begin(), built_in.end());
  return out;
}

std::optional<std::size_t> ParsePasteFrom(std::string_view text) {
  const std::string digits = TrimBlanks(text);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(std::stoul(digits));
}

std::size_t PasteFrom(const IniDocument* doc) {
  const std::optional<std::string> value = doc ? doc->Find("Common", "EinfuegenAb") : std::nullopt;
  return ParsePasteFrom(value.value_or("")).value_or(kDefaultPasteFrom);
}

IniWrite PasteFromWrite(std::size_t chars) {
  return {"Common", "EinfuegenAb", std::to_string(chars)};
}

bool Pastes(Delivery d) {
  return d != Delivery::kType && d != Delivery::kKeys;
}

Delivery ChooseDelivery(const DeliveryRules& rules, std::string_view program_file,
                        std::string_view window_class, const DeliveryWish& wish) {
  const std::optional<Delivery> ruled = MatchDelivery(rules, program_file, window_class);
  const auto paste = [&] { return ruled && Pastes(*ruled) ? *ruled : Delivery::kPaste; };
  std::optional<Delivery> own = ParseDelivery(wish.forced);
  if (!own && wish.dosbox) own = Delivery::kPaste;
  if (own) return *own == Delivery::kPaste ? paste() : *own;
  if (ruled) return *ruled;
  if (wish.formatted || (wish.paste_from > 0 && wish.chars >= wish.paste_from)) {
    return Delivery::kPaste;
  }
  return Delivery::kType;
}

bool NamesProgramOrClass(std::string_view pattern, std::string_view program_file,
                         std::string_view window_class) {
  const std::string folded = FoldCase(pattern);
  const std::string_view program = FileNameOf(program_file);
  return (!program.empty() && folded == FoldCase(program)) ||
         (!window_class.empty() && folded == FoldCase(window_class));
}

std::optional<Delivery> MatchDelivery(const DeliveryRules& rules, std::string_view program_file,
                                      std::string_view window_class) {
  for (const DeliveryRule& rule : rules.rules) {
    if (NamesProgramOrClass(rule.pattern, program_file, window_class)) return rule.delivery;
  }
  return std::nullopt;
}

}  // namespace qm
